// Our windows against the real X server: clicks and keys come from xdotool as
// a person makes them; what the desktop sees (properties, pixels, grabs) is
// read by a second client.

#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostActivation.h"
#include "host/x11/X11WindowServer.h"
#include "platform/ModifierFlags.h"
#include "support/Process.h"

// Named before Xlib, whose FocusIn and FocusOut macros would replace them.
namespace {
using FocusGained = platform::WindowEvents::FocusIn;
using FocusLost = platform::WindowEvents::FocusOut;
}  // namespace

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using platform::NativeWindowId;
using platform::NativeWindowKind;
using platform::PixelImage;
using platform::ScreenFrame;
using platform::WindowEvent;
using Heard = std::vector<std::string>;
namespace Events = platform::WindowEvents;
namespace Flags = platform::ModifierFlags;

constexpr std::uint32_t red = 0xFFFF0000, blue = 0xFF0000FF, white = 0xFFFFFFFF, black = 0xFF000000,
                        clear = 0;

using support::xdotool;

std::string flagsText(std::uint64_t flags) {
    std::string text;
    for (auto [flag, name] : {std::pair{Flags::shift, "shift"},
                              {Flags::control, "control"},
                              {Flags::option, "option"},
                              {Flags::command, "command"},
                              {std::uint64_t{0x10000}, "caps"}}) {
        if (flags & flag) text += (text.empty() ? "" : "+") + std::string(name);
    }
    return text.empty() ? "-" : text;
}

std::string escaped(const std::string& text) {
    std::ostringstream out;
    for (unsigned char byte : text) {
        if (byte < 0x20 || byte == 0x7F) {
            out << "\\x" << std::hex << static_cast<int>(byte) << std::dec;
        } else {
            out << byte;
        }
    }
    return out.str();
}

// One line per event, so a failure shows the whole story.
struct Describe {
    static std::string at(double x, double y) {
        return std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
    }
    std::string operator()(const Events::MouseDown& e) const {
        return "down " + std::to_string(e.button) + " at " + at(e.x, e.y) + " x" +
               std::to_string(e.clickCount) + " " + flagsText(e.modifiers);
    }
    std::string operator()(const Events::MouseUp& e) const {
        return "up " + std::to_string(e.button) + " at " + at(e.x, e.y);
    }
    std::string operator()(const Events::MouseMoved& e) const {
        return std::string(e.buttonDown ? "drag" : "move") + " to " + at(e.x, e.y) + " " +
               flagsText(e.modifiers);
    }
    std::string operator()(const Events::KeyDown& e) const {
        return "key " + std::to_string(e.keyCode) + " '" + escaped(e.characters) + "' '" +
               escaped(e.charactersIgnoringModifiers) + "' " + flagsText(e.modifiers) +
               (e.isRepeat ? " repeat" : "");
    }
    std::string operator()(const Events::KeyUp& e) const {
        return "key up " + std::to_string(e.keyCode);
    }
    std::string operator()(const Events::FlagsChanged& e) const {
        return "flags " + std::to_string(e.keyCode) + " " + flagsText(e.modifiers);
    }
    std::string operator()(const FocusGained&) const { return "focus in"; }
    std::string operator()(const FocusLost&) const { return "focus out"; }
    std::string operator()(const Events::CloseRequested&) const { return "close"; }
    std::string operator()(const Events::Exposed&) const { return "exposed"; }
    std::string operator()(const Events::ClickedOutside&) const { return "clicked outside"; }
    std::string operator()(const Events::Moved& e) const { return "moved to " + at(e.x, e.y); }
};

