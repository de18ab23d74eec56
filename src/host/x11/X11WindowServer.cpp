#include "host/StraightAlpha.h"
#include "host/x11/X11WindowServer.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "host/VirtualKeyCodes.h"
#include "platform/ModifierFlags.h"

// Xlib's event types of these names would replace the toolkit's events.
constexpr int focusInEvent = FocusIn;
constexpr int focusOutEvent = FocusOut;
#undef FocusIn
#undef FocusOut

namespace host {

using platform::NativeWindowId;
using platform::NativeWindowKind;
using platform::PixelImage;
using platform::ScreenFrame;
namespace WindowEvents = platform::WindowEvents;

namespace {

// Two presses of one button this close in time and place count as one more click.
constexpr std::uint32_t multipleClickMilliseconds = 400;
constexpr int multipleClickPixels = 4;

// The caps-lock bit of the modifier flags; the shortcut mask leaves it out.
constexpr std::uint64_t capsLockFlag = 0x10000;

constexpr long pointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr long windowEvents = ExposureMask | pointerEvents | KeyPressMask | KeyReleaseMask |
                              FocusChangeMask | StructureNotifyMask;

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
    netSupportingWmCheck,
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
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_WORKAREA",
    "_NET_CURRENT_DESKTOP",
};

struct ImageDeleter {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePointer = std::unique_ptr<XImage, ImageDeleter>;

// X windows are at least one pixel wide and high.
struct PixelRect {
    int x = 0, y = 0;
    unsigned width = 1, height = 1;
};

PixelRect pixelRect(const ScreenFrame& frame) {
    return {static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(frame.y)),
            static_cast<unsigned>(std::max(1L, std::lround(frame.width))),
            static_cast<unsigned>(std::max(1L, std::lround(frame.height)))};
}

Window xWindow(NativeWindowId window) {
    return static_cast<Window>(window);
}

// --- Properties

void setProperty(Display* display, NativeWindowId window, Atom property, Atom type, int format,
                 const void* data, std::size_t count) {
    XChangeProperty(display, xWindow(window), property, type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), static_cast<int>(count));
}

// Format-32 properties are longs on the client side, whatever their size on the wire.
void setLongs(Display* display, NativeWindowId window, Atom property, Atom type,
              const std::vector<unsigned long>& values) {
    setProperty(display, window, property, type, 32, values.data(), values.size());
}

void setText(Display* display, NativeWindowId window, Atom property, Atom type,
             const std::string& text) {
    setProperty(display, window, property, type, 8, text.data(), text.size());
}

std::vector<unsigned long> readLongs(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                                    &actualFormat, &count, &remaining, &data);
    std::vector<unsigned long> values;
    if (status == Success && actualType == type && actualFormat == 32) {
        auto* longs = reinterpret_cast<unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data) XFree(data);
    return values;
}

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

// --- Pictures

bool wellFormed(const PixelImage& image) {
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() == static_cast<std::size_t>(image.width) * image.height;
}

// The average of the factor×factor block at (left, top). Premultiplied
// colours average correctly as they are.
std::uint32_t blockAverage(const PixelImage& image, int left, int top, int factor) {
    std::uint32_t sums[4] = {};
    for (int y = top; y < top + factor; ++y) {
        for (int x = left; x < left + factor; ++x) {
            std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            for (int channel = 0; channel < 4; ++channel) {
                sums[channel] += (pixel >> (8 * channel)) & 0xFF;
            }
        }
    }
    auto count = static_cast<std::uint32_t>(factor * factor);
    std::uint32_t average = 0;
    for (int channel = 0; channel < 4; ++channel) {
        average |= ((sums[channel] + count / 2) / count) << (8 * channel);
    }
    return average;
}

PixelImage reduced(const PixelImage& image, int factor) {
    PixelImage smaller;
    smaller.width = image.width / factor;
    smaller.height = image.height / factor;
    smaller.pixels.reserve(static_cast<std::size_t>(smaller.width) * smaller.height);
    for (int y = 0; y < smaller.height; ++y) {
        for (int x = 0; x < smaller.width; ++x) {
            smaller.pixels.push_back(blockAverage(image, x * factor, y * factor, factor));
        }
    }
    return smaller;
}

