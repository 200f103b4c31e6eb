#pragma once

#include "core/pointer_track.h"

#include <map>
#include <optional>

// Every finger, pen and mouse button held on the picture at once make one
// gesture. Each pointer is a tap or a stroke by its own track
// (PointerTrack); lifting the last of them ends a tap only when none of them
// made a stroke, so two fingers that wipe and lift together never bring the
// tools. A pointer the system takes away ends no tap either. Pointer ids are
// the edition's own (touch point ids, Pointer Events' pointerId).
class PointerGesture
{
public:
    using Segment = PointerTrack::Segment;

    // Pointer `id` went down at `at`; the first of a gesture starts it anew.
    void down(int id, Point at);
    // Pointer `id` moved: the part of its path to wipe along, once it is a
    // stroke. Nothing for a pointer that is not down.
    std::optional<Segment> move(int id, Point at);
    struct Lift
    {
        std::optional<Segment> segment; // the last part of the path, as move()
        bool endsTap = false;           // every pointer is up and none stroked
    };
    // Pointer `id` went up at `at`.
    Lift up(int id, Point at);
    // The system took pointer `id` away: its stroke ends, and no tap.
    void cancel(int id);
    // Every pointer is gone at once (a touch sequence cancelled).
    void cancelAll();

    bool isEmpty() const { return m_pointers.empty(); }
    // Whether a pointer of this gesture made a stroke.
    bool hasStroked() const { return m_stroked; }

private:
    std::map<int, PointerTrack> m_pointers;
    bool m_stroked = false;
};