PixelImage picture(int width, int height, std::uint32_t colour) {
    return {width, height,
            std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

// Another client of the same server, looking at our windows as the desktop does.
class Observer {
public:
    Display* display() const { return display_; }
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    std::string text(Window window, const char* property, const char* type) {
        auto [bytes, count] = read(window, property, atom(type), 8);
        std::string value(reinterpret_cast<char*>(bytes), count);
        XFree(bytes);
        return value;
    }
    std::vector<unsigned long> longs(Window window, const char* property, Atom type) {
        auto [bytes, count] = read(window, property, type, 32);
        auto* values = reinterpret_cast<unsigned long*>(bytes);
        std::vector<unsigned long> result(values, values + count);
        XFree(bytes);
        return result;
    }
    std::vector<std::string> atoms(Window window, const char* property) {
        std::vector<std::string> names;
        for (unsigned long value : longs(window, property, XA_ATOM)) {
            char* name = XGetAtomName(display_, value);
            names.push_back(name);
            XFree(name);
        }
        return names;
    }
    XWindowAttributes attributes(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window, &attributes);
        return attributes;
    }
    ScreenFrame frame(Window window) {
        XWindowAttributes found = attributes(window);
        return {double(found.x), double(found.y), double(found.width), double(found.height)};
    }
    unsigned long pixel(Window window, int x, int y) {
        XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0xDEADBEEF;
        unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    }
    // Whether the pointer and the keyboard are free for the taking, as
    // another application finds them.
    bool pointerIsFree() {
        int status = XGrabPointer(display_, connection_.rootWindow(), False, ButtonPressMask,
                                  GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        XUngrabPointer(display_, CurrentTime);
        XSync(display_, False);
        return status == GrabSuccess;
    }
    bool keyboardIsFree() {
        int status = XGrabKeyboard(display_, connection_.rootWindow(), False, GrabModeAsync,
                                   GrabModeAsync, CurrentTime);
        XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
        return status == GrabSuccess;
    }
    Window coverWith(int x, int y, unsigned width, unsigned height) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
        Window cover = XCreateWindow(display_, connection_.rootWindow(), x, y, width, height, 0,
                                     CopyFromParent, InputOutput, CopyFromParent,
                                     CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display_, cover);
        XSync(display_, False);
        return cover;
    }
    void sendClose(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("WM_PROTOCOLS");
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
        XSendEvent(display_, window, False, NoEventMask, &event);
        XSync(display_, False);
    }
    host::X11Connection& connection() { return connection_; }

private:
    std::pair<unsigned char*, unsigned long> read(Window window, const char* property, Atom type,
                                                  int format) {
        Atom actualType = 0;
        int actualFormat = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* bytes = nullptr;
        XGetWindowProperty(display_, window, atom(property), 0, 1024, False, type, &actualType,
                           &actualFormat, &count, &remaining, &bytes);
        if (actualType != type || actualFormat != format) count = 0;
        return {bytes, count};
    }

    host::X11Connection connection_;  // a connection of its own
    Display* display_ = connection_.display();
};

class X11WindowServerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(server.isAvailable());
        ASSERT_TRUE(observer.display());
    }
    void TearDown() override {
        if (!observer.display()) return;
        // A failed test must not leave Caps Lock on for the tests that type.
        Window root = 0, child = 0;
        int x = 0, y = 0, windowX = 0, windowY = 0;
        unsigned mask = 0;
        XQueryPointer(observer.display(), observer.connection().rootWindow(), &root, &child, &x, &y,
                      &windowX, &windowY, &mask);
        if (mask & LockMask) xdotool({"key", "Caps_Lock"});
    }

    NativeWindowId open(NativeWindowKind kind, ScreenFrame frame, const std::string& title = "") {
        auto slot = std::make_shared<NativeWindowId>();
        NativeWindowId window = server.createWindow(
            kind, title, frame,
            [this, slot](const WindowEvent& event) { heardSoFar[*slot].push_back(event); });
        *slot = window;
        return window;
    }
    // Lets the server and us catch up: our requests done, its events read.
    void settle(int milliseconds = 100) {
        XSync(connection.display(), False);
        gint64 end = g_get_monotonic_time() + milliseconds * 1000;
        while (g_get_monotonic_time() < end) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
        }
    }
    // Runs the main loop until `window` has heard `count` events of the given
    // kinds or time is up; answers those, in order, and forgets all it heard.
    template <typename... Kinds>
    Heard heard(NativeWindowId window, std::size_t count) {
        auto wanted = [](const WindowEvent& event) {
            return (std::holds_alternative<Kinds>(event) || ...);
        };
        Heard lines;
        gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
        while (g_get_monotonic_time() < deadline) {
            lines.clear();
            for (const WindowEvent& event : heardSoFar[window]) {
                if (wanted(event)) lines.push_back(std::visit(Describe{}, event));
            }
            if (lines.size() >= count) break;
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
        }
        heardSoFar[window].clear();
        return lines;
    }
    Heard mouse(NativeWindowId window, std::size_t count) {
        return heard<Events::MouseDown, Events::MouseUp, Events::MouseMoved,
                     Events::ClickedOutside>(window, count);
    }
    Heard keys(NativeWindowId window, std::size_t count) {
        return heard<Events::KeyDown, Events::KeyUp, Events::FlagsChanged>(window, count);
    }
    // Lets late events (the releases of a click) arrive, and forgets them.
    void quiet(NativeWindowId window) {
        settle();
        heardSoFar[window].clear();
    }
    std::string id(NativeWindowId window) { return std::to_string(window); }

    host::X11Connection connection;
    host::X11WindowServer server{connection};
    Observer observer;
    std::map<NativeWindowId, std::vector<WindowEvent>> heardSoFar;
};