// Premultiplied ARGB shown over white, as opaque 0xRRGGBB.
std::uint32_t overWhite(std::uint32_t argb) {
    std::uint32_t uncovered = 255 - (argb >> 24);
    if (!uncovered) return argb & 0xFFFFFF;
    std::uint32_t rgb = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        std::uint32_t channel = std::min<std::uint32_t>(255, ((argb >> shift) & 0xFF) + uncovered);
        rgb |= channel << shift;
    }
    return rgb;
}

// An 8-bit channel placed where the visual's mask says, at the mask's width.
unsigned long maskedChannel(std::uint32_t value, unsigned long mask) {
    if (!mask) return 0;
    int bits = std::popcount(mask);
    unsigned long scaled =
        bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (scaled << std::countr_zero(mask)) & mask;
}

bool holdsNativeRgb(const XImage& image) {
    bool nativeOrder =
        (image.byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    return image.bits_per_pixel == 32 && nativeOrder && image.red_mask == 0xFF0000 &&
           image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

void fillImage(XImage& image, const PixelImage& picture) {
    const bool native = holdsNativeRgb(image);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* source = &picture.pixels[static_cast<std::size_t>(y) * picture.width];
        auto* row = reinterpret_cast<std::uint32_t*>(image.data + y * image.bytes_per_line);
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t rgb = overWhite(source[x]);
            if (native) {
                row[x] = rgb;
                continue;
            }
            XPutPixel(&image, x, y,
                      maskedChannel(rgb >> 16, image.red_mask) |
                          maskedChannel((rgb >> 8) & 0xFF, image.green_mask) |
                          maskedChannel(rgb & 0xFF, image.blue_mask));
        }
    }
}

// The picture in the visual's pixel format, ready to be put on a window;
// null when it is empty.
ImagePointer serverImage(Display* display, Visual* visual, int depth, const PixelImage& picture) {
    if (!wellFormed(picture)) return nullptr;
    ImagePointer image(XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                    nullptr, static_cast<unsigned>(picture.width),
                                    static_cast<unsigned>(picture.height), 32, 0));
    if (!image) return nullptr;
    // XDestroyImage frees the pixels with free().
    image->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(image->bytes_per_line) * picture.height));
    if (!image->data) return nullptr;
    fillImage(*image, picture);
    return image;
}

// --- Keys

std::uint64_t modifierFlags(unsigned state) {
    namespace Flags = platform::ModifierFlags;
    // The desktop's usual roles, as for global hot keys: Option is Alt, Command is Super.
    constexpr std::pair<unsigned, std::uint64_t> roles[] = {{ShiftMask, Flags::shift},
                                                            {ControlMask, Flags::control},
                                                            {Mod1Mask, Flags::option},
                                                            {Mod4Mask, Flags::command},
                                                            {LockMask, capsLockFlag}};
    std::uint64_t flags = 0;
    for (auto [mask, flag] : roles) {
        if (state & mask) flags |= flag;
    }
    return flags;
}

// The X modifier a modifier key sets, 0 for other keys.
unsigned modifierKeyMask(KeySym keysym) {
    switch (keysym) {
        case XK_Shift_L:
        case XK_Shift_R:
            return ShiftMask;
        case XK_Control_L:
        case XK_Control_R:
            return ControlMask;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return Mod1Mask;
        case XK_Super_L:
        case XK_Super_R:
            return Mod4Mask;
        case XK_Caps_Lock:
            return LockMask;
        // Right Alt where it picks the third level: a modifier key, though not one of ours.
        case XK_ISO_Level3_Shift:
            return Mod5Mask;
        default:
            return 0;
    }
}

std::string keysymText(KeySym keysym) {
    char buffer[8];  // one character and a terminating NUL
    int size = xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(keysym), buffer, sizeof buffer);
    return size > 1 ? std::string(buffer, static_cast<std::size_t>(size - 1)) : std::string();
}

