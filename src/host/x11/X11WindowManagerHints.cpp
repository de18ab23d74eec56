#include "host/x11/X11WindowManagerHints.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "host/StraightAlpha.h"
#include "host/x11/X11Pictures.h"
#include "host/x11/X11Properties.h"
#include "host/x11/X11Windows.h"

namespace host {

using platform::NativeWindowId;
using platform::NativeWindowKind;
using platform::ScreenFrame;

namespace {

// _NET_WM_MOVERESIZE's action that moves with the pointer.
constexpr long moveResizeMove = 8;
// Client messages from an application, as opposed to a pager.
constexpr long sourceApplication = 1;
// _MOTIF_WM_HINTS: its flags field says only the decorations field is set.
constexpr long motifDecorationsFlag = 1 << 1;

enum AtomName {
    motifWmHints,
    netWmName,
    utf8String,
    wmProtocols,
    wmDeleteWindow,
    netWmPid,
    netWmIcon,
    netWmWindowType,
    netWmWindowTypeNormal,
    netWmWindowTypeDialog,
    netWmWindowTypePopupMenu,
    netWmState,
    netWmStateModal,
    netWmStateAbove,
    netWmStateSkipTaskbar,
    netWmStateSkipPager,
    netActiveWindow,
    netWmMoveResize,
    netSupported,
    netWorkarea,
    netCurrentDesktop,
    atomCount
};

const char* const atomNames[atomCount] = {
    "_MOTIF_WM_HINTS",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "_NET_WM_PID",
    "_NET_WM_ICON",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_STATE",
    "_NET_WM_STATE_MODAL",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
    "_NET_ACTIVE_WINDOW",
    "_NET_WM_MOVERESIZE",
    "_NET_SUPPORTED",
    "_NET_WORKAREA",
    "_NET_CURRENT_DESKTOP",
};

// WM_NAME is Latin-1 (STRING) for window managers that read nothing else; a
// title beyond Latin-1 goes as UTF8_STRING, which they all know by now.
std::optional<std::string> latin1(const std::string& utf8) {
    std::string text;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            text += static_cast<char>(byte);
            continue;
        }
        // The lead bytes C2 and C3 cover U+0080 to U+00FF.
        bool continued = i + 1 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80;
        if ((byte != 0xC2 && byte != 0xC3) || !continued) return std::nullopt;
        text += static_cast<char>(((byte & 0x03) << 6) | (utf8[++i] & 0x3F));
    }
    return text;
}

}  // namespace

struct X11WindowManagerHints::Atoms {
    Atom values[atomCount] = {};
    Atom operator[](AtomName name) const { return values[name]; }
};

X11WindowManagerHints::X11WindowManagerHints(X11Connection& connection) : connection_(connection) {
    Display* display = connection_.display();
    if (!display) return;
    atoms_ = std::make_unique<Atoms>();
    XInternAtoms(display, const_cast<char**>(atomNames), atomCount, False, atoms_->values);
}

X11WindowManagerHints::~X11WindowManagerHints() = default;

void X11WindowManagerHints::setTitle(NativeWindowId window, const std::string& title) {
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    auto plain = latin1(title);
    x11SetText(display, xWindow(window), XA_WM_NAME, plain ? XA_STRING : atoms[utf8String],
               plain ? *plain : title);
    x11SetText(display, xWindow(window), atoms[netWmName], atoms[utf8String], title);
}

void X11WindowManagerHints::setKindProperties(NativeWindowId window, NativeWindowKind kind) {
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    // Our own title bar replaces the window manager's.
    std::vector<unsigned long> motifHints = {motifDecorationsFlag, 0, 0, 0, 0};
    x11SetLongs(display, xWindow(window), atoms[motifWmHints], atoms[motifWmHints], motifHints);
    XClassHint classHint{const_cast<char*>("tarnwick"), const_cast<char*>("Tarnwick")};
    XSetClassHint(display, xWindow(window), &classHint);
    Atom deleteWindow = atoms[wmDeleteWindow];
    XSetWMProtocols(display, xWindow(window), &deleteWindow, 1);
    XWMHints wmHints{};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = True;
    wmHints.initial_state = NormalState;
    XSetWMHints(display, xWindow(window), &wmHints);
    // Tells the desktop which process is the front application.
    char hostName[256] = {};
    gethostname(hostName, sizeof hostName - 1);
    x11SetText(display, xWindow(window), XA_WM_CLIENT_MACHINE, XA_STRING, hostName);
    x11SetLongs(display, xWindow(window), atoms[netWmPid], XA_CARDINAL,
                {static_cast<unsigned long>(getpid())});

    Atom type = kind == NativeWindowKind::normal  ? atoms[netWmWindowTypeNormal]
                : kind == NativeWindowKind::modal ? atoms[netWmWindowTypeDialog]
                                                  : atoms[netWmWindowTypePopupMenu];
    x11SetLongs(display, xWindow(window), atoms[netWmWindowType], XA_ATOM, {type});
}

