// From the values of a settings file (or a browser's storage) to the values
// the game takes, and back.

#include "core/percent_encoding.h"
#include "core/stored_settings.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

inline void PrintTo(const VideoCaptureSetting &s, std::ostream *os)
{
    *os << captureSettingText(s);
}

inline void PrintTo(const StoredSettings &s, std::ostream *os)
{
    *os << "sensitivity " << s.cameraSensitivity << ", freezing " << s.freezingSpeed << ", sound " << s.sound
        << ", wave to go on " << s.waveToGoOn << ", back " << s.backCamera << ", fullScreen " << s.fullScreen
        << ", geometry of " << s.geometry.size() << " bytes, resolutions";
    for (const auto &[id, setting] : s.resolutions)
        *os << " [" << id << "]=" << (setting ? captureSettingText(*setting) : "default");
}

namespace {

StoredSettings with(const std::function<void(StoredSettings &)> &change)
{
    StoredSettings s;
    change(s);
    return s;
}

StoredValue text(const char *t)
{
    return StoredValue::text(t);
}

// The keys the warnings name, sorted.
std::vector<std::string> keysOf(const std::vector<std::string> &warnings)
{
    std::vector<std::string> keys;
    for (const std::string &warning : warnings)
        keys.push_back(warning.substr(0, warning.find(':')));
    std::sort(keys.begin(), keys.end());
    return keys;
}

struct ReadCase
{
    const char *name;
    StoredValues values;
    StoredSettings expected;
    std::vector<std::string> warnedKeys; // sorted
    friend void PrintTo(const ReadCase &c, std::ostream *os) { *os << c.name; }
};

class StoredSettingsRead : public testing::TestWithParam<ReadCase>
{ };

TEST_P(StoredSettingsRead, read)
{
    const ReadCase &c = GetParam();
    const StoredSettingsReading reading = readStoredSettings(c.values);
    EXPECT_EQ(reading.settings, c.expected);
    EXPECT_EQ(keysOf(reading.warnings), c.warnedKeys) << testing::PrintToString(reading.warnings);
}

const std::string kGeometry("\x01\xd9\xd0\xcb", 4);

INSTANTIATE_TEST_SUITE_P(
    Files, StoredSettingsRead,
    testing::Values(ReadCase{"no keys: the defaults", {}, StoredSettings{}, {}},
                    ReadCase{"every key as the game writes it",
                             {{"game/cameraSensitivity", text("-135")},
                              {"game/freezingSpeed", text("3")},
                              {"game/sound", text("false")},
                              {"game/waveToGoOn", text("false")},
                              {"camera/back", text("true")},
                              {"window/fullScreen", text("true")},
                              {"window/geometry", StoredValue::bytes(kGeometry)},
                              {"camera/resolution", text("default")},
                              {"camera/resolution/%2Fdev%2Fvideo0", text("1280x720@30")},
                              {"camera/resolution/usb%20cam", text("default")}},
                             with([](StoredSettings &s) {
                                 s.cameraSensitivity = -135;
                                 s.freezingSpeed = 3;
                                 s.sound = false;
                                 s.waveToGoOn = false;
                                 s.backCamera = true;
                                 s.fullScreen = true;
                                 s.geometry = kGeometry;
                                 s.resolutions = {{std::string(), std::nullopt},
                                                  {"/dev/video0", VideoCaptureSetting{1280, 720, 30.0}},
                                                  {"usb cam", std::nullopt}};
                             }),
                             {}},
                    // Typed values of the desktop's settings file (an int, a bool) reach
                    // the table as their text.
                    ReadCase{"written by hand: spaces, other truth words, typed values",
                             {{"game/cameraSensitivity", text(" 765 ")},
                              {"game/freezingSpeed", text("1")},
                              {"game/sound", text("Off")},
                              {"game/waveToGoOn", text(" NO")},
                              {"camera/back", text("yes")},
                              {"window/fullScreen", text("false")}},
                             with([](StoredSettings &s) {
                                 s.cameraSensitivity = 765;
                                 s.freezingSpeed = 1;
                                 s.sound = false;
                                 s.waveToGoOn = false;
                                 s.backCamera = true;
                             }),
                             {}},
                    ReadCase{"out of range: the nearest value in range",
                             {{"game/cameraSensitivity", text("-99999999999")}, {"game/freezingSpeed", text("101")}},
                             with([](StoredSettings &s) {
                                 s.cameraSensitivity = -1530;
                                 s.freezingSpeed = 100;
                             }),
                             {"game/cameraSensitivity", "game/freezingSpeed"}},
                    ReadCase{"just inside the range",
                             {{"game/cameraSensitivity", text("-1530")}, {"game/freezingSpeed", text("0")}},
                             with([](StoredSettings &s) {
                                 s.cameraSensitivity = -1530;
                                 s.freezingSpeed = 0;
                             }),
                             {}},
                    ReadCase{"wrong kinds: the defaults, one warning each",
                             {{"game/cameraSensitivity", text("20.5")},
                              {"game/freezingSpeed", text("fast")},
                              {"game/sound", text("loud")},
                              {"game/waveToGoOn", text("2")},
                              {"camera/back", StoredValue::other("QStringList")},
                              {"window/fullScreen", text("")},
                              {"window/geometry", text("1,2,3,4")},
                              {"camera/resolution", text("1280x720")},
                              {"camera/resolution/x", text("0x480@30")},
                              {"camera/resolution/y", text("640x480@0")},
                              {"camera/resolution/z", text("99999x480@30")}},
                             StoredSettings{},
                             {"camera/back", "camera/resolution", "camera/resolution/x", "camera/resolution/y",
                              "camera/resolution/z", "game/cameraSensitivity", "game/freezingSpeed", "game/sound",
                              "game/waveToGoOn", "window/fullScreen", "window/geometry"}},
                    ReadCase{"bytes where text belongs, text where bytes belong",
                             {{"game/freezingSpeed", StoredValue::bytes("5")},
                              {"game/sound", StoredValue::bytes("false")},
                              {"game/waveToGoOn", StoredValue::bytes("false")},
                              {"camera/resolution", StoredValue::bytes("640x480@30")}},
                             StoredSettings{},
                             {"camera/resolution", "game/freezingSpeed", "game/sound", "game/waveToGoOn"}},
                    ReadCase{"a number too long for any integer: the nearest end",
                             {{"game/freezingSpeed", text("123456789012345678901234567890")}},
                             with([](StoredSettings &s) { s.freezingSpeed = 100; }),
                             {"game/freezingSpeed"}},
                    ReadCase{"unknown keys are left alone",
                             {{"game/colour", text("blue")}, {"other/cameraSensitivity", text("1")}},
                             StoredSettings{},
                             {}}),
    testnames::ByName());

// A number out of range, however large or however written, comes to the
// nearer end of the range with one warning; a number that is not whole keeps
// the value there was.
struct NumberCase
{
    const char *name;
    const char *text;
    int freezingSpeed;   // the range is 0..100, the base value 10
    const char *warning; // the warning's text after the key, or empty
    friend void PrintTo(const NumberCase &c, std::ostream *os) { *os << c.name; }
};

class StoredSettingsNumbers : public testing::TestWithParam<NumberCase>
{ };

TEST_P(StoredSettingsNumbers, numbersComeIntoTheRange)
{
    const NumberCase &c = GetParam();
    const StoredSettingsReading reading = readStoredSettings({{"game/freezingSpeed", text(c.text)}});
    EXPECT_EQ(reading.settings.freezingSpeed, c.freezingSpeed);
    if (*c.warning) {
        ASSERT_EQ(reading.warnings.size(), 1u);
        EXPECT_EQ(reading.warnings[0], std::string("game/freezingSpeed: ") + c.warning);
    } else {
        EXPECT_EQ(reading.warnings, std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredSettingsNumbers,
    testing::Values(
        NumberCase{"in range", "42", 42, ""}, NumberCase{"a plus sign", "+7", 7, ""},
        NumberCase{"1e23: the top", "1e23", 100, "1e23 is outside 0..100; 100 is used"},
        NumberCase{"-1e20: the bottom", "-1e20", 0, "-1e20 is outside 0..100; 0 is used"},
        NumberCase{"30 digits: the top", "123456789012345678901234567890", 100,
                   "123456789012345678901234567890 is outside 0..100; 100 is used"},
        NumberCase{"30 digits below zero: the bottom", "-123456789012345678901234567890", 0,
                   "-123456789012345678901234567890 is outside 0..100; 0 is used"},
        NumberCase{"1e400, past any double: the top", "1e400", 100, "1e400 is outside 0..100; 100 is used"},
        NumberCase{"-1e400: the bottom", "-1e400", 0, "-1e400 is outside 0..100; 0 is used"},
        NumberCase{"1e-400, too close to zero for a double, is not a whole number", "1e-400", 10,
                   "\"1e-400\" is not a whole number; 10 is used"},
        NumberCase{"0e5 is zero", "0e5", 0, ""},
        NumberCase{"a lone sign is no number", "-", 10, "\"-\" is not a whole number; 10 is used"},
        NumberCase{"18 digits, the longest plain whole number", "999999999999999999", 100,
                   "999999999999999999 is outside 0..100; 100 is used"},
        NumberCase{"one past the top", "101", 100, "101 is outside 0..100; 100 is used"},
        NumberCase{"one below the bottom", "-1", 0, "-1 is outside 0..100; 0 is used"},
        NumberCase{"out of range with a fraction: the nearest end", "-0.5", 0, "-0.5 is outside 0..100; 0 is used"},
        NumberCase{"20.5 is not a whole number", "20.5", 10, "\"20.5\" is not a whole number; 10 is used"},
        NumberCase{"a comma is no decimal point", "20,5", 10, "\"20,5\" is not a whole number; 10 is used"},
        NumberCase{"infinity is no number", "inf", 10, "\"inf\" is not a whole number; 10 is used"},
        NumberCase{"nan is no number", "nan", 10, "\"nan\" is not a whole number; 10 is used"},
        NumberCase{"hex is no number", "0x10", 10, "\"0x10\" is not a whole number; 10 is used"},
        NumberCase{"hex with an exponent is no number", "0x1p4", 10, "\"0x1p4\" is not a whole number; 10 is used"},
        NumberCase{"an upper-case exponent", "1E2", 100, ""},
        NumberCase{"two numbers", "1 2", 10, "\"1 2\" is not a whole number; 10 is used"}),
    testnames::ByName());

TEST(StoredSettingsNumbers, fiveHundredDigitsComeToTheNearerEnd)
{
    for (const std::string sign : {"", "-"}) {
        const std::string digits = sign + std::string(500, '9');
        const StoredSettingsReading reading = readStoredSettings({{"game/freezingSpeed", StoredValue::text(digits)}});
        EXPECT_EQ(reading.settings.freezingSpeed, sign.empty() ? 100 : 0);
        ASSERT_EQ(reading.warnings.size(), 1u);
        EXPECT_EQ(reading.warnings[0],
                  "game/freezingSpeed: " + digits + " is outside 0..100; " + (sign.empty() ? "100" : "0") + " is used");
    }
}

TEST(StoredSettings, aBadValueKeepsTheBaseValue)
{
    // A school's value stands when the user's own one is unusable.
    StoredSettings school;
    school.freezingSpeed = 4;
    school.resolutions.emplace(std::string(), VideoCaptureSetting{320, 240, 30.0});
    const StoredSettingsReading reading = readStoredSettings(
        {{"game/freezingSpeed", text("slow")}, {"game/cameraSensitivity", text("60")}}, school);
    EXPECT_EQ(reading.settings.freezingSpeed, 4);
    EXPECT_EQ(reading.settings.cameraSensitivity, 60);
    EXPECT_EQ(reading.settings.resolutionFor("any camera"), std::make_optional(VideoCaptureSetting{320, 240, 30.0}));
    EXPECT_EQ(reading.warnings.size(), 1u);
}

TEST(StoredSettings, whatIsWrittenReadsBackTheSame)
{
    const StoredSettings s = with([](StoredSettings &t) {
        t.cameraSensitivity = -1000;
        t.freezingSpeed = 77;
        t.sound = false;
        t.waveToGoOn = false;
        t.backCamera = true;
        t.fullScreen = true;
        t.geometry = std::string(300, '\xff');
        t.resolutions = {{"/dev/video0", VideoCaptureSetting{1280, 720, 29.97}},
                         {"usb:0c45/6366", VideoCaptureSetting{320, 240, 1.0 / 3.0}},
                         {"cam=\xc3\xa9", std::nullopt},
                         {std::string(), VideoCaptureSetting{640, 480, 30.0}}};
    });
    const StoredValues values = storedSettingsValues(s);
    const StoredSettingsReading reading = readStoredSettings(values);
    EXPECT_EQ(reading.settings, s);
    EXPECT_EQ(reading.warnings, std::vector<std::string>{});
    for (const auto &[key, value] : values) {
        // Per-camera keys hold no slash of their own: it would make a group.
        EXPECT_LE(std::count(key.begin(), key.end(), '/'), 2) << key;
        EXPECT_TRUE(isStoredKey(key)) << key;
        // Only the geometry is bytes.
        EXPECT_EQ(value.kind, key == "window/geometry" ? StoredValue::Kind::Bytes : StoredValue::Kind::Text) << key;
    }
    EXPECT_EQ(values.at("camera/resolution/%2Fdev%2Fvideo0"), text("1280x720@29.97"));
    EXPECT_EQ(values.at("camera/resolution"), text("640x480@30"));
}

TEST(StoredSettings, theDefaultsWriteNoGeometryAndReadBackAsTheDefaults)
{
    const StoredValues values = storedSettingsValues(StoredSettings{});
    EXPECT_EQ(values.count("window/geometry"), 0u);
    EXPECT_EQ(values.at("game/cameraSensitivity"), text("20"));
    EXPECT_EQ(values.at("game/freezingSpeed"), text("10"));
    EXPECT_EQ(values.at("game/waveToGoOn"), text("true")); // on until a parent turns it off
    const StoredSettingsReading reading = readStoredSettings(values);
    EXPECT_EQ(reading.settings, StoredSettings{});
    EXPECT_TRUE(reading.warnings.empty());
}

TEST(StoredSettings, resolutionForACamera)
{
    StoredSettings s;
    EXPECT_EQ(s.resolutionFor("a"), std::nullopt);
    s.resolutions.emplace(std::string(), VideoCaptureSetting{1280, 720, 30.0});
    s.resolutions.emplace("b", std::nullopt);
    EXPECT_EQ(s.resolutionFor("a"), std::make_optional(VideoCaptureSetting{1280, 720, 30.0}));
    EXPECT_EQ(s.resolutionFor("b"), std::nullopt); // its own "default" wins
}

struct KeyCase
{
    const char *name;
    const char *path;
    bool stored;
    friend void PrintTo(const KeyCase &c, std::ostream *os) { *os << c.name; }
};

class StoredSettingsKeys : public testing::TestWithParam<KeyCase>
{ };

TEST_P(StoredSettingsKeys, isStoredKey)
{
    EXPECT_EQ(isStoredKey(GetParam().path), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StoredSettingsKeys,
    testing::Values(KeyCase{"sensitivity", "game/cameraSensitivity", true},
                    KeyCase{"freezing speed", "game/freezingSpeed", true}, KeyCase{"sound", "game/sound", true},
                    KeyCase{"wave to go on", "game/waveToGoOn", true}, KeyCase{"back camera", "camera/back", true},
                    KeyCase{"resolution of every camera", "camera/resolution", true},
                    KeyCase{"resolution of one camera", "camera/resolution/%2Fdev%2Fvideo0", true},
                    KeyCase{"full screen", "window/fullScreen", true}, KeyCase{"geometry", "window/geometry", true},
                    KeyCase{"a resolution with an empty id", "camera/resolution/", false},
                    KeyCase{"a key that only begins like one", "camera/resolutions", false},
                    KeyCase{"another group", "other/cameraSensitivity", false},
                    KeyCase{"no group", "cameraSensitivity", false}, KeyCase{"case matters", "Game/Sound", false},
                    KeyCase{"empty", "", false}),
    testnames::ByName());

TEST(StoredSettings, everyKeyOfTheTableIsAStoredKey)
{
    for (const StoredKey &key : kStoredKeys)
        EXPECT_TRUE(isStoredKey(key.path)) << key.path;
    // Whole numbers carry their range: the sliders' ends.
    const auto whole = [](std::string_view path) {
        return *std::find_if(kStoredKeys.begin(), kStoredKeys.end(),
                             [&](const StoredKey &k) { return k.path == path; });
    };
    EXPECT_EQ(whole(StoredSettingsKey::cameraSensitivity).minimum, kMinimumCameraSensitivity);
    EXPECT_EQ(whole(StoredSettingsKey::cameraSensitivity).maximum, kMaximumCameraSensitivity);
    EXPECT_EQ(whole(StoredSettingsKey::freezingSpeed).minimum, kMinimumFreezingSpeed);
    EXPECT_EQ(whole(StoredSettingsKey::freezingSpeed).maximum, kMaximumFreezingSpeed);
}

struct EncodingCase
{
    const char *name;
    std::string id;
    std::string encoded;
    friend void PrintTo(const EncodingCase &c, std::ostream *os) { *os << c.name; }
};

class CameraIdEncoding : public testing::TestWithParam<EncodingCase>
{ };

TEST_P(CameraIdEncoding, roundTrip)
{
    const EncodingCase &c = GetParam();
    EXPECT_EQ(percentEncoded(c.id), c.encoded);
    EXPECT_EQ(percentDecoded(c.encoded), c.id);
    // As a key of its own, read back to the same camera.
    StoredSettings s;
    s.resolutions.emplace(c.id, VideoCaptureSetting{320, 240, 15.0});
    const StoredSettingsReading reading = readStoredSettings(storedSettingsValues(s));
    EXPECT_EQ(reading.settings.resolutions, s.resolutions);
}

INSTANTIATE_TEST_SUITE_P(Ids, CameraIdEncoding,
                         testing::Values(EncodingCase{"plain", "video0", "video0"},
                                         EncodingCase{"unreserved marks stay", "a-b.c_d~e", "a-b.c_d~e"},
                                         EncodingCase{"a device path", "/dev/video0", "%2Fdev%2Fvideo0"},
                                         EncodingCase{"space and colon", "usb cam:1", "usb%20cam%3A1"},
                                         EncodingCase{"a percent sign itself", "100%", "100%25"},
                                         EncodingCase{"UTF-8 bytes", "cam=\xc3\xa9", "cam%3D%C3%A9"},
                                         EncodingCase{"a zero byte", std::string("a\0b", 3), "a%00b"},
                                         EncodingCase{"the highest byte", "\xff", "%FF"}),
                         testnames::ByName());

struct DecodingCase
{
    const char *name;
    const char *text;
    const char *decoded;
    friend void PrintTo(const DecodingCase &c, std::ostream *os) { *os << c.name; }
};

class CameraIdDecoding : public testing::TestWithParam<DecodingCase>
{ };

TEST_P(CameraIdDecoding, aPercentWithoutTwoHexDigitsStays)
{
    EXPECT_EQ(percentDecoded(GetParam().text), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(Texts, CameraIdDecoding,
                         testing::Values(DecodingCase{"lower-case hex", "%2fdev", "/dev"},
                                         DecodingCase{"a percent at the end", "abc%", "abc%"},
                                         DecodingCase{"one digit at the end", "abc%2", "abc%2"},
                                         DecodingCase{"two digits at the very end", "abc%2F", "abc/"},
                                         DecodingCase{"not hex", "%zz%2G", "%zz%2G"},
                                         DecodingCase{"decoded once only", "%2541", "%41"}),
                         testnames::ByName());

struct CaptureTextCase
{
    const char *name;
    const char *text;
    std::optional<VideoCaptureSetting> setting;
    friend void PrintTo(const CaptureTextCase &c, std::ostream *os) { *os << c.name; }
};

class CaptureSettingText : public testing::TestWithParam<CaptureTextCase>
{ };

TEST_P(CaptureSettingText, captureSettingText)
{
    const CaptureTextCase &c = GetParam();
    EXPECT_EQ(parseCaptureSetting(c.text), c.setting);
    if (c.setting) {
        EXPECT_EQ(captureSettingText(*c.setting), c.text);
    }
}

std::vector<CaptureTextCase> captureTextCases()
{
    std::vector<CaptureTextCase> cases{
        {"whole rate", "640x480@30", VideoCaptureSetting{640, 480, 30.0}},
        {"fractional rate", "1920x1080@29.97", VideoCaptureSetting{1920, 1080, 29.97}},
        {"smallest", "1x1@0.5", VideoCaptureSetting{1, 1, 0.5}},
        {"largest", "16384x16384@1000", VideoCaptureSetting{16384, 16384, 1000.0}},
        {"a rate of 100 without an exponent", "640x480@100", VideoCaptureSetting{640, 480, 100.0}},
    };
    const CaptureTextCase rejected[] = {
        {"rejected: empty", "", std::nullopt},
        {"rejected: default is no setting", "default", std::nullopt},
        {"rejected: no rate", "640x480", std::nullopt},
        {"rejected: an empty rate", "640x480@", std::nullopt},
        {"rejected: a star for the x", "640*480@30", std::nullopt},
        {"rejected: a sign", "-640x480@30", std::nullopt},
        {"rejected: a unit after the rate", "640x480@30fps", std::nullopt},
        {"rejected: width 0", "0x480@30", std::nullopt},
        {"rejected: height 0", "640x0@30", std::nullopt},
        {"rejected: width 16385", "16385x480@30", std::nullopt},
        {"rejected: rate 0", "640x480@0", std::nullopt},
        {"rejected: rate above 1000", "640x480@1000.5", std::nullopt},
        {"rejected: an exponent", "640x480@1e3", std::nullopt},
        {"rejected: a leading space", " 640x480@30", std::nullopt},
    };
    cases.insert(cases.end(), std::begin(rejected), std::end(rejected));
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Texts, CaptureSettingText, testing::ValuesIn(captureTextCases()), testnames::ByName());

} // namespace