// XLookupString applies Shift, Caps Lock and Control as X defines them, but
// answers in the locale's encoding: its ASCII is the same in all of them, and
// anything else is read from the key symbol it chose.
std::string typedText(XKeyEvent key) {
    char bytes[16];
    KeySym keysym = NoSymbol;
    int count = XLookupString(&key, bytes, sizeof bytes, &keysym, nullptr);
    bool ascii = count > 0 && std::all_of(bytes, bytes + count, [](char byte) {
                     return static_cast<unsigned char>(byte) < 0x80;
                 });
    if (ascii) return std::string(bytes, static_cast<std::size_t>(count));
    return keysymText(keysym);
}

bool isAnnouncedFocusChange(const XFocusChangeEvent& change) {
    // Grabs move the keyboard only for a while; focus that follows the
    // pointer, or moves between a window and its parts, is not a change of
    // the key window.
    if (change.mode == NotifyGrab || change.mode == NotifyUngrab) return false;
    return change.detail != NotifyInferior && change.detail != NotifyPointer &&
           change.detail != NotifyPointerRoot && change.detail != NotifyDetailNone;
}

}  // namespace

struct X11WindowServer::Atoms {
    Atom values[atomCount] = {};
    Atom operator[](AtomName name) const { return values[name]; }
};

// A TrueColor visual of the screen's depth: the default one when it is, with
// a colormap of our own otherwise.
struct X11WindowServer::PixelFormat {
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    bool ownColormap = false;
    unsigned long white = 0;
};

struct X11WindowServer::NativeWindow {
    NativeWindowKind kind = NativeWindowKind::normal;
    EventHandler handler;
    ScreenFrame frame;
    GC gc = nullptr;
    bool mapped = false;   // as the server last reported, or unmapped by us since
    bool focusWhenMapped = false;
    bool focused = false;
};

X11WindowServer::X11WindowServer(X11Connection& connection, const platform::Activation* activation)
    : connection_(connection), activation_(activation) {
    Display* display = connection_.display();
    if (!display) return;
    // A held key then repeats its press without releases in between.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    atoms_ = std::make_unique<Atoms>();
    XInternAtoms(display, const_cast<char**>(atomNames), atomCount, False, atoms_->values);
    format_ = std::make_unique<PixelFormat>();
    int screen = DefaultScreen(display);
    format_->depth = DefaultDepth(display, screen);
    format_->visual = DefaultVisual(display, screen);
    format_->colormap = DefaultColormap(display, screen);
    XVisualInfo info;
    if (format_->visual->c_class != TrueColor &&
        XMatchVisualInfo(display, screen, format_->depth, TrueColor, &info)) {
        format_->visual = info.visual;
        format_->colormap =
            XCreateColormap(display, connection_.rootWindow(), info.visual, AllocNone);
        format_->ownColormap = true;
    }
    format_->white =
        format_->visual->red_mask | format_->visual->green_mask | format_->visual->blue_mask;
    listener_ = connection_.addEventListener([this](const XEvent& event) { onEvent(event); });
}

X11WindowServer::~X11WindowServer() {
    Display* display = connection_.display();
    if (!display) return;
    connection_.removeEventListener(listener_);
    for (auto& [id, native] : windows_) {
        XFreeGC(display, native->gc);
        XDestroyWindow(display, xWindow(id));
    }
    if (format_->ownColormap) XFreeColormap(display, format_->colormap);
    connection_.flush();
}

bool X11WindowServer::isAvailable() const {
    return connection_.available();
}

std::optional<ScreenFrame> X11WindowServer::mainScreenFrame() {
    Display* display = connection_.display();
    if (!display) return std::nullopt;
    Window root = connection_.rootWindow();
    // Four numbers per desktop: x, y, width, height.
    auto areas = readLongs(display, root, (*atoms_)[netWorkarea], XA_CARDINAL);
    auto desktop = readLongs(display, root, (*atoms_)[netCurrentDesktop], XA_CARDINAL);
    std::size_t first = !desktop.empty() && desktop[0] < areas.size() / 4 ? 4 * desktop[0] : 0;
    if (areas.size() >= first + 4 && areas[first + 2] > 0 && areas[first + 3] > 0) {
        return ScreenFrame{static_cast<double>(areas[first]), static_cast<double>(areas[first + 1]),
                           static_cast<double>(areas[first + 2]),
                           static_cast<double>(areas[first + 3])};
    }
    int screen = DefaultScreen(display);
    return ScreenFrame{0, 0, static_cast<double>(DisplayWidth(display, screen)),
                       static_cast<double>(DisplayHeight(display, screen))};
}

