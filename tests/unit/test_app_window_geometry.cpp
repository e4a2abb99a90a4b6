// The launcher window's place: centred on the current screen, 642 x 482.
#include <gtest/gtest.h>

#include "app/main_window.h"

namespace {

TEST(WindowGeometry, CentredOnTheScreen) {
    WindowGeometry.x = WindowGeometry.y = -12345;
    WindowGeometry.width = WindowGeometry.height = 0;
    ComputeWindowGeometry();
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(cx / 2 - 320, WindowGeometry.x) << "screen width " << cx;
    EXPECT_EQ(cy / 2 - 240, WindowGeometry.y) << "screen height " << cy;
    EXPECT_EQ(642, WindowGeometry.width);
    EXPECT_EQ(482, WindowGeometry.height);
}

}  // namespace