void X11WindowManagerHints::setStates(NativeWindowId window, NativeWindowKind kind,
                                      std::optional<NativeWindowId> owner, bool skipsTaskLists) {
    if (kind == NativeWindowKind::popUpMenu) return;
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    std::vector<unsigned long> states;
    if (kind == NativeWindowKind::modal) {
        states = {atoms[netWmStateModal], atoms[netWmStateAbove]};
        if (owner) XSetTransientForHint(display, xWindow(window), xWindow(*owner));
    }
    if (skipsTaskLists) {
        states.insert(states.end(), {atoms[netWmStateSkipTaskbar], atoms[netWmStateSkipPager]});
    }
    x11SetLongs(display, xWindow(window), atoms[netWmState], XA_ATOM, states);
}

void X11WindowManagerHints::setApplicationIcon(const std::vector<platform::PixelImage>& sizes) {
    icon_.clear();
    for (const auto& image : sizes) {
        if (!isWellFormedPicture(image)) continue;
        icon_.push_back(static_cast<unsigned long>(image.width));
        icon_.push_back(static_cast<unsigned long>(image.height));
        for (std::uint32_t pixel : image.pixels) icon_.push_back(straightArgb(pixel));
    }
}

void X11WindowManagerHints::applyIcon(NativeWindowId window, NativeWindowKind kind) {
    if (icon_.empty() || kind == NativeWindowKind::popUpMenu) return;
    x11SetLongs(connection_.display(), xWindow(window), (*atoms_)[netWmIcon], XA_CARDINAL, icon_);
}

// Window managers keep their own idea of the active window and only follow
// it if asked.
bool X11WindowManagerHints::requestActivation(NativeWindowId window, unsigned long time) {
    if (!windowManagerSupports((*atoms_)[netActiveWindow])) return false;
    sendToWindowManager(window, (*atoms_)[netActiveWindow],
                        {sourceApplication, static_cast<long>(time), 0});
    return true;
}

void X11WindowManagerHints::requestMove(NativeWindowId window, double screenX, double screenY,
                                        long button) {
    if (!windowManagerSupports((*atoms_)[netWmMoveResize])) return;
    // The window manager takes the pointer from here, which it cannot while
    // our press holds it.
    XUngrabPointer(connection_.display(), CurrentTime);
    sendToWindowManager(
        window, (*atoms_)[netWmMoveResize],
        {std::lround(screenX), std::lround(screenY), moveResizeMove, button, sourceApplication});
}

std::optional<ScreenFrame> X11WindowManagerHints::workArea() {
    Display* display = connection_.display();
    Window root = connection_.rootWindow();
    // Four numbers per desktop: x, y, width, height.
    auto areas = x11Longs(display, root, (*atoms_)[netWorkarea], XA_CARDINAL);
    auto desktop = x11Longs(display, root, (*atoms_)[netCurrentDesktop], XA_CARDINAL);
    std::size_t first = !desktop.empty() && desktop[0] < areas.size() / 4 ? 4 * desktop[0] : 0;
    if (areas.size() < first + 4 || areas[first + 2] == 0 || areas[first + 3] == 0) {
        return std::nullopt;
    }
    return ScreenFrame{static_cast<double>(areas[first]), static_cast<double>(areas[first + 1]),
                       static_cast<double>(areas[first + 2]),
                       static_cast<double>(areas[first + 3])};
}

bool X11WindowManagerHints::isDeleteRequest(const XEvent& event) const {
    const XClientMessageEvent& message = event.xclient;
    if (message.message_type != (*atoms_)[wmProtocols] || message.format != 32) return false;
    return static_cast<Atom>(message.data.l[0]) == (*atoms_)[wmDeleteWindow];
}

bool X11WindowManagerHints::windowManagerSupports(unsigned long atom) {
    Display* display = connection_.display();
    Window root = connection_.rootWindow();
    if (!x11WindowManagerRunning(display, root)) return false;
    auto supported = x11Longs(display, root, (*atoms_)[netSupported], XA_ATOM);
    return std::find(supported.begin(), supported.end(), atom) != supported.end();
}

void X11WindowManagerHints::sendToWindowManager(NativeWindowId window, unsigned long messageType,
                                                const std::vector<long>& data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xWindow(window);
    event.xclient.message_type = messageType;
    event.xclient.format = 32;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 5), event.xclient.data.l);
    XSendEvent(connection_.display(), connection_.rootWindow(), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    connection_.flush();
}

}  // namespace host