NativeWindowId X11WindowServer::createWindow(NativeWindowKind kind, const std::string& title,
                                             const ScreenFrame& frame, EventHandler handler) {
    Display* display = connection_.display();
    if (!display) return nextOffscreenWindow_++;
    PixelRect rect = pixelRect(frame);
    XSetWindowAttributes attributes{};
    // Never garbage before the first picture arrives.
    attributes.background_pixel = format_->white;
    attributes.border_pixel = 0;
    attributes.colormap = format_->colormap;
    attributes.event_mask = windowEvents;
    attributes.override_redirect = kind == NativeWindowKind::popUpMenu;
    Window window = XCreateWindow(
        display, connection_.rootWindow(), rect.x, rect.y, rect.width, rect.height, 0,
        format_->depth, InputOutput, format_->visual,
        CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect, &attributes);
    auto native = std::make_unique<NativeWindow>();
    native->kind = kind;
    native->handler = std::move(handler);
    native->frame = frame;
    native->gc = XCreateGC(display, window, 0, nullptr);
    NativeWindow& created = *native;
    windows_.emplace(window, std::move(native));
    applyKindProperties(window, kind);
    applyStates(window, created);
    applyTitle(window, title);
    applyIcon(window, kind);
    applyFrame(window, created);
    return window;
}

void X11WindowServer::destroyWindow(NativeWindowId window) {
    auto found = windows_.find(window);
    if (found == windows_.end()) return;
    forgetPopUp(window);
    std::erase(shownOrder_, window);
    Display* display = connection_.display();
    XFreeGC(display, found->second->gc);
    XDestroyWindow(display, xWindow(window));
    windows_.erase(found);
    if (lastPress_.window == window) lastPress_ = {};
    connection_.flush();
}

void X11WindowServer::setTitle(NativeWindowId window, const std::string& title) {
    if (!find(window)) return;
    applyTitle(window, title);
    connection_.flush();
}

void X11WindowServer::setFrame(NativeWindowId window, const ScreenFrame& frame) {
    NativeWindow* native = find(window);
    if (!native) return;
    native->frame = frame;
    applyFrame(window, *native);
    connection_.flush();
}

void X11WindowServer::show(NativeWindowId window, bool makeKey) {
    NativeWindow* native = find(window);
    if (!native) return;
    if (!native->mapped) applyStates(window, *native);
    std::erase(shownOrder_, window);
    shownOrder_.push_back(window);
    XMapRaised(connection_.display(), xWindow(window));
    if (native->kind == NativeWindowKind::popUpMenu) {
        std::erase(popUps_, window);
        popUps_.push_back(window);
        grabPointerForLastPopUp();
    }
    // Focus can only go to a window the server shows, and a window manager
    // may take a while to show it.
    if (makeKey && native->mapped) focus(window);
    native->focusWhenMapped = makeKey && !native->mapped;
    connection_.flush();
}

void X11WindowServer::hide(NativeWindowId window) {
    NativeWindow* native = find(window);
    if (!native) return;
    native->mapped = false;
    native->focusWhenMapped = false;
    forgetPopUp(window);
    std::erase(shownOrder_, window);
    Display* display = connection_.display();
    // Also tells a window manager that the window is gone, not just minimised.
    XWithdrawWindow(display, xWindow(window), DefaultScreen(display));
    // A hidden window's picture is presented afresh when it shows again.
    XSetWindowBackground(display, xWindow(window), format_->white);
    connection_.flush();
}

