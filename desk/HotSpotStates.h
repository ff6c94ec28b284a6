#pragma once

#include <QPoint>
#include <QRegion>

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

// The hover, press and reset rules of the desk's hot spots, free of widgets. A hot spot type T
// is reached through four functions found by argument-dependent lookup:
//   int SpotState(const T&);            0 normal, 1 pressed, 2 highlighted
//   void SetSpotState(T&, int);
//   QRegion SpotRegion(const T&, int);  the region of a state
//   bool SpotContains(const T&, const QPoint&);  hit test of the current state's region
// Every operation returns the area to repaint (without erasing the background).
namespace HotSpotStates {

inline constexpr int kNormal = 0;
inline constexpr int kPressed = 1;
inline constexpr int kHighlighted = 2;
inline constexpr int kNone = -1;

// A list may hold hot spots or (smart) pointers to them.
template <class T> decltype(auto) Deref(T&& spot) {
    if constexpr (requires { *spot; }) {
        return *spot;
    } else {
        return (spot);
    }
}

// Index of the first hot spot whose current region holds the point, or kNone.
template <class List> int HitTest(const List& spots, const QPoint& point) {
    int index = 0;
    for (const auto& spot : spots) {
        if (SpotContains(Deref(spot), point)) {
            return index;
        }
        ++index;
    }
    return kNone;
}

// Moves a hot spot into a state; the old and the new state's regions need repainting.
template <class T> QRegion Enter(T& spot, int state) {
    const int old = SpotState(spot);
    if (old == state) {
        return {};
    }
    const QRegion before = SpotRegion(spot, old);
    SetSpotState(spot, state);
    return before.united(SpotRegion(spot, state));
}

// Back to normal; a spot already normal is left alone.
template <class T> QRegion Reset(T& spot) {
    return Enter(spot, kNormal);
}

// Pointer moved: highlight the spot under the pointer and un-highlight every other
// highlighted one in the same move. Pressed spots stay pressed. Nothing while busy.
template <class List> QRegion Hover(List& spots, const QPoint& point, bool busy) {
    QRegion dirty;
    if (busy) {
        return dirty;
    }
    const int hit = HitTest(spots, point);
    int index = 0;
    for (auto& entry : spots) {
        auto& spot = Deref(entry);
        if (index == hit) {
            dirty += Enter(spot, kHighlighted);
        } else if (SpotState(spot) == kHighlighted) {
            dirty += Reset(spot);
        }
        ++index;
    }
    return dirty;
}

// Pointer off every hot spot (the background, or out of the window).
template <class List> QRegion ClearHighlights(List& spots) {
    QRegion dirty;
    for (auto& entry : spots) {
        auto& spot = Deref(entry);
        if (SpotState(spot) == kHighlighted) {
            dirty += Reset(spot);
        }
    }
    return dirty;
}

struct PressResult {
    int index = kNone; // the pressed hot spot, or kNone for the background
    QRegion dirty;
};

// Left button down: the first spot under the point shows pressed.
template <class List> PressResult Press(List& spots, const QPoint& point) {
    PressResult result;
    result.index = HitTest(spots, point);
    if (result.index != kNone) {
        auto it = std::begin(spots);
        std::advance(it, result.index);
        result.dirty = Enter(Deref(*it), kPressed);
    }
    return result;
}

} // namespace HotSpotStates
