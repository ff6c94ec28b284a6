#include "app/ShowMode.h"

#include <gtest/gtest.h>

TEST(ShowMode, HiddenAndMinimisedWithoutActivationStayEverythingElseIsNormal) {
    EXPECT_EQ(FrameShowMode(SW_HIDE), SW_HIDE);
    EXPECT_EQ(FrameShowMode(SW_SHOWMINNOACTIVE), SW_SHOWMINNOACTIVE);
    for (int mode : {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOW,
                     SW_MINIMIZE, SW_SHOWNA, SW_RESTORE, SW_SHOWDEFAULT}) {
        EXPECT_EQ(FrameShowMode(mode), SW_SHOWNORMAL) << mode;
    }
}
