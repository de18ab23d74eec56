#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "host/x11/X11PanelShade.h"

// Last: Xlib's macros (None, Bool, ...) would clash with gtest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A panel of another program: a dock window along the top in one colour.
class Panel {
public:
    Panel(Display* display, unsigned long colour) : display_(display) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = colour;
        window_ = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1000, 30, 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWBackPixel, &attributes);
        Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False),
                        XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dock), 1);
        XMapRaised(display, window_);
        XSync(display, False);
    }
    ~Panel() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    void paint(unsigned long colour) {
        XSetWindowBackground(display_, window_, colour);
        XClearWindow(display_, window_);
        XSync(display_, False);
    }

private:
    Display* display_;
    Window window_;
};

TEST(X11PanelShade, SymbolsTurnLightOnADarkPanelAndBackOnALightOne) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    host::X11Connection connection;
    Display* display = connection.display();
    EXPECT_NEAR(host::medianLuminance(display, 0, 0, 0, 0).value_or(-1), -1, 0)
        << "nothing to look at";

    Panel panel(display, 0x2b2b2b);  // a dark theme's panel
    EXPECT_LT(host::medianLuminance(display, 0, 0, 1000, 30).value(),
              host::X11PanelShade::darkBelow);
    std::vector<bool> heard;
    host::X11PanelShade shade(connection, [&](bool dark) { heard.push_back(dark); });
    EXPECT_TRUE(shade.isDark());

    panel.paint(0xdcdcdc);  // a light theme's
    shade.look();
    EXPECT_FALSE(shade.isDark());
    shade.look();
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

}  // namespace
