// A held pointer is a tap until it goes 10 units from where it went down;
// from then on it is a stroke whose path starts at that first point.

#include "core/pointer_track.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PathCase
{
    const char *name;
    std::vector<Point> moves; // after going down at (100, 100)
    bool stroke;
    std::vector<PointerTrack::Segment> segments;
    friend void PrintTo(const PathCase &c, std::ostream *os) { *os << c.name; }
};

class PointerPaths : public testing::TestWithParam<PathCase>
{ };

TEST_P(PointerPaths, aPathIsATapOrAStrokeFromItsFirstPoint)
{
    const PathCase &c = GetParam();
    PointerTrack track(Point{100, 100});
    std::vector<PointerTrack::Segment> segments;
    for (const Point move : c.moves) {
        if (const auto segment = track.moveTo(move))
            segments.push_back(*segment);
    }
    EXPECT_EQ(track.isStroke(), c.stroke);
    ASSERT_EQ(segments.size(), c.segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        EXPECT_EQ(segments[i].from, c.segments[i].from) << "segment " << i;
        EXPECT_EQ(segments[i].to, c.segments[i].to) << "segment " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, PointerPaths,
                         testing::Values(PathCase{"no move", {}, false, {}},
                                         PathCase{"a wobble under 10", {{103, 104}, {97, 95}, {109.9, 100}}, false, {}},
                                         PathCase{"exactly 10 away", {{106, 108}}, true, {{{100, 100}, {106, 108}}}},
                                         PathCase{"out and back: a stroke stays one",
                                                  {{105, 100}, {115, 100}, {100, 100}},
                                                  true,
                                                  {{{100, 100}, {115, 100}}, {{115, 100}, {100, 100}}}},
                                         PathCase{"the small steps before count into the first segment",
                                                  {{103, 100}, {106, 100}, {111, 100}, {120, 100}},
                                                  true,
                                                  {{{100, 100}, {111, 100}}, {{111, 100}, {120, 100}}}}),
                         testnames::ByName{});

} // namespace