void X11WindowServer::present(NativeWindowId window, const PixelImage& image, double scale) {
    NativeWindow* native = find(window);
    if (!native) return;
    if (!wellFormed(image)) return;
    // Whole pixels per point only; the toolkit renders at 1 or 2.
    int factor = static_cast<int>(std::max(1L, std::lround(scale)));
    Display* display = connection_.display();
    ImagePointer picture =
        factor > 1 ? serverImage(display, format_->visual, format_->depth, reduced(image, factor))
                   : serverImage(display, format_->visual, format_->depth, image);
    if (!picture) return;
    // The picture becomes the window's background: the server repaints
    // what is uncovered by itself, and we keep no copy of its pixels.
    auto width = static_cast<unsigned>(picture->width);
    auto height = static_cast<unsigned>(picture->height);
    Pixmap background = XCreatePixmap(display, xWindow(window), width, height,
                                      static_cast<unsigned>(format_->depth));
    XPutImage(display, background, native->gc, picture.get(), 0, 0, 0, 0, width, height);
    XSetWindowBackgroundPixmap(display, xWindow(window), background);
    XFreePixmap(display, background);  // the window holds it now
    XClearWindow(display, xWindow(window));
    connection_.flush();
}

void X11WindowServer::beginMove(NativeWindowId window, double screenX, double screenY) {
    if (!find(window)) return;
    if (!windowManagerSupports((*atoms_)[netWmMoveResize])) return;
    long button = lastPress_.window == window ? static_cast<long>(lastPress_.button) : 1;
    // The window manager takes the pointer from here, which it cannot while
    // our press holds it.
    XUngrabPointer(connection_.display(), CurrentTime);
    sendToWindowManager(
        window, (*atoms_)[netWmMoveResize],
        {std::lround(screenX), std::lround(screenY), moveResizeMove, button, sourceApplication});
}

X11WindowServer::NativeWindow* X11WindowServer::find(NativeWindowId window) {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.get();
}

// Our windows do not resize with the pointer: the smallest and largest
// sizes are the size.
void X11WindowServer::applyFrame(NativeWindowId window, NativeWindow& native) {
    Display* display = connection_.display();
    PixelRect rect = pixelRect(native.frame);
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PMinSize | PMaxSize;
    hints.x = rect.x;
    hints.y = rect.y;
    hints.width = hints.min_width = hints.max_width = static_cast<int>(rect.width);
    hints.height = hints.min_height = hints.max_height = static_cast<int>(rect.height);
    XSetWMNormalHints(display, xWindow(window), &hints);
    XMoveResizeWindow(display, xWindow(window), rect.x, rect.y, rect.width, rect.height);
}

void X11WindowServer::applyTitle(NativeWindowId window, const std::string& title) {
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    auto plain = latin1(title);
    setText(display, window, XA_WM_NAME, plain ? XA_STRING : atoms[utf8String],
            plain ? *plain : title);
    setText(display, window, atoms[netWmName], atoms[utf8String], title);
}

void X11WindowServer::setApplicationIcon(const std::vector<platform::PixelImage>& sizes) {
    icon_.clear();
    for (const auto& image : sizes) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
            continue;
        }
        icon_.push_back(static_cast<unsigned long>(image.width));
        icon_.push_back(static_cast<unsigned long>(image.height));
        for (std::uint32_t pixel : image.pixels) icon_.push_back(straightArgb(pixel));
    }
    for (const auto& [window, native] : windows_) applyIcon(window, native->kind);
    connection_.flush();
}

void X11WindowServer::applyIcon(NativeWindowId window, NativeWindowKind kind) {
    if (icon_.empty() || kind == NativeWindowKind::popUpMenu) return;
    setLongs(connection_.display(), window, (*atoms_)[netWmIcon], XA_CARDINAL, icon_);
}

void X11WindowServer::applyKindProperties(NativeWindowId window, NativeWindowKind kind) {
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    // Our own title bar replaces the window manager's.
    std::vector<unsigned long> motifHints = {motifDecorationsFlag, 0, 0, 0, 0};
    setLongs(display, window, atoms[motifWmHints], atoms[motifWmHints], motifHints);
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
    setText(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, hostName);
    setLongs(display, window, atoms[netWmPid], XA_CARDINAL, {static_cast<unsigned long>(getpid())});

    Atom type = kind == NativeWindowKind::normal  ? atoms[netWmWindowTypeNormal]
                : kind == NativeWindowKind::modal ? atoms[netWmWindowTypeDialog]
                                                  : atoms[netWmWindowTypePopupMenu];
    setLongs(display, window, atoms[netWmWindowType], XA_ATOM, {type});
}

