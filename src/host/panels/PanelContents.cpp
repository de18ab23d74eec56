#include "host/panels/PanelContents.h"

#include <gio/gio.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

// The accessibility bus is a bus of its own, whose address the session bus's
// org.a11y.Bus gives. On it the registry lists the applications; each
// application's root lists its top-level windows, and GetAccessibleAtPoint
// walks down from a window to the deepest widget under a point.

namespace host {
namespace {

constexpr int callTimeoutMilliseconds = 250;
constexpr int deepestLevel = 32;
constexpr int socketsLookedAt = 4;
constexpr guint32 screenCoordinates = 0;
constexpr const char* rootPath = "/org/a11y/atspi/accessible/root";
constexpr const char* nullPath = "/org/a11y/atspi/null";
constexpr const char* accessibleInterface = "org.a11y.atspi.Accessible";
constexpr const char* componentInterface = "org.a11y.atspi.Component";

// The roles a panel's own surface has: its window (frame), its boxes and
// plugin containers (panel), and spacers and empty task lists (filler).
// Anything deeper or of another role is an item someone can click.
constexpr guint32 roleFiller = 20;
constexpr guint32 roleFrame = 23;
constexpr guint32 rolePanel = 39;

struct Ref {
    std::string name;
    std::string path;
    bool isNull() const { return name.empty() || path == nullPath; }
    auto operator<=>(const Ref&) const = default;
};

GVariant* call(GDBusConnection* bus, const Ref& object, const char* interfaceName,
               const char* method, GVariant* arguments, const char* replyType) {
    return g_dbus_connection_call_sync(bus, object.name.c_str(), object.path.c_str(), interfaceName,
                                       method, arguments, G_VARIANT_TYPE(replyType),
                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMilliseconds,
                                       nullptr, nullptr);
}

Ref refFrom(GVariant* pair) {
    const char* name = nullptr;
    const char* path = nullptr;
    g_variant_get(pair, "(&s&o)", &name, &path);
    return {name, path};
}

std::optional<std::vector<Ref>> children(GDBusConnection* bus, const Ref& object) {
    g_autoptr(GVariant) reply =
        call(bus, object, accessibleInterface, "GetChildren", nullptr, "(a(so))");
    if (!reply) return std::nullopt;
    g_autoptr(GVariant) list = g_variant_get_child_value(reply, 0);
    std::vector<Ref> refs;
    for (gsize i = 0; i < g_variant_n_children(list); ++i) {
        g_autoptr(GVariant) pair = g_variant_get_child_value(list, i);
        refs.push_back(refFrom(pair));
    }
    return refs;
}

std::optional<Ref> oneRef(GDBusConnection* bus, const Ref& object, const char* interfaceName,
                          const char* method, GVariant* arguments) {
    g_autoptr(GVariant) reply = call(bus, object, interfaceName, method, arguments, "((so))");
    if (!reply) return std::nullopt;
    g_autoptr(GVariant) pair = g_variant_get_child_value(reply, 0);
    return refFrom(pair);
}

int childCount(GDBusConnection* bus, const Ref& object) {
    g_autoptr(GVariant) reply =
        call(bus, object, "org.freedesktop.DBus.Properties", "Get",
             g_variant_new("(ss)", accessibleInterface, "ChildCount"), "(v)");
    if (!reply) return 0;
    g_autoptr(GVariant) boxed = g_variant_get_child_value(reply, 0);
    g_autoptr(GVariant) count = g_variant_get_variant(boxed);
    return g_variant_is_of_type(count, G_VARIANT_TYPE_INT32) ? g_variant_get_int32(count) : 0;
}

std::optional<RootRect> extents(GDBusConnection* bus, const Ref& object) {
    g_autoptr(GVariant) reply = call(bus, object, componentInterface, "GetExtents",
                                     g_variant_new("(u)", screenCoordinates), "((iiii))");
    if (!reply) return std::nullopt;
    RootRect rect;
    g_variant_get(reply, "((iiii))", &rect.x, &rect.y, &rect.width, &rect.height);
    return rect;
}

bool contains(const RootRect& rect, int x, int y) {
    // In 64 bits: toolkits report absurd extents for widgets they do not show.
    return x >= rect.x && y >= rect.y && std::int64_t{x} < std::int64_t{rect.x} + rect.width &&
           std::int64_t{y} < std::int64_t{rect.y} + rect.height;
}

std::optional<guint32> role(GDBusConnection* bus, const Ref& object) {
    g_autoptr(GVariant) reply = call(bus, object, accessibleInterface, "GetRole", nullptr, "(u)");
    if (!reply) return std::nullopt;
    guint32 value = 0;
    g_variant_get(reply, "(u)", &value);
    return value;
}

// A plugin that runs in a process of its own is embedded through a socket
// whose only way across is its child, which GetAccessibleAtPoint does not take.
std::optional<Ref> pluggedChild(GDBusConnection* bus, const Ref& object) {
    int count = std::min(childCount(bus, object), socketsLookedAt);
    for (int i = 0; i < count; ++i) {
        auto child =
            oneRef(bus, object, accessibleInterface, "GetChildAtIndex", g_variant_new("(i)", i));
        if (child && !child->isNull() && child->name != object.name) return child;
    }
    return std::nullopt;
}

// The deepest accessible under the point, from a window that holds it. A
// widget that does not answer the question is taken as the deepest one.
Ref deepestAt(GDBusConnection* bus, const Ref& top, int x, int y) {
    Ref current = top;
    std::set<Ref> seen{top};
    for (int level = 0; level < deepestLevel; ++level) {
        auto next = oneRef(bus, current, componentInterface, "GetAccessibleAtPoint",
                           g_variant_new("(iiu)", x, y, screenCoordinates));
        if (!next || next->isNull() || seen.count(*next)) next = pluggedChild(bus, current);
        if (!next || seen.count(*next)) return current;
        seen.insert(*next);
        current = *next;
    }
    return current;
}

PanelSpot unknown(std::string reason) {
    return {PanelSpot::Kind::unknown, {}, std::move(reason)};
}

PanelSpot spotOf(GDBusConnection* bus, const Ref& deepest, int x, int y) {
    auto deepestRole = role(bus, deepest);
    if (!deepestRole) return unknown("it did not say what is at that spot");
    if (*deepestRole == roleFiller || *deepestRole == roleFrame || *deepestRole == rolePanel) {
        return {PanelSpot::Kind::background, {}, {}};
    }
    auto bounds = extents(bus, deepest);
    // An item that misplaces itself still covers the point that found it.
    if (!bounds || !contains(*bounds, x, y)) bounds = RootRect{x, y, 1, 1};
    return {PanelSpot::Kind::item, *bounds, {}};
}

}  // namespace

PanelContents::~PanelContents() {
    if (bus_) g_object_unref(bus_);
}

GDBusConnection* PanelContents::accessibilityBus(std::string& reason) {
    if (bus_ && !g_dbus_connection_is_closed(bus_)) return bus_;
    g_autoptr(GDBusConnection) session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!session) {
        reason = "there is no session bus";
        return nullptr;
    }
    // Asked, never started: starting it would not make running panels join.
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
        G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMilliseconds, nullptr,
        nullptr);
    if (!reply) {
        reason = "the accessibility bus is not running";
        return nullptr;
    }
    const char* address = nullptr;
    g_variant_get(reply, "(&s)", &address);
    g_autoptr(GError) error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address,
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!bus) {
        reason = std::string("the accessibility bus cannot be reached (") + error->message + ")";
        return nullptr;
    }
    if (bus_) g_object_unref(bus_);
    bus_ = bus;
    processes_.clear();
    return bus_;
}

