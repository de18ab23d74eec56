#include "host/tray/DBusMenuServer.h"

#include <gio/gio.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace host {
namespace {

using Route = WeakRoute<DBusMenuServer>;

constexpr const char* interfaceXml = R"(
<node>
  <interface name='com.canonical.dbusmenu'>
    <property name='Version' type='u' access='read'/>
    <property name='TextDirection' type='s' access='read'/>
    <property name='Status' type='s' access='read'/>
    <property name='IconThemePath' type='as' access='read'/>
    <method name='GetLayout'>
      <arg name='parentId' type='i' direction='in'/>
      <arg name='recursionDepth' type='i' direction='in'/>
      <arg name='propertyNames' type='as' direction='in'/>
      <arg name='revision' type='u' direction='out'/>
      <arg name='layout' type='(ia{sv}av)' direction='out'/>
    </method>
    <method name='GetGroupProperties'>
      <arg name='ids' type='ai' direction='in'/>
      <arg name='propertyNames' type='as' direction='in'/>
      <arg name='properties' type='a(ia{sv})' direction='out'/>
    </method>
    <method name='GetProperty'>
      <arg name='id' type='i' direction='in'/>
      <arg name='name' type='s' direction='in'/>
      <arg name='value' type='v' direction='out'/>
    </method>
    <method name='Event'>
      <arg name='id' type='i' direction='in'/>
      <arg name='eventId' type='s' direction='in'/>
      <arg name='data' type='v' direction='in'/>
      <arg name='timestamp' type='u' direction='in'/>
    </method>
    <method name='EventGroup'>
      <arg name='events' type='a(isvu)' direction='in'/>
      <arg name='idErrors' type='ai' direction='out'/>
    </method>
    <method name='AboutToShow'>
      <arg name='id' type='i' direction='in'/>
      <arg name='needUpdate' type='b' direction='out'/>
    </method>
    <method name='AboutToShowGroup'>
      <arg name='ids' type='ai' direction='in'/>
      <arg name='updatesNeeded' type='ai' direction='out'/>
      <arg name='idErrors' type='ai' direction='out'/>
    </method>
    <signal name='ItemsPropertiesUpdated'>
      <arg name='updatedProps' type='a(ia{sv})'/>
      <arg name='removedProps' type='a(ias)'/>
    </signal>
    <signal name='LayoutUpdated'><arg name='revision' type='u'/><arg name='parent' type='i'/></signal>
    <signal name='ItemActivationRequested'><arg name='id' type='i'/><arg name='timestamp' type='u'/></signal>
  </interface>
</node>)";

// "clicked", "hovered", "opened", "closed".
constexpr std::size_t eventKindsPerEntry = 4;

// ---- Menu values on the wire

GVariant* shortcutVariant(const MenuShortcut& shortcut) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("aas"));
    for (const auto& combination : shortcut) {
        g_variant_builder_open(&builder, G_VARIANT_TYPE("as"));
        for (const auto& key : combination) g_variant_builder_add_value(&builder, textVariant(key));
        g_variant_builder_close(&builder);
    }
    return g_variant_builder_end(&builder);
}

GVariant* valueVariant(const MenuValue& value) {
    if (auto* flag = std::get_if<bool>(&value)) return g_variant_new_boolean(*flag);
    if (auto* number = std::get_if<int>(&value)) return g_variant_new_int32(*number);
    if (auto* text = std::get_if<std::string>(&value)) return textVariant(*text);
    return shortcutVariant(std::get<MenuShortcut>(value));
}

using NameFilter = std::set<std::string>;  // empty means every name

NameFilter nameFilter(GVariant* names) {
    NameFilter filter;
    GVariantIter iterator;
    const gchar* name = nullptr;
    g_variant_iter_init(&iterator, names);
    while (g_variant_iter_next(&iterator, "&s", &name)) filter.insert(name);
    return filter;
}

GVariant* propertiesVariant(const MenuProperties& properties, const NameFilter& names) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    for (const auto& [name, value] : properties) {
        if (!names.empty() && !names.contains(name)) continue;
        g_variant_builder_add(&builder, "{sv}", name.c_str(), valueVariant(value));
    }
    return g_variant_builder_end(&builder);
}

// A negative depth means the whole subtree.
GVariant* layoutVariant(const Menu& menu, int id, int depth, const NameFilter& names) {
    const auto& node = menu.at(id);
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    for (int child : node.children) {
        if (depth == 0) break;
        g_variant_builder_add(&children, "v", layoutVariant(menu, child, depth - 1, names));
    }
    return g_variant_new("(i@a{sv}av)", id, propertiesVariant(node.properties, names), &children);
}

GVariant* groupVariant(const Menu& menu, const std::vector<int>& ids, const NameFilter& names) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ia{sv})"));
    for (int id : ids) {
        auto node = menu.find(id);
        if (node == menu.end()) continue;
        g_variant_builder_add(&builder, "(i@a{sv})", id,
                              propertiesVariant(node->second.properties, names));
    }
    return g_variant_new("(a(ia{sv}))", &builder);
}

