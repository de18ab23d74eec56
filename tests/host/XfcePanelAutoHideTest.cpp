#include <gtest/gtest.h>

#include "host/panels/XfcePanelAutoHide.h"

namespace {

// The panel's own positions: a horizontal panel snapped to the top edge or a
// top corner runs along the top; one on a side or at the bottom does not.
TEST(XfcePanelAutoHide, APanelIsAlongTheTopWhenSnappedThereHorizontally) {
    for (const char* top : {"p=6;x=0;y=0", "p=2;x=1280;y=0", "p=9;x=640;y=0", "p=11;x=0;y=0"}) {
        EXPECT_TRUE(host::isXfceTopPanel(top, 0)) << top;
    }
    for (const char* other : {"p=10;x=0;y=0", "p=12;x=0;y=0", "p=8;x=0;y=800", "p=0;x=30;y=0", "p=1;x=0;y=0"}) {
        EXPECT_FALSE(host::isXfceTopPanel(other, 0)) << other;
    }
    // Vertical and deskbar panels stand along a side wherever they snap.
    EXPECT_FALSE(host::isXfceTopPanel("p=6;x=0;y=0", 1));
    EXPECT_FALSE(host::isXfceTopPanel("p=11;x=0;y=0", 2));
    for (const char* malformed : {"", "p=6", "p=six;x=0;y=0", "x=0;y=0;p=6"}) {
        EXPECT_FALSE(host::isXfceTopPanel(malformed, 0)) << malformed;
    }
}

}  // namespace