// Read by a window manager as the window is mapped: a dialog stays above the
// window it belongs to, and an application without a Dock icon keeps its
// windows out of task lists and pagers.
void X11WindowServer::applyStates(NativeWindowId window, const NativeWindow& native) {
    if (native.kind == NativeWindowKind::popUpMenu) return;
    Display* display = connection_.display();
    const Atoms& atoms = *atoms_;
    std::vector<unsigned long> states;
    if (native.kind == NativeWindowKind::modal) {
        states = {atoms[netWmStateModal], atoms[netWmStateAbove]};
        if (auto owner = lastShownNormalWindow(window)) {
            XSetTransientForHint(display, xWindow(window), xWindow(*owner));
        }
    }
    if (activation_ && activation_->policy() != platform::ActivationPolicy::regular) {
        states.insert(states.end(), {atoms[netWmStateSkipTaskbar], atoms[netWmStateSkipPager]});
    }
    setLongs(display, window, atoms[netWmState], XA_ATOM, states);
}

std::optional<NativeWindowId> X11WindowServer::lastShownNormalWindow(NativeWindowId except) const {
    for (auto shown = shownOrder_.rbegin(); shown != shownOrder_.rend(); ++shown) {
        if (*shown == except) continue;
        auto found = windows_.find(*shown);
        if (found != windows_.end() && found->second->kind == NativeWindowKind::normal) return *shown;
    }
    return std::nullopt;
}

void X11WindowServer::deliver(NativeWindowId window, const platform::WindowEvent& event) {
    NativeWindow* native = find(window);
    if (!native || !native->handler) return;
    // A copy: the handler may destroy the window, and its handler with it.
    EventHandler handler = native->handler;
    handler(event);
}

void X11WindowServer::focus(NativeWindowId window) {
    NativeWindow* native = find(window);
    if (!native) return;
    // Window managers keep their own idea of the active window and only
    // follow it if asked; they know nothing of menus.
    bool managed = native->kind != NativeWindowKind::popUpMenu;
    if (managed && windowManagerSupports((*atoms_)[netActiveWindow])) {
        sendToWindowManager(window, (*atoms_)[netActiveWindow],
                            {sourceApplication, static_cast<long>(lastPress_.time), 0});
        return;
    }
    Display* display = connection_.display();
    // The window may have been unmapped again since the server reported it.
    X11ErrorTrap trap(display);
    XSetInputFocus(display, xWindow(window), RevertToPointerRoot, CurrentTime);
}