GVariant* changesVariant(const PropertyChanges& changes) {
    GVariantBuilder updated;
    g_variant_builder_init(&updated, G_VARIANT_TYPE("a(ia{sv})"));
    for (const auto& [id, properties] : changes.updated) {
        g_variant_builder_add(&updated, "(i@a{sv})", id, propertiesVariant(properties, {}));
    }
    GVariantBuilder removed;
    g_variant_builder_init(&removed, G_VARIANT_TYPE("a(ias)"));
    for (const auto& [id, names] : changes.removed) {
        g_variant_builder_open(&removed, G_VARIANT_TYPE("(ias)"));
        g_variant_builder_add(&removed, "i", id);
        g_variant_builder_open(&removed, G_VARIANT_TYPE("as"));
        for (const auto& name : names) g_variant_builder_add(&removed, "s", name.c_str());
        g_variant_builder_close(&removed);
        g_variant_builder_close(&removed);
    }
    return g_variant_new("(a(ia{sv})a(ias))", &updated, &removed);
}

struct AskedIds {
    std::vector<int> known;    // ids the menu holds
    std::vector<int> unknown;  // the others, as many as the menu has entries at most
};

// Each id once, in the order first asked for: what is done and answered is
// sized by the menu, however long or repetitive the request.
AskedIds askedIds(GVariant* ids, const Menu& menu) {
    gsize count = 0;
    auto* values =
        static_cast<const gint32*>(g_variant_get_fixed_array(ids, &count, sizeof(gint32)));
    const std::size_t mostUnknown = std::max<std::size_t>(menu.size(), 1);
    AskedIds asked;
    std::set<int> seen;
    for (gsize index = 0; index < count; ++index) {
        int id = values[index];
        bool known = menu.contains(id);
        if (!known && asked.unknown.size() == mostUnknown) continue;
        if (!seen.insert(id).second) continue;
        (known ? asked.known : asked.unknown).push_back(id);
    }
    return asked;
}

GVariant* idsVariant(const std::vector<int>& ids) {
    return g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, ids.data(), ids.size(), sizeof(gint32));
}

void replyUnknownEntry(GDBusMethodInvocation* invocation, int id) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS,
                                          "No menu entry with id %d", id);
}

}  // namespace

const GDBusInterfaceVTable DBusMenuServer::vtable = {callMethod, Route::getProperty, nullptr, {}};

DBusMenuServer::DBusMenuServer(GDBusConnection* connection, std::string path, Handlers handlers)
    : handlers_(std::move(handlers)),
      object_(connection, std::move(path), interfaceXml, vtable, Route::make(alive_), Route::free) {
}

// Each change is a new revision. Panels that fetch the whole layout again
// react to LayoutUpdated; those that keep entries by id want the changed
// properties too. An unchanged menu sends nothing, so a menu rebuilt on every
// opening costs the panel no second fetch.
void DBusMenuServer::setMenu(const platform::StatusMenuEntry& root) {
    auto menu = flattenMenu(root);
    if (menu == menu_) return;
    auto changes = propertyChanges(menu_, menu);
    menu_ = std::move(menu);
    ++revision_;
    object_.emitSignal("LayoutUpdated", g_variant_new("(ui)", revision_, 0));
    if (!changes.empty()) object_.emitSignal("ItemsPropertiesUpdated", changesVariant(changes));
}

bool DBusMenuServer::isClickable(int entryId) const {
    auto entry = menu_.find(entryId);
    return entry != menu_.end() && entry->second.clickable;
}

GVariant* DBusMenuServer::property(std::string_view name) const {
    if (name == "Version") return g_variant_new_uint32(3);
    if (name == "TextDirection") return g_variant_new_string("ltr");
    if (name == "Status") return g_variant_new_string("normal");
    if (name == "IconThemePath") return g_variant_new_strv(nullptr, 0);
    return nullptr;
}

void DBusMenuServer::callMethod(GDBusConnection*, const char*, const char*, const char*,
                                const char* method, GVariant* parameters,
                                GDBusMethodInvocation* invocation, gpointer data) {
    static const std::map<std::string_view, Method> methods = {
        {"GetLayout", &DBusMenuServer::getLayout},
        {"GetGroupProperties", &DBusMenuServer::getGroupProperties},
        {"GetProperty", &DBusMenuServer::getProperty},
        {"Event", &DBusMenuServer::event},
        {"EventGroup", &DBusMenuServer::eventGroup},
        {"AboutToShow", &DBusMenuServer::aboutToShow},
        {"AboutToShowGroup", &DBusMenuServer::aboutToShowGroup},
    };
    DBusMenuServer* server = Route::find(data);
    auto handler = methods.find(method);
    if (!server || handler == methods.end()) {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                              "No method %s", method);
        return;
    }
    (server->*handler->second)(parameters, invocation);
}

void DBusMenuServer::getLayout(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 parent = 0;
    gint32 depth = 0;
    g_autoptr(GVariant) names = nullptr;
    g_variant_get(parameters, "(ii@as)", &parent, &depth, &names);
    if (!menu_.contains(parent)) return replyUnknownEntry(invocation, parent);
    auto* layout = layoutVariant(menu_, parent, depth, nameFilter(names));
    g_dbus_method_invocation_return_value(invocation,
                                          g_variant_new("(u@(ia{sv}av))", revision_, layout));
}