TEST_F(X11WindowServerTest, WindowsTellTheDesktopWhatTheyAreAndWhereTheyGo) {
    NativeWindowId normal = open(NativeWindowKind::normal, {120, 80, 300, 200}, "Réglages");
    NativeWindowId modal = open(NativeWindowKind::modal, {140, 90, 260, 120}, "Alert ✓");
    NativeWindowId popUp = open(NativeWindowKind::popUpMenu, {150, 100, 120, 90});
    settle(0);

    // Latin-1 for the old readers where it can be.
    EXPECT_EQ(observer.text(normal, "WM_NAME", "STRING"), "R\xE9glages");
    EXPECT_EQ(observer.text(normal, "_NET_WM_NAME", "UTF8_STRING"), "Réglages");
    EXPECT_EQ(observer.text(modal, "WM_NAME", "UTF8_STRING"), "Alert ✓");
    EXPECT_EQ(observer.text(normal, "WM_CLASS", "STRING"), std::string("tarnwick\0Tarnwick\0", 18));
    EXPECT_EQ(observer.longs(normal, "_NET_WM_PID", XA_CARDINAL),
              std::vector<unsigned long>{static_cast<unsigned long>(getpid())});
    for (NativeWindowId window : {normal, modal}) {
        auto motif = observer.longs(window, "_MOTIF_WM_HINTS", observer.atom("_MOTIF_WM_HINTS"));
        ASSERT_EQ(motif.size(), 5u);
        EXPECT_TRUE(motif[0] & 2) << "decorations are set";
        EXPECT_EQ(motif[2], 0u) << "and there are none";
        EXPECT_EQ(observer.atoms(window, "WM_PROTOCOLS"), Heard{"WM_DELETE_WINDOW"});
        EXPECT_FALSE(observer.attributes(window).override_redirect);
    }
    EXPECT_EQ(observer.atoms(normal, "_NET_WM_WINDOW_TYPE"), Heard{"_NET_WM_WINDOW_TYPE_NORMAL"});
    EXPECT_EQ(observer.atoms(modal, "_NET_WM_WINDOW_TYPE"), Heard{"_NET_WM_WINDOW_TYPE_DIALOG"});
    EXPECT_EQ(observer.atoms(modal, "_NET_WM_STATE"),
              (Heard{"_NET_WM_STATE_MODAL", "_NET_WM_STATE_ABOVE"}));
    EXPECT_EQ(observer.atoms(normal, "_NET_WM_STATE"), Heard{});
    EXPECT_EQ(observer.atoms(popUp, "_NET_WM_WINDOW_TYPE"),
              Heard{"_NET_WM_WINDOW_TYPE_POPUP_MENU"});
    EXPECT_TRUE(observer.attributes(popUp).override_redirect);
    EXPECT_EQ(observer.frame(popUp), (ScreenFrame{150, 100, 120, 90}));

    server.setTitle(normal, "Tarnwick — Settings");
    server.setFrame(normal, {200, 150, 320.4, 239.6});
    settle(0);
    EXPECT_EQ(observer.text(normal, "WM_NAME", "UTF8_STRING"), "Tarnwick — Settings");
    EXPECT_EQ(observer.text(normal, "_NET_WM_NAME", "UTF8_STRING"), "Tarnwick — Settings");
    EXPECT_EQ(observer.frame(normal), (ScreenFrame{200, 150, 320, 240}));
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer.display(), normal, &hints, &supplied));
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize);
    EXPECT_EQ((std::vector{hints.min_width, hints.min_height, hints.max_width, hints.max_height}),
              (std::vector{320, 240, 320, 240}));

    server.destroyWindow(modal);
    settle(0);
    host::X11ErrorTrap trap(observer.display());
    observer.attributes(modal);
    EXPECT_EQ(trap.sync(), BadWindow);
}