int PanelContents::processOf(const std::string& busName) {
    if (auto known = processes_.find(busName); known != processes_.end()) return known->second;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID", g_variant_new("(s)", busName.c_str()), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, callTimeoutMilliseconds, nullptr, nullptr);
    guint32 pid = 0;
    if (reply) g_variant_get(reply, "(u)", &pid);
    processes_[busName] = static_cast<int>(pid);
    return static_cast<int>(pid);
}

PanelSpot PanelContents::at(int pid, int x, int y) {
    std::string reason;
    GDBusConnection* bus = accessibilityBus(reason);
    if (!bus) return unknown(reason);
    auto applications = children(bus, {"org.a11y.atspi.Registry", rootPath});
    if (!applications) return unknown("the accessibility registry does not answer");
    // Bus names are never reused, so only those still listed are worth keeping.
    std::erase_if(processes_, [&](const auto& entry) {
        return std::find_if(applications->begin(), applications->end(), [&](const Ref& app) {
                   return app.name == entry.first;
               }) == applications->end();
    });
    bool published = false;
    for (const Ref& application : *applications) {
        if (pid <= 0 || processOf(application.name) != pid) continue;
        published = true;
        for (const Ref& window : children(bus, application).value_or(std::vector<Ref>{})) {
            auto bounds = extents(bus, window);
            if (!bounds || !contains(*bounds, x, y)) continue;
            return spotOf(bus, deepestAt(bus, window, x, y), x, y);
        }
    }
    if (published) return unknown("it publishes nothing at that spot on the accessibility bus");
    return unknown("it publishes nothing on the accessibility bus (it may have started before it)");
}

}  // namespace host