// No ids means every entry.
void DBusMenuServer::getGroupProperties(GVariant* parameters, GDBusMethodInvocation* invocation) {
    g_autoptr(GVariant) idArray = nullptr;
    g_autoptr(GVariant) names = nullptr;
    g_variant_get(parameters, "(@ai@as)", &idArray, &names);
    auto asked = askedIds(idArray, menu_);
    auto ids = asked.known;
    if (asked.known.empty() && asked.unknown.empty()) {
        for (const auto& [id, node] : menu_) ids.push_back(id);
    }
    g_dbus_method_invocation_return_value(invocation, groupVariant(menu_, ids, nameFilter(names)));
}

// A property that is not sent answers with the protocol's default.
void DBusMenuServer::getProperty(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const gchar* name = nullptr;
    g_variant_get(parameters, "(i&s)", &id, &name);
    auto node = menu_.find(id);
    if (node == menu_.end()) return replyUnknownEntry(invocation, id);
    auto value = propertyValue(node->second, name);
    if (!value) {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS,
                                              "No property %s", name);
        return;
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", valueVariant(*value)));
}

void DBusMenuServer::event(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const gchar* eventId = nullptr;
    g_variant_get_child(parameters, 0, "i", &id);
    g_variant_get_child(parameters, 1, "&s", &eventId);
    // The event may end this object; only the invocation is used after it.
    if (!handleEvent(id, eventId)) return replyUnknownEntry(invocation, id);
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

// A panel sends a few events at once; one event per entry and kind is acted
// on, and a batch larger than the menu could cause is refused.
void DBusMenuServer::eventGroup(GVariant* parameters, GDBusMethodInvocation* invocation) {
    g_autoptr(GVariant) events = g_variant_get_child_value(parameters, 0);
    const gsize count = g_variant_n_children(events);
    if (count > eventKindsPerEntry * std::max<gsize>(menu_.size(), 1)) {
        g_dbus_method_invocation_return_error(
            invocation, G_DBUS_ERROR, G_DBUS_ERROR_LIMITS_EXCEEDED,
            "%zu events for a menu of %zu entries", std::size_t(count), menu_.size());
        return;
    }
    Route::Handle alive = alive_;
    std::vector<int> unknown;
    std::set<std::pair<int, std::string>> seen;
    for (gsize index = 0; index < count; ++index) {
        g_autoptr(GVariant) one = g_variant_get_child_value(events, index);
        gint32 id = 0;
        const gchar* eventId = nullptr;
        g_variant_get_child(one, 0, "i", &id);
        g_variant_get_child(one, 1, "&s", &eventId);
        if (!seen.emplace(id, eventId).second) continue;
        // Each event may end this object.
        DBusMenuServer* server = Route::target(alive);
        if (!server || !server->handleEvent(id, eventId)) unknown.push_back(id);
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai)", idsVariant(unknown)));
}

void DBusMenuServer::aboutToShow(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    g_variant_get(parameters, "(i)", &id);
    if (!menu_.contains(id)) return replyUnknownEntry(invocation, id);
    bool needUpdate = announceOpening(id);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", needUpdate));
}

void DBusMenuServer::aboutToShowGroup(GVariant* parameters, GDBusMethodInvocation* invocation) {
    g_autoptr(GVariant) idArray = g_variant_get_child_value(parameters, 0);
    auto asked = askedIds(idArray, menu_);
    Route::Handle alive = alive_;
    std::vector<int> updatesNeeded;
    std::vector<int>& unknown = asked.unknown;
    for (int id : asked.known) {
        // Each announcement may rebuild the menu, or end this object.
        DBusMenuServer* server = Route::target(alive);
        if (!server || !server->menu_.contains(id)) {
            unknown.push_back(id);
            continue;
        }
        if (server->announceOpening(id)) updatesNeeded.push_back(id);
    }
    g_dbus_method_invocation_return_value(
        invocation, g_variant_new("(@ai@ai)", idsVariant(updatesNeeded), idsVariant(unknown)));
}

// Some panels announce an opening menu with AboutToShow, some with the
// "opened" event, some with both; the callee hears of each opening once.
bool DBusMenuServer::handleEvent(int entryId, std::string_view eventId) {
    auto entry = menu_.find(entryId);
    if (entry == menu_.end()) return false;
    if (eventId == "clicked") {
        if (entry->second.clickable) callCopy(handlers_.entryClicked, entryId);
        return true;
    }
    if (eventId == "opened") {
        if (!announcedMenus_.erase(entryId)) callCopy(handlers_.menuWillOpen, entryId);
        return true;
    }
    if (eventId == "closed") announcedMenus_.erase(entryId);
    return true;
}

bool DBusMenuServer::announceOpening(int menuId) {
    Route::Handle alive = alive_;
    auto revision = revision_;
    announcedMenus_.insert(menuId);
    callCopy(handlers_.menuWillOpen, menuId);
    return !alive.expired() && revision_ != revision;
}

}  // namespace host