// A menu hears every press while it is shown: presses outside it are how it
// learns to close. It takes the keys too, wherever the focus was, so typing
// chooses in the menu and Escape closes it, as in any desktop's menus.
void X11WindowServer::grabPointerForLastPopUp() {
    Display* display = connection_.display();
    if (popUps_.empty()) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        return;
    }
    // Someone else's grab is not waited for: the menu then hears only
    // presses inside it.
    Window menu = xWindow(popUps_.back());
    XGrabPointer(display, menu, True, pointerEvents, GrabModeAsync, GrabModeAsync, None, None,
                 CurrentTime);
    XGrabKeyboard(display, menu, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

void X11WindowServer::forgetPopUp(NativeWindowId window) {
    auto found = std::find(popUps_.begin(), popUps_.end(), window);
    if (found == popUps_.end()) return;
    bool heldPointer = found + 1 == popUps_.end();
    popUps_.erase(found);
    if (heldPointer) grabPointerForLastPopUp();
}

bool X11WindowServer::windowManagerSupports(unsigned long atom) {
    Display* display = connection_.display();
    Window root = connection_.rootWindow();
    auto check = readLongs(display, root, (*atoms_)[netSupportingWmCheck], XA_WINDOW);
    if (check.empty()) return false;
    // A window manager that has gone leaves its properties behind, but not
    // its check window, which names itself.
    X11ErrorTrap trap(display);
    auto own = readLongs(display, check[0], (*atoms_)[netSupportingWmCheck], XA_WINDOW);
    if (trap.sync() || own.empty() || own[0] != check[0]) return false;
    auto supported = readLongs(display, root, (*atoms_)[netSupported], XA_ATOM);
    return std::find(supported.begin(), supported.end(), atom) != supported.end();
}

void X11WindowServer::sendToWindowManager(NativeWindowId window, unsigned long messageType,
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

void X11WindowServer::onEvent(const XEvent& event) {
    switch (event.type) {
        case Expose:
            return onExpose(event);
        case ButtonPress:
            return onButtonPress(event);
        case ButtonRelease:
            return onButtonRelease(event);
        case MotionNotify:
            return onMotion(event);
        case KeyPress:
        case KeyRelease:
            return onKey(event);
        case focusInEvent:
        case focusOutEvent:
            return onFocus(event);
        case ClientMessage:
            return onClientMessage(event);
        case MapNotify:
        case UnmapNotify:
            return onMapChange(event);
        case ConfigureNotify:
            return onConfigure(event);
        default:
            return;
    }
}

// The server repaints what was uncovered from the window's background, the
// last picture presented, even while the toolkit is busy; the toolkit hears
// once per batch.
void X11WindowServer::onExpose(const XEvent& event) {
    if (event.xexpose.count > 0) return;  // more of the same batch follow
    NativeWindowId window = event.xexpose.window;
    NativeWindow* native = find(window);
    if (!native) return;
    deliver(window, WindowEvents::Exposed{});
}

// A window manager moves the frame it put the window in, so the window's
// own coordinates say nothing: where it is on the root is asked.
void X11WindowServer::onConfigure(const XEvent& event) {
    NativeWindowId window = event.xconfigure.window;
    NativeWindow* native = find(window);
    if (!native) return;
    Display* display = connection_.display();
    int x = 0, y = 0;
    Window child = 0;
    X11ErrorTrap trap(display);
    if (!XTranslateCoordinates(display, xWindow(window), connection_.rootWindow(), 0, 0, &x, &y,
                               &child) ||
        trap.sync() != 0) {
        return;
    }
    PixelRect known = pixelRect(native->frame);
    if (x == known.x && y == known.y) return;
    native->frame.x = x;
    native->frame.y = y;
    deliver(window, WindowEvents::Moved{static_cast<double>(x), static_cast<double>(y)});
}

void X11WindowServer::onButtonPress(const XEvent& event) {
    const XButtonEvent& press = event.xbutton;
    NativeWindowId window = press.window;
    if (!find(window)) return;
    if (press.button < Button1 || press.button > Button3) return;  // the rest are wheels
    if (pressIsOutsidePopUps(event)) {
        // A copy: menus close as they hear it.
        std::vector<NativeWindowId> popUps = popUps_;
        for (NativeWindowId popUp : popUps) deliver(popUp, WindowEvents::ClickedOutside{});
        return;
    }
    deliver(window,
            WindowEvents::MouseDown{static_cast<double>(press.x), static_cast<double>(press.y),
                                    static_cast<int>(press.button), clickCount(window, event),
                                    modifierFlags(press.state)});
}

// While a menu holds the pointer, presses come to it wherever they are, or
// to whichever of our windows they are in; a press in any shown menu is in.
bool X11WindowServer::pressIsOutsidePopUps(const XEvent& event) {
    if (popUps_.empty()) return false;
    const XButtonEvent& press = event.xbutton;
    NativeWindowId window = press.window;
    if (std::find(popUps_.begin(), popUps_.end(), window) == popUps_.end()) return true;
    PixelRect rect = pixelRect(find(window)->frame);
    return press.x < 0 || press.y < 0 || press.x >= static_cast<int>(rect.width) ||
           press.y >= static_cast<int>(rect.height);
}

int X11WindowServer::clickCount(NativeWindowId window, const XEvent& event) {
    const XButtonEvent& press = event.xbutton;
    // The server's clock is 32 bits of milliseconds and wraps.
    auto elapsed = static_cast<std::uint32_t>(press.time - lastPress_.time);
    bool again = lastPress_.window == window && lastPress_.button == press.button &&
                 elapsed <= multipleClickMilliseconds &&
                 std::abs(press.x - lastPress_.x) <= multipleClickPixels &&
                 std::abs(press.y - lastPress_.y) <= multipleClickPixels;
    lastPress_ = {window,  press.button, press.time,
                  press.x, press.y,      again ? lastPress_.count + 1 : 1};
    return lastPress_.count;
}

void X11WindowServer::onButtonRelease(const XEvent& event) {
    const XButtonEvent& release = event.xbutton;
    if (release.button < Button1 || release.button > Button3) return;
    deliver(release.window,
            WindowEvents::MouseUp{static_cast<double>(release.x), static_cast<double>(release.y),
                                  static_cast<int>(release.button), modifierFlags(release.state)});
}

void X11WindowServer::onMotion(const XEvent& event) {
    const XMotionEvent& motion = event.xmotion;
    bool buttonDown = motion.state & (Button1Mask | Button2Mask | Button3Mask);
    deliver(motion.window,
            WindowEvents::MouseMoved{static_cast<double>(motion.x), static_cast<double>(motion.y),
                                     buttonDown, modifierFlags(motion.state)});
}

void X11WindowServer::onKey(const XEvent& event) {
    const XKeyEvent& key = event.xkey;
    NativeWindowId window = key.window;
    if (!find(window)) return;
    KeySym unmodified = XkbKeycodeToKeysym(connection_.display(), static_cast<KeyCode>(key.keycode),
                                           XkbGroupForCoreState(key.state), 0);
    if (unsigned mask = modifierKeyMask(unmodified)) return onModifierKey(event, mask);
    auto keyCode = virtualKeyCode(key.keycode);
    if (!keyCode) return;  // no key on the keyboards we model
    std::uint64_t modifiers = modifierFlags(key.state);
    if (event.type == KeyRelease) {
        heldKeys_.erase(key.keycode);
        return deliver(window, WindowEvents::KeyUp{*keyCode, modifiers});
    }
    bool isRepeat = !heldKeys_.insert(key.keycode).second;
    deliver(window, WindowEvents::KeyDown{*keyCode, typedText(key), keysymText(unmodified),
                                          modifiers, isRepeat});
}

// X reports the state before the key; the toolkit wants the one after it.
void X11WindowServer::onModifierKey(const XEvent& event, unsigned mask) {
    const XKeyEvent& key = event.xkey;
    unsigned state = key.state;
    if (event.type == KeyPress) {
        heldModifierKeys_[key.keycode] = mask;
        if (mask == LockMask) capsLockedAtPress_ = state & LockMask;
        state |= mask;
    } else if (mask == LockMask) {
        // The lock goes on as its key goes down, and off as it comes up.
        state = capsLockedAtPress_ ? state & ~LockMask : state | LockMask;
        heldModifierKeys_.erase(key.keycode);
    } else {
        heldModifierKeys_.erase(key.keycode);
        bool stillHeld = std::any_of(heldModifierKeys_.begin(), heldModifierKeys_.end(),
                                     [mask](const auto& held) { return held.second == mask; });
        if (!stillHeld) state &= ~mask;
    }
    auto keyCode = virtualKeyCode(key.keycode);
    if (!keyCode) return;
    deliver(key.window, WindowEvents::FlagsChanged{*keyCode, modifierFlags(state)});
}

void X11WindowServer::onFocus(const XEvent& event) {
    const XFocusChangeEvent& change = event.xfocus;
    NativeWindow* native = find(change.window);
    if (!native || !isAnnouncedFocusChange(change)) return;
    bool focused = change.type == focusInEvent;
    if (native->focused == focused) return;
    native->focused = focused;
    if (!focused) {
        // Their releases go to whoever has the focus now.
        heldKeys_.clear();
        heldModifierKeys_.clear();
        return deliver(change.window, WindowEvents::FocusOut{});
    }
    deliver(change.window, WindowEvents::FocusIn{});
}

void X11WindowServer::onClientMessage(const XEvent& event) {
    const XClientMessageEvent& message = event.xclient;
    if (message.message_type != (*atoms_)[wmProtocols] || message.format != 32) return;
    if (static_cast<Atom>(message.data.l[0]) != (*atoms_)[wmDeleteWindow]) return;
    deliver(message.window, WindowEvents::CloseRequested{});
}

void X11WindowServer::onMapChange(const XEvent& event) {
    NativeWindowId window = event.xany.window;
    NativeWindow* native = find(window);
    if (!native) return;
    native->mapped = event.type == MapNotify;
    if (!native->mapped || !native->focusWhenMapped) return;
    native->focusWhenMapped = false;
    focus(window);
}

}  // namespace host