// An application without a Dock icon stays out of task lists and pagers,
// and its dialogs belong to the window they were opened from.
TEST_F(X11WindowServerTest, AnAccessorysWindowsSkipTheTaskListAndDialogsBelongToTheirWindow) {
    host::HostActivation activation;
    activation.setPolicy(platform::ActivationPolicy::accessory);
    host::X11WindowServer accessory{connection, &activation};
    NativeWindowId settings = accessory.createWindow(NativeWindowKind::normal, "Settings", {60, 60, 300, 200}, {});
    NativeWindowId alert = accessory.createWindow(NativeWindowKind::modal, "Alert", {80, 80, 200, 100}, {});
    accessory.show(settings, false);
    accessory.show(alert, true);
    settle(0);
    EXPECT_EQ(observer.atoms(settings, "_NET_WM_STATE"),
              (Heard{"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}));
    EXPECT_EQ(observer.atoms(alert, "_NET_WM_STATE"), (Heard{"_NET_WM_STATE_MODAL", "_NET_WM_STATE_ABOVE",
                                                             "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}));
    Window owner = 0;
    ASSERT_TRUE(XGetTransientForHint(observer.display(), alert, &owner));
    EXPECT_EQ(owner, settings);

    // A regular application's windows are listed.
    NativeWindowId listed = open(NativeWindowKind::normal, {90, 90, 100, 100});
    server.show(listed, false);
    settle(0);
    EXPECT_EQ(observer.atoms(listed, "_NET_WM_STATE"), Heard{});
    accessory.destroyWindow(alert);
    accessory.destroyWindow(settings);
}

TEST_F(X11WindowServerTest, AWindowShowsItsPictureEvenAfterBeingCovered) {
    NativeWindowId window = open(NativeWindowKind::normal, {40, 40, 64, 48});
    // The last row is transparent: our windows show white there.
    PixelImage redPicture = picture(64, 48, red);
    std::fill_n(redPicture.pixels.end() - 64, 64, clear);
    server.present(window, redPicture, 1);
    server.show(window, false);
    // The toolkit here does not present again: the server keeps the picture.
    EXPECT_EQ(heard<Events::Exposed>(window, 1), Heard{"exposed"});
    settle(0);
    EXPECT_EQ(observer.pixel(window, 10, 10), 0xFF0000u);
    EXPECT_EQ(observer.pixel(window, 63, 46), 0xFF0000u);
    EXPECT_EQ(observer.pixel(window, 10, 47), 0xFFFFFFu);

    // Uncovering all but a hole exposes several rectangles at once; the
    // toolkit hears of them once.
    Window whole = observer.coverWith(30, 30, 100, 100);
    Window hole = observer.coverWith(60, 60, 10, 10);
    settle();
    heardSoFar[window].clear();
    XDestroyWindow(observer.display(), whole);
    XSync(observer.display(), False);
    settle(300);
    EXPECT_EQ(heard<Events::Exposed>(window, 1), Heard{"exposed"});
    EXPECT_EQ(observer.pixel(window, 1, 1), 0xFF0000u);
    EXPECT_EQ(observer.pixel(window, 60, 40), 0xFF0000u);
    XDestroyWindow(observer.display(), hole);
    XSync(observer.display(), False);
    EXPECT_EQ(heard<Events::Exposed>(window, 1), Heard{"exposed"});
    settle(0);
    EXPECT_EQ(observer.pixel(window, 25, 25), 0xFF0000u);
}

TEST_F(X11WindowServerTest, APictureAtTwiceTheScaleIsAveragedDownToTheWindow) {
    NativeWindowId window = open(NativeWindowKind::normal, {40, 40, 32, 16});
    server.show(window, false);
    heard<Events::Exposed>(window, 1);
    // Left half a fine checkerboard, right half blue.
    PixelImage sharp = picture(64, 32, blue);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) sharp.pixels[y * 64 + x] = (x + y) % 2 ? white : black;
    }
    server.present(window, sharp, 2);
    settle(0);
    EXPECT_EQ(observer.pixel(window, 5, 5), 0x808080u);
    EXPECT_EQ(observer.pixel(window, 15, 15), 0x808080u);
    EXPECT_EQ(observer.pixel(window, 16, 0), 0x0000FFu);
    EXPECT_EQ(observer.pixel(window, 31, 15), 0x0000FFu);
    EXPECT_EQ(observer.frame(window), (ScreenFrame{40, 40, 32, 16}));
}

TEST_F(X11WindowServerTest, ClicksArriveInWindowPointsAndCountRepeatsNearby) {
    NativeWindowId window = open(NativeWindowKind::normal, {300, 300, 200, 150});
    server.show(window, false);
    heard<Events::Exposed>(window, 1);
    std::string w = id(window);
    xdotool({"mousemove", "--window", w, "10", "10", "click", "1",
             // Far from the last press, then three more in place.
             "mousemove", "--window", w, "60", "40", "click", "--repeat", "3", "--delay", "80", "1",
             // Close enough to continue, then a pause, then another button.
             "mousemove", "--window", w, "63", "43", "click", "1", "sleep", "0.6", "click", "1",
             "click", "3"});
    Heard downs = heard<Events::MouseDown>(window, 7);
    EXPECT_EQ(downs, (Heard{"down 1 at 10,10 x1 -", "down 1 at 60,40 x1 -", "down 1 at 60,40 x2 -",
                            "down 1 at 60,40 x3 -", "down 1 at 63,43 x4 -", "down 1 at 63,43 x1 -",
                            "down 3 at 63,43 x1 -"}));

    quiet(window);
    xdotool({"mousemove", "--window", w, "20", "20", "keydown", "shift", "mousedown", "1",
             "mousemove", "--window", w, "30", "35", "mouseup", "1", "keyup", "shift"});
    EXPECT_EQ(mouse(window, 4), (Heard{"move to 20,20 -", "down 1 at 20,20 x1 shift",
                                       "drag to 30,35 shift", "up 1 at 30,35"}));
}

TEST_F(X11WindowServerTest, KeysArriveAsKeyPositionsWithWhatTheyType) {
    NativeWindowId window = open(NativeWindowKind::normal, {300, 300, 200, 150});
    server.show(window, true);
    ASSERT_EQ(heard<FocusGained>(window, 1), Heard{"focus in"});

    xdotool({"keydown", "Control_L", "key", "k", "keyup", "Control_L"});
    EXPECT_EQ(keys(window, 4),
              (Heard{"flags 59 control", "key 40 '\\xb' 'k' control", "key up 40", "flags 59 -"}));
    xdotool({"type", "a7,"});
    xdotool({"key", "shift+a", "Return", "Tab", "Escape", "BackSpace", "Delete"});
    EXPECT_EQ(
        heard<Events::KeyDown>(window, 9),
        (Heard{"key 0 'a' 'a' -", "key 26 '7' '7' -", "key 43 ',' ',' -", "key 0 'A' 'a' shift",
               "key 36 '\\xd' '\\xd' -", "key 48 '\\x9' '\\x9' -", "key 53 '\\x1b' '\\x1b' -",
               "key 51 '\\x8' '\\x8' -", "key 117 '\\x7f' '\\x7f' -"}));
    quiet(window);

    // Right-hand keys are theirs; each modifier key reports the state after
    // it, and Command stays down while either of its keys is.
    xdotool({"keydown", "Super_L", "keydown", "Super_R", "keydown", "Alt_L", "key", "k", "keyup",
             "Super_L", "keyup", "Super_R", "keyup", "Alt_L"});
    EXPECT_EQ(keys(window, 8),
              (Heard{"flags 55 command", "flags 54 command", "flags 58 option+command",
                     "key 40 'k' 'k' option+command", "key up 40", "flags 55 option+command",
                     "flags 54 option", "flags 58 -"}));

    // Caps Lock locks as it goes down and unlocks as it comes up again.
    xdotool({"key", "Caps_Lock", "a", "Caps_Lock"});
    EXPECT_EQ(keys(window, 6), (Heard{"flags 57 caps", "flags 57 caps", "key 0 'A' 'a' caps",
                                      "key up 0", "flags 57 caps", "flags 57 -"}));

    // Held past the server's auto-repeat delay.
    xdotool({"keydown", "b", "sleep", "1.2", "keyup", "b"});
    settle(300);
    Heard held = keys(window, 4);
    ASSERT_GE(held.size(), 4u);
    EXPECT_EQ(held.front(), "key 11 'b' 'b' -");
    EXPECT_EQ(held.back(), "key up 11");
    for (std::size_t i = 1; i + 1 < held.size(); ++i) EXPECT_EQ(held[i], "key 11 'b' 'b' - repeat");
}

TEST_F(X11WindowServerTest, FocusMovesBetweenOurWindowsAndTheDesktopCanAskToClose) {
    NativeWindowId first = open(NativeWindowKind::normal, {100, 100, 200, 150});
    NativeWindowId second = open(NativeWindowKind::modal, {150, 150, 200, 150});
    server.show(first, true);
    EXPECT_EQ(heard<FocusGained>(first, 1), Heard{"focus in"});
    server.show(second, true);
    EXPECT_EQ(heard<FocusGained>(second, 1), Heard{"focus in"});
    EXPECT_EQ((heard<FocusGained, FocusLost>(first, 1)), Heard{"focus out"});
    server.hide(second);
    EXPECT_EQ((heard<FocusGained, FocusLost>(second, 1)), Heard{"focus out"});

    observer.sendClose(first);
    EXPECT_EQ(heard<Events::CloseRequested>(first, 1), Heard{"close"});
    EXPECT_EQ(heard<Events::CloseRequested>(second, 0), Heard{});
}

TEST_F(X11WindowServerTest, AShownPopUpMenuTakesEveryPressUntilItGoes) {
    NativeWindowId window = open(NativeWindowKind::normal, {100, 100, 300, 200});
    NativeWindowId menu = open(NativeWindowKind::popUpMenu, {150, 150, 120, 80});
    server.show(window, false);
    EXPECT_TRUE(observer.pointerIsFree());
    server.show(menu, false);
    settle();
    EXPECT_FALSE(observer.pointerIsFree());
    EXPECT_FALSE(observer.keyboardIsFree());
    // Keys reach the menu, though it never had the focus.
    xdotool({"key", "Escape"});
    EXPECT_EQ(heard<Events::KeyDown>(menu, 1).size(), 1u);

    xdotool({"mousemove", "--window", id(menu), "10", "12", "click", "1"});
    EXPECT_EQ((heard<Events::MouseDown, Events::MouseUp>(menu, 2)),
              (Heard{"down 1 at 10,12 x1 -", "up 1 at 10,12"}));
    // Elsewhere on the screen, and in our own window beside the menu.
    for (auto [x, y] : {std::pair{800, 600}, {110, 110}}) {
        xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
        EXPECT_EQ(heard<Events::ClickedOutside>(menu, 1), Heard{"clicked outside"});
    }
    EXPECT_EQ(heard<Events::MouseDown>(window, 0), Heard{});

    server.hide(menu);
    settle();
    EXPECT_TRUE(observer.pointerIsFree());
    EXPECT_TRUE(observer.keyboardIsFree());
    xdotool({"mousemove", "110", "110", "click", "1"});
    EXPECT_EQ(heard<Events::MouseDown>(window, 1), Heard{"down 1 at 10,10 x1 -"});
    EXPECT_EQ(heard<Events::ClickedOutside>(menu, 0), Heard{});

    server.show(menu, false);
    settle();
    EXPECT_FALSE(observer.pointerIsFree());
    server.destroyWindow(menu);
    settle();
    EXPECT_TRUE(observer.pointerIsFree());
}

// Plays the part of a window manager: its check window, what it supports,
// and the requests clients send it.
class PretendWindowManager {
public:
    explicit PretendWindowManager(Observer& observer) : observer_(observer) {
        Display* display = observer_.display();
        check_ = XCreateSimpleWindow(display, root(), 0, 0, 1, 1, 0, 0, 0);
        for (Window window : {root(), check_}) {
            XChangeProperty(display, window, observer_.atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW,
                            32, PropModeReplace, reinterpret_cast<unsigned char*>(&check_), 1);
        }
        Atom supported[] = {observer_.atom("_NET_WM_MOVERESIZE"),
                            observer_.atom("_NET_ACTIVE_WINDOW")};
        XChangeProperty(display, root(), observer_.atom("_NET_SUPPORTED"), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(supported), 2);
        // Requests come as client messages to the root window.
        XSelectInput(display, root(), SubstructureNotifyMask);
        listener_ = observer_.connection().addEventListener([this](const XEvent& event) {
            if (event.type != ClientMessage) return;
            char* name = XGetAtomName(observer_.display(), event.xclient.message_type);
            std::string line = name + std::to_string(event.xclient.window == window ? 0 : 1);
            XFree(name);
            for (long value : event.xclient.data.l) line += " " + std::to_string(value);
            requests.push_back(line);
        });
        XSync(display, False);
    }
    ~PretendWindowManager() {
        Display* display = observer_.display();
        observer_.connection().removeEventListener(listener_);
        XSelectInput(display, root(), NoEventMask);
        for (const char* name : {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_WORKAREA"}) {
            XDeleteProperty(display, root(), observer_.atom(name));
        }
        leave();
    }
    // Goes as a crashed one does, leaving its properties behind.
    void leave() {
        if (check_) XDestroyWindow(observer_.display(), check_);
        check_ = 0;
        XSync(observer_.display(), False);
    }
    void setWorkArea(std::vector<long> area) {
        XChangeProperty(observer_.display(), root(), observer_.atom("_NET_WORKAREA"), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<unsigned char*>(area.data()),
                        static_cast<int>(area.size()));
        XSync(observer_.display(), False);
    }

    NativeWindowId window = 0;  // whose requests read "…0"
    Heard requests;

private:
    Window root() const { return observer_.connection().rootWindow(); }

    Observer& observer_;
    Window check_ = 0;
    host::X11Connection::ListenerId listener_ = 0;
};

TEST_F(X11WindowServerTest, AWindowManagerIsAskedToMoveAndActivateAndNamesTheWorkArea) {
    Display* display = observer.display();
    int screen = DefaultScreen(display);
    ScreenFrame wholeScreen{0, 0, double(DisplayWidth(display, screen)),
                            double(DisplayHeight(display, screen))};
    EXPECT_EQ(server.mainScreenFrame(), wholeScreen);

    NativeWindowId window = open(NativeWindowKind::normal, {100, 100, 200, 150});
    server.show(window, false);
    heard<Events::Exposed>(window, 1);
    PretendWindowManager manager(observer);
    manager.window = window;
    manager.setWorkArea({0, 32, 1000, 700});
    EXPECT_EQ(server.mainScreenFrame(), (ScreenFrame{0, 32, 1000, 700}));

    server.beginMove(window, 250.4, 130);
    server.show(window, true);
    settle();
    EXPECT_EQ(manager.requests,
              (Heard{"_NET_WM_MOVERESIZE0 250 130 8 1 1", "_NET_ACTIVE_WINDOW0 1 0 0 0 0"}));

    // The manager moves the window as the pointer drags it; the window hears
    // where it went, once.
    XMoveWindow(display, window, 310, 220);
    XSync(display, False);
    EXPECT_EQ(heard<Events::Moved>(window, 1), Heard{"moved to 310,220"});
    server.setFrame(window, {320, 230, 200, 150});
    settle();
    EXPECT_EQ(heard<Events::Moved>(window, 0), Heard{}) << "our own moves are not news";

    manager.requests.clear();
    manager.leave();
    server.beginMove(window, 250, 130);
    settle();
    EXPECT_EQ(manager.requests, Heard{});
}

TEST(X11WindowServer, WithoutADisplayWindowsHaveIdsAndNothingElseHappens) {
    host::X11Connection connection{":4095"};
    ASSERT_FALSE(connection.available());
    host::X11WindowServer server{connection};
    EXPECT_FALSE(server.isAvailable());
    EXPECT_EQ(server.mainScreenFrame(), std::nullopt);
    int calls = 0;
    auto handler = [&](const WindowEvent&) { ++calls; };
    NativeWindowId first =
        server.createWindow(NativeWindowKind::normal, "A", {0, 0, 10, 10}, handler);
    NativeWindowId second =
        server.createWindow(NativeWindowKind::popUpMenu, "", {0, 0, 10, 10}, handler);
    EXPECT_NE(first, second);
    server.show(first, true);
    server.present(first, picture(10, 10, red), 1);
    server.beginMove(first, 5, 5);
    server.destroyWindow(second);
    EXPECT_EQ(calls, 0);
}

}  // namespace
