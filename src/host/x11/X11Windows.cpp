#include "host/x11/X11Windows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "host/x11/X11Pictures.h"

namespace host {

using platform::NativeWindowId;
using platform::NativeWindowKind;
using platform::PixelImage;
using platform::ScreenFrame;

const long x11PointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

namespace {

const long windowEvents = ExposureMask | x11PointerEvents | KeyPressMask | KeyReleaseMask |
                          FocusChangeMask | StructureNotifyMask;

struct ImageDeleter {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePointer = std::unique_ptr<XImage, ImageDeleter>;

// The picture in the visual's pixel format, ready to be put on a window;
// null when it is empty.
ImagePointer serverImage(Display* display, Visual* visual, int depth, const PixelImage& picture) {
    if (!isWellFormedPicture(picture)) return nullptr;
    ImagePointer image(XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                    nullptr, static_cast<unsigned>(picture.width),
                                    static_cast<unsigned>(picture.height), 32, 0));
    if (!image) return nullptr;
    // XDestroyImage frees the pixels with free().
    image->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(image->bytes_per_line) * picture.height));
    if (!image->data) return nullptr;
    fillX11Image(*image, picture);
    return image;
}

// The picture becomes the window's background: the server repaints what is
// uncovered by itself, and we keep no copy of its pixels.
void setBackground(Display* display, Window window, GC gc, int depth, XImage& picture) {
    auto width = static_cast<unsigned>(picture.width);
    auto height = static_cast<unsigned>(picture.height);
    Pixmap background = XCreatePixmap(display, window, width, height, static_cast<unsigned>(depth));
    XPutImage(display, background, gc, &picture, 0, 0, 0, 0, width, height);
    XSetWindowBackgroundPixmap(display, window, background);
    XFreePixmap(display, background);  // the window holds it now
    XClearWindow(display, window);
}

}  // namespace

X11PixelRect x11PixelRect(const ScreenFrame& frame) {
    return {static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(frame.y)),
            static_cast<unsigned>(std::max(1L, std::lround(frame.width))),
            static_cast<unsigned>(std::max(1L, std::lround(frame.height)))};
}

// A TrueColor visual of the screen's depth: the default one when it is, with
// a colormap of our own otherwise.
struct X11Windows::PixelFormat {
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    bool ownColormap = false;
    unsigned long white = 0;
};

X11Windows::X11Windows(X11Connection& connection) : connection_(connection) {
    Display* display = connection_.display();
    if (!display) return;
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
}

X11Windows::~X11Windows() {
    Display* display = connection_.display();
    if (!display) return;
    for (auto& [id, native] : windows_) {
        XFreeGC(display, native->gc);
        XDestroyWindow(display, xWindow(id));
    }
    if (format_->ownColormap) XFreeColormap(display, format_->colormap);
    connection_.flush();
}

NativeWindowId X11Windows::create(NativeWindowKind kind, const ScreenFrame& frame,
                                  platform::WindowServer::EventHandler handler) {
    Display* display = connection_.display();
    X11PixelRect rect = x11PixelRect(frame);
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
    auto native = std::make_unique<X11Window>();
    native->kind = kind;
    native->handler = std::move(handler);
    native->frame = frame;
    native->gc = XCreateGC(display, window, 0, nullptr);
    windows_.emplace(window, std::move(native));
    return window;
}

void X11Windows::destroy(NativeWindowId window) {
    auto found = windows_.find(window);
    if (found == windows_.end()) return;
    std::erase(shownOrder_, window);
    Display* display = connection_.display();
    XFreeGC(display, found->second->gc);
    XDestroyWindow(display, xWindow(window));
    windows_.erase(found);
}

X11Window* X11Windows::find(NativeWindowId window) {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.get();
}

// Our windows do not resize with the pointer: the smallest and largest
// sizes are the size.
void X11Windows::applyFrame(NativeWindowId window, const X11Window& native) {
    Display* display = connection_.display();
    X11PixelRect rect = x11PixelRect(native.frame);
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PMinSize | PMaxSize;
    hints.x = rect.x;
    hints.y = rect.y;
    hints.width = hints.min_width = hints.max_width = static_cast<int>(rect.width);
    hints.height = hints.min_height = hints.max_height = static_cast<int>(rect.height);
    XSetWMNormalHints(display, xWindow(window), &hints);
    XMoveResizeWindow(display, xWindow(window), rect.x, rect.y, rect.width, rect.height);
}

// A window manager moves the frame it put the window in, so the window's
// own coordinates say nothing: where it is on the root is asked.
bool X11Windows::followMove(NativeWindowId window, X11Window& native) {
    Display* display = connection_.display();
    int x = 0, y = 0;
    Window child = 0;
    X11ErrorTrap trap(display);
    if (!XTranslateCoordinates(display, xWindow(window), connection_.rootWindow(), 0, 0, &x, &y,
                               &child) ||
        trap.sync() != 0) {
        return false;
    }
    X11PixelRect known = x11PixelRect(native.frame);
    if (x == known.x && y == known.y) return false;
    native.frame.x = x;
    native.frame.y = y;
    return true;
}

void X11Windows::showRaised(NativeWindowId window) {
    std::erase(shownOrder_, window);
    shownOrder_.push_back(window);
    XMapRaised(connection_.display(), xWindow(window));
}

void X11Windows::withdraw(NativeWindowId window) {
    std::erase(shownOrder_, window);
    Display* display = connection_.display();
    // Also tells a window manager that the window is gone, not just minimised.
    XWithdrawWindow(display, xWindow(window), DefaultScreen(display));
    XSetWindowBackground(display, xWindow(window), format_->white);
}

bool X11Windows::present(NativeWindowId window, const PixelImage& image, double scale) {
    X11Window* native = find(window);
    if (!native || !isWellFormedPicture(image)) return false;
    // Whole pixels per point only; the toolkit renders at 1 or 2.
    int factor = static_cast<int>(std::max(1L, std::lround(scale)));
    Display* display = connection_.display();
    ImagePointer picture =
        factor > 1
            ? serverImage(display, format_->visual, format_->depth, reducedPicture(image, factor))
            : serverImage(display, format_->visual, format_->depth, image);
    if (!picture) return false;
    setBackground(display, xWindow(window), native->gc, format_->depth, *picture);
    return true;
}

std::optional<NativeWindowId> X11Windows::newestShownNormal(NativeWindowId except) const {
    for (auto shown = shownOrder_.rbegin(); shown != shownOrder_.rend(); ++shown) {
        if (*shown == except) continue;
        auto found = windows_.find(*shown);
        if (found != windows_.end() && found->second->kind == NativeWindowKind::normal) {
            return *shown;
        }
    }
    return std::nullopt;
}

}  // namespace host
