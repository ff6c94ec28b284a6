#pragma once

#include <QKeyCombination>
#include <QRect>

#include <span>
#include <vector>

// Keyboard navigation over the desk's hot spots, free of widgets: the order Tab follows, the
// neighbour an arrow key reaches, and which hot spot a key belongs to.
namespace DeskKeyboard {

enum class Direction { Left, Right, Up, Down };

// Screen order: the hot spots fall into columns (spots whose horizontal extents overlap, also
// through a third one); columns from left to right, each from top to bottom.
std::vector<int> FocusOrder(std::span<const QRect> spots);

// The order with one more place, `extra` (index spots.size()), put where screen order puts it
// among the spots: after the spot it follows when ordered with them. The spots keep their own
// order, even where `extra` would join two columns.
std::vector<int> WithPlace(const std::vector<int>& order, std::span<const QRect> spots,
                           const QRect& extra);

// The next hot spot after (or before) `from` in the order, wrapping at the ends; the first (or
// last) one when `from` is none of them.
int Step(const std::vector<int>& order, int from, bool forward);

// The hot spot an arrow key moves to from `from`: the nearest whose centre lies in that
// direction, a spot straight ahead before one off to the side; `from` itself when there is none.
int Neighbour(std::span<const QRect> spots, int from, Direction direction);

// Index of the hot spot whose keys (QKeySequence portable text, "; " between two keys) hold the
// key pressed, or -1. A single letter also answers with Alt held, as a mnemonic does.
int SpotForKey(std::span<const char* const> keys, QKeyCombination pressed);

} // namespace DeskKeyboard
