#include "desk/DeskKeyboard.h"

#include <QKeySequence>
#include <QList>

#include <algorithm>
#include <numeric>

namespace DeskKeyboard {

std::vector<int> FocusOrder(std::span<const QRect> spots) {
    const int n = static_cast<int>(spots.size());
    // Columns as connected runs of overlapping horizontal extents, found on the spots sorted
    // by their left edge.
    std::vector<int> byLeft(static_cast<size_t>(n));
    std::iota(byLeft.begin(), byLeft.end(), 0);
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [&](int a, int b) { return spots[a].left() < spots[b].left(); });
    std::vector<int> column(static_cast<size_t>(n), 0);
    int current = -1;
    int reach = 0;
    for (int i : byLeft) {
        if (current < 0 || spots[i].left() > reach) {
            ++current;
            reach = spots[i].right();
        } else {
            reach = std::max(reach, spots[i].right());
        }
        column[static_cast<size_t>(i)] = current;
    }
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int ca = column[static_cast<size_t>(a)];
        const int cb = column[static_cast<size_t>(b)];
        if (ca != cb) {
            return ca < cb;
        }
        return spots[a].top() < spots[b].top();
    });
    return order;
}

std::vector<int> WithPlace(const std::vector<int>& order, std::span<const QRect> spots,
                           const QRect& extra) {
    std::vector<QRect> all(spots.begin(), spots.end());
    all.push_back(extra);
    const std::vector<int> together = FocusOrder(all);
    const int place = static_cast<int>(spots.size());
    const auto at = std::find(together.begin(), together.end(), place);
    std::vector<int> result = order;
    auto before = result.begin();
    if (at != together.begin()) {
        before = std::find(result.begin(), result.end(), *(at - 1));
        before = before == result.end() ? result.end() : before + 1;
    }
    result.insert(before, place);
    return result;
}

int Step(const std::vector<int>& order, int from, bool forward) {
    if (order.empty()) {
        return -1;
    }
    const auto it = std::find(order.begin(), order.end(), from);
    if (it == order.end()) {
        return forward ? order.front() : order.back();
    }
    const auto size = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t pos = it - order.begin();
    return order[static_cast<size_t>((pos + (forward ? 1 : size - 1)) % size)];
}

int Neighbour(std::span<const QRect> spots, int from, Direction direction) {
    if (from < 0 || from >= static_cast<int>(spots.size())) {
        return from;
    }
    const QRect& origin = spots[static_cast<size_t>(from)];
    const QPoint c = origin.center();
    const bool horizontal = direction == Direction::Left || direction == Direction::Right;
    int best = from;
    long long bestScore = 0;
    for (int i = 0; i < static_cast<int>(spots.size()); ++i) {
        if (i == from) {
            continue;
        }
        const QRect& r = spots[static_cast<size_t>(i)];
        const QPoint d = r.center() - c;
        const int ahead = direction == Direction::Left    ? -d.x()
                          : direction == Direction::Right ? d.x()
                          : direction == Direction::Up    ? -d.y()
                                                          : d.y();
        if (ahead <= 0) {
            continue;
        }
        // Spots that share the row (or column) of the origin come first, then the distance
        // ahead, with the sideways offset weighing more than the way ahead.
        const bool inLine = horizontal ? r.top() <= origin.bottom() && r.bottom() >= origin.top()
                                       : r.left() <= origin.right() && r.right() >= origin.left();
        const int aside = horizontal ? std::abs(d.y()) : std::abs(d.x());
        const long long score =
            (inLine ? 0LL : 1LL << 40) + static_cast<long long>(ahead) + 4LL * aside;
        if (best == from || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

int SpotForKey(std::span<const char* const> keys, QKeyCombination pressed) {
    const Qt::KeyboardModifiers modifiers =
        pressed.keyboardModifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    const QKeySequence exact(QKeyCombination(modifiers, pressed.key()));
    const QKeySequence plain(QKeyCombination(Qt::NoModifier, pressed.key()));
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
        const char* text = keys[static_cast<size_t>(i)];
        if (text == nullptr) {
            continue;
        }
        const QList<QKeySequence> list =
            QKeySequence::listFromString(QString::fromUtf8(text), QKeySequence::PortableText);
        for (const QKeySequence& key : list) {
            if (key == exact) {
                return i;
            }
            const bool letter = key.count() == 1 && key[0].keyboardModifiers() == Qt::NoModifier &&
                                QChar::isLetter(static_cast<char32_t>(key[0].key()));
            if (letter && modifiers == Qt::AltModifier && key == plain) {
                return i;
            }
        }
    }
    return -1;
}

} // namespace DeskKeyboard
