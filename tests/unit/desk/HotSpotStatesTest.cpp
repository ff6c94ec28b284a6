#include "desk/HotSpotStates.h"
#include "desk/HotSpotTable.h"

#include <gtest/gtest.h>

#include <QRect>

#include <algorithm>
#include <map>
#include <vector>

namespace {

// A hot spot whose pressed picture sits a little lower, so the regions of its states differ.
struct FakeSpot {
    QRect rect;
    int state = 0;
    QRegion region(int s) const { return QRegion(s == 1 ? rect.translated(0, 2) : rect); }
};

int SpotState(const FakeSpot& spot) {
    return spot.state;
}
void SetSpotState(FakeSpot& spot, int state) {
    spot.state = state;
}
QRegion SpotRegion(const FakeSpot& spot, int state) {
    return spot.region(state);
}
bool SpotContains(const FakeSpot& spot, const QPoint& point) {
    return spot.region(spot.state).contains(point);
}

std::vector<FakeSpot> DeskSpots() {
    std::vector<FakeSpot> spots;
    for (const auto& row : kHotSpotTable) {
        spots.push_back({QRect(row.x, row.y, row.w, row.h)});
    }
    return spots;
}

std::vector<int> States(const std::vector<FakeSpot>& spots) {
    std::vector<int> states;
    for (const auto& spot : spots) {
        states.push_back(spot.state);
    }
    return states;
}

const QPoint kExit(440, 300);      // hot spot 0
const QPoint kInfo(460, 220);      // hot spot 1
const QPoint kDoctors(300, 200);   // hot spot 7
const QPoint kPersonal(300, 140);  // hot spot 11
const QPoint kBackground(10, 440); // no hot spot

} // namespace

TEST(HotSpotTable, CategoryButtonsFormOneColumn34PixelsApart) {
    std::vector<int> ys;
    for (const auto& row : kHotSpotTable) {
        if (row.command >= CmFirstForm && row.command <= CmLastForm) {
            EXPECT_EQ(row.x, 220);
            EXPECT_EQ(row.w, 173);
            ys.push_back(row.y);
        }
    }
    std::sort(ys.begin(), ys.end());
    ASSERT_EQ(ys.size(), 9u);
    for (size_t i = 0; i < ys.size(); ++i) {
        EXPECT_EQ(ys[i], 128 + 34 * static_cast<int>(i));
    }
}

TEST(HotSpotTable, SpotsDoNotOverlapAndEveryCommandOnce) {
    std::map<int, int> seen; // commands past the first seventeen too
    for (size_t i = 0; i < kHotSpotTable.size(); ++i) {
        const auto& a = kHotSpotTable[i];
        ++seen[a.command];
        for (size_t j = i + 1; j < kHotSpotTable.size(); ++j) {
            const auto& b = kHotSpotTable[j];
            EXPECT_FALSE(QRect(a.x, a.y, a.w, a.h).intersects(QRect(b.x, b.y, b.w, b.h)))
                << i << " and " << j;
        }
    }
    for (int command = 1; command <= static_cast<int>(kHotSpotTable.size()); ++command) {
        EXPECT_EQ(seen[command], 1) << command;
    }
    for (const auto& [command, count] : seen) {
        EXPECT_EQ(count, 1) << command;
    }
}

TEST(HotSpotStates, HoverMovesTheHighlightStraightFromOneSpotToAnother) {
    auto spots = DeskSpots();
    QRegion dirty = HotSpotStates::Hover(spots, kDoctors, false);
    EXPECT_EQ(spots[7].state, 2);
    EXPECT_EQ(dirty, QRegion(spots[7].rect));

    dirty = HotSpotStates::Hover(spots, kPersonal, false);
    EXPECT_EQ(spots[11].state, 2);
    EXPECT_EQ(spots[7].state, 0);
    EXPECT_EQ(dirty, QRegion(spots[7].rect).united(spots[11].rect));

    // Staying on the same spot repaints nothing.
    EXPECT_TRUE(HotSpotStates::Hover(spots, kPersonal + QPoint(5, 0), false).isEmpty());
}

TEST(HotSpotStates, BackgroundClearsEveryHighlightButLeavesPressedSpots) {
    auto spots = DeskSpots();
    spots[3].state = 2;
    spots[5].state = 2;
    spots[0].state = 1;
    const QRegion dirty = HotSpotStates::Hover(spots, kBackground, false);
    EXPECT_EQ(spots[3].state, 0);
    EXPECT_EQ(spots[5].state, 0);
    EXPECT_EQ(spots[0].state, 1);
    EXPECT_EQ(dirty, QRegion(spots[3].rect).united(spots[5].rect));

    spots[9].state = 2;
    EXPECT_EQ(HotSpotStates::ClearHighlights(spots), QRegion(spots[9].rect));
    EXPECT_EQ(spots[9].state, 0);
    EXPECT_EQ(spots[0].state, 1);
}

TEST(HotSpotStates, BusyKeepsEveryStateStill) {
    auto spots = DeskSpots();
    spots[1].state = 1;
    spots[2].state = 2;
    const auto before = States(spots);
    EXPECT_TRUE(HotSpotStates::Hover(spots, kExit, true).isEmpty());
    EXPECT_TRUE(HotSpotStates::Hover(spots, kBackground, true).isEmpty());
    EXPECT_EQ(States(spots), before);
}

TEST(HotSpotStates, PressOnBackgroundChangesNothing) {
    auto spots = DeskSpots();
    spots[2].state = 2;
    const auto before = States(spots);
    const auto press = HotSpotStates::Press(spots, kBackground);
    EXPECT_EQ(press.index, HotSpotStates::kNone);
    EXPECT_TRUE(press.dirty.isEmpty());
    EXPECT_EQ(States(spots), before);
}

TEST(HotSpotStates, PressedRepaintsOldAndNewRegionAndResetReturnsToNormal) {
    auto spots = DeskSpots();
    HotSpotStates::Hover(spots, kInfo, false);
    const auto press = HotSpotStates::Press(spots, kInfo);
    EXPECT_EQ(press.index, 1);
    EXPECT_EQ(spots[1].state, 1);
    EXPECT_EQ(press.dirty, QRegion(spots[1].rect).united(spots[1].rect.translated(0, 2)));

    // A second press on the same spot changes nothing.
    EXPECT_TRUE(HotSpotStates::Press(spots, kInfo).dirty.isEmpty());

    const QRegion reset = HotSpotStates::Reset(spots[1]);
    EXPECT_EQ(spots[1].state, 0);
    EXPECT_EQ(reset, press.dirty);
    EXPECT_TRUE(HotSpotStates::Reset(spots[1]).isEmpty());
}

TEST(HotSpotStates, HitTestUsesTheCurrentStateRegionAndTheFirstSpotWins) {
    std::vector<FakeSpot> spots{{QRect(0, 0, 10, 10)}, {QRect(5, 5, 10, 10)}};
    EXPECT_EQ(HotSpotStates::HitTest(spots, QPoint(6, 6)), 0);
    EXPECT_EQ(HotSpotStates::HitTest(spots, QPoint(12, 12)), 1);
    EXPECT_EQ(HotSpotStates::HitTest(spots, QPoint(20, 20)), HotSpotStates::kNone);
    // Pressed, spot 0 covers rows 2..11: its old top row no longer hits.
    spots[0].state = 1;
    EXPECT_EQ(HotSpotStates::HitTest(spots, QPoint(1, 0)), HotSpotStates::kNone);
    EXPECT_EQ(HotSpotStates::HitTest(spots, QPoint(1, 11)), 0);
}
