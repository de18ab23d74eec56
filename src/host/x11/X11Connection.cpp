#include "host/x11/X11Connection.h"

#include <X11/Xlib.h>
#include <glib.h>

#include <vector>

namespace host {

struct X11Connection::EventSource {
    GSource base;
    X11Connection* connection;

    static Display* displayOf(GSource* source) {
        return reinterpret_cast<EventSource*>(source)->connection->display_;
    }

    // Xlib reads events off the socket while it waits for replies (XSync,
    // XGetModifierMapping, ...), so the socket can be quiet while events
    // wait in Xlib's queue: the queue is asked before and after polling.
    // XPending also flushes what requests are buffered before the loop sleeps.
    static gboolean prepare(GSource* source, gint* timeout) {
        *timeout = -1;
        return XPending(displayOf(source)) > 0;
    }

    static gboolean check(GSource* source) { return XPending(displayOf(source)) > 0; }

    static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
        X11Connection* connection = reinterpret_cast<EventSource*>(source)->connection;
        Display* display = connection->display_;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            // Keeps Xlib's key code and key symbol tables current for everyone.
            if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
            connection->dispatch(event);
        }
        return G_SOURCE_CONTINUE;
    }
};

namespace {

constexpr int openAttempts = 5;

// A server can turn a new connection away while it is still taking down one
// that just left (Xvfb does); a moment later it takes it. Without any display
// name there is nothing to wait for.
Display* openDisplay(const char* displayName) {
    if (!*XDisplayName(displayName)) return nullptr;
    for (int attempt = 1;; ++attempt) {
        if (Display* display = XOpenDisplay(displayName)) return display;
        if (attempt == openAttempts) return nullptr;
        g_usleep(10 * 1000);
    }
}

}  // namespace

X11Connection::X11Connection() {
    open(nullptr);
}

X11Connection::X11Connection(const std::string& displayName) {
    open(displayName.c_str());
}

X11Connection::~X11Connection() {
    if (!display_) return;
    g_source_destroy(&source_->base);
    g_source_unref(&source_->base);
    XCloseDisplay(display_);
}

void X11Connection::open(const char* displayName) {
    display_ = openDisplay(displayName);
    if (!display_) return;
    static GSourceFuncs funcs = {
        EventSource::prepare, EventSource::check, EventSource::dispatch, nullptr, nullptr, nullptr};
    GSource* source = g_source_new(&funcs, sizeof(EventSource));
    source_ = reinterpret_cast<EventSource*>(source);
    source_->connection = this;
    g_source_add_unix_fd(source, ConnectionNumber(display_), G_IO_IN);
    // A press can open a pop-up menu or a modal window, whose nested loop
    // runs inside this dispatch and must still hear the server.
    g_source_set_can_recurse(source, TRUE);
    g_source_attach(source, nullptr);
}

unsigned long X11Connection::rootWindow() const {
    return display_ ? DefaultRootWindow(display_) : 0;
}

X11Connection::ListenerId X11Connection::addEventListener(EventListener listener) {
    listeners_.emplace(nextListener_, std::move(listener));
    return nextListener_++;
}

void X11Connection::removeEventListener(ListenerId id) {
    listeners_.erase(id);
}

void X11Connection::addRootEventMask(long mask) {
    if (!display_) return;
    Window root = rootWindow();
    XWindowAttributes attributes{};
    long current =
        XGetWindowAttributes(display_, root, &attributes) ? attributes.your_event_mask : 0;
    XSelectInput(display_, root, current | mask);
}

void X11Connection::flush() {
    if (display_) XFlush(display_);
}

void X11Connection::dispatch(const XEvent& event) {
    std::vector<ListenerId> ids;
    for (const auto& [id, listener] : listeners_) ids.push_back(id);
    for (ListenerId id : ids) {
        auto found = listeners_.find(id);
        if (found == listeners_.end()) continue;  // removed by an earlier listener
        // A copy: the listener may remove itself while it runs.
        EventListener listener = found->second;
        listener(event);
    }
}

namespace {

X11ErrorTrap* innermostTrap = nullptr;
XErrorHandler handlerOutsideTraps = nullptr;

}  // namespace

struct X11ErrorTrap::Handler {
    static int onError(Display* display, XErrorEvent* error) {
        for (X11ErrorTrap* trap = innermostTrap; trap; trap = trap->outer_) {
            if (trap->display_ != display || error->serial < trap->firstRequest_) continue;
            if (!trap->errorCode_) trap->errorCode_ = error->error_code;
            return 0;
        }
        return handlerOutsideTraps ? handlerOutsideTraps(display, error) : 0;
    }
};

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), firstRequest_(NextRequest(display)), outer_(innermostTrap) {
    if (!outer_) handlerOutsideTraps = XSetErrorHandler(Handler::onError);
    innermostTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    // Errors of requests made since the last sync would otherwise arrive
    // after the trap is gone.
    unsigned long lastRequest = NextRequest(display_) - 1;
    if (lastRequest >= firstRequest_ && LastKnownRequestProcessed(display_) < lastRequest) {
        XSync(display_, False);
    }
    innermostTrap = outer_;
    if (!outer_) XSetErrorHandler(handlerOutsideTraps);
}

int X11ErrorTrap::sync() {
    XSync(display_, False);
    return errorCode_;
}

}  // namespace host
