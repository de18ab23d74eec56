#include "host/StatusNotifierBar.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "host/StraightAlpha.h"

namespace host {
namespace {

using platform::StatusItemId;
using platform::StatusMenuEntry;

constexpr const char* interfacesXml = R"(
<node>
  <interface name='org.kde.StatusNotifierItem'>
    <property name='Category' type='s' access='read'/>
    <property name='Id' type='s' access='read'/>
    <property name='Title' type='s' access='read'/>
    <property name='Status' type='s' access='read'/>
    <property name='WindowId' type='i' access='read'/>
    <property name='IconThemePath' type='s' access='read'/>
    <property name='IconName' type='s' access='read'/>
    <property name='IconPixmap' type='a(iiay)' access='read'/>
    <property name='OverlayIconName' type='s' access='read'/>
    <property name='OverlayIconPixmap' type='a(iiay)' access='read'/>
    <property name='AttentionIconName' type='s' access='read'/>
    <property name='AttentionIconPixmap' type='a(iiay)' access='read'/>
    <property name='AttentionMovieName' type='s' access='read'/>
    <property name='ToolTip' type='(sa(iiay)ss)' access='read'/>
    <property name='ItemIsMenu' type='b' access='read'/>
    <property name='Menu' type='o' access='read'/>
    <property name='XAyatanaLabel' type='s' access='read'/>
    <property name='XAyatanaLabelGuide' type='s' access='read'/>
    <method name='ContextMenu'><arg name='x' type='i'/><arg name='y' type='i'/></method>
    <method name='Activate'><arg name='x' type='i'/><arg name='y' type='i'/></method>
    <method name='SecondaryActivate'><arg name='x' type='i'/><arg name='y' type='i'/></method>
    <method name='Scroll'><arg name='delta' type='i'/><arg name='orientation' type='s'/></method>
    <signal name='NewTitle'/>
    <signal name='NewIcon'/>
    <signal name='NewAttentionIcon'/>
    <signal name='NewOverlayIcon'/>
    <signal name='NewToolTip'/>
    <signal name='NewStatus'><arg name='status' type='s'/></signal>
    <signal name='XAyatanaNewLabel'><arg name='label' type='s'/><arg name='guide' type='s'/></signal>
  </interface>
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

// ---- Text

// GVariant strings must be UTF-8; a stray byte shows as U+FFFD instead of
// failing the whole reply.
GVariant* textVariant(const std::string& text) {
    auto length = static_cast<gssize>(text.size());
    if (g_utf8_validate(text.data(), length, nullptr)) return g_variant_new_string(text.c_str());
    g_autofree gchar* valid = g_utf8_make_valid(text.data(), length);
    return g_variant_new_string(valid);
}

// ---- The menu as dbusmenu describes it: entries by id, each a set of
// properties that differ from the protocol's defaults.

using Shortcut = std::vector<std::vector<std::string>>;
using MenuValue = std::variant<bool, int, std::string, Shortcut>;
using MenuProperties = std::map<std::string, MenuValue>;

struct MenuNode {
    MenuProperties properties;
    std::vector<int> children;
    bool clickable = false;
    bool operator==(const MenuNode&) const = default;
};

using Menu = std::map<int, MenuNode>;  // 0 is the root

// What a panel assumes for a property that is not sent.
const MenuProperties& menuDefaults() {
    static const MenuProperties defaults = {
        {"type", std::string("standard")},
        {"label", std::string()},
        {"enabled", true},
        {"visible", true},
        {"icon-name", std::string()},
        {"toggle-type", std::string()},
        {"toggle-state", -1},
        {"children-display", std::string()},
        {"shortcut", Shortcut{}},
        {"disposition", std::string("normal")},
        {"accessible-desc", std::string()},
        {"x-tarnwick-tooltip", std::string()},
    };
    return defaults;
}

// A single "_" marks the mnemonic; a literal one is doubled.
std::string escapedLabel(const std::string& label) {
    std::string escaped;
    for (char character : label) {
        if (character == '_') escaped += '_';
        escaped += character;
    }
    return escaped;
}

int toggleState(int state) {
    return state == 0 || state == 1 ? state : -1;
}

void addToggle(MenuProperties& properties, const StatusMenuEntry& entry) {
    if (entry.toggle != StatusMenuEntry::Toggle::checkmark) return;
    properties["toggle-type"] = std::string("checkmark");
    // -1 (mixed) is the default, so it goes unsent.
    if (int state = toggleState(entry.toggleState); state != -1) properties["toggle-state"] = state;
}

// dbusmenu has no tooltip. accessible-desc is what screen readers say and
// some panels show on hover; x-tarnwick-tooltip (the protocol leaves "x-"
// names to applications) carries the text verbatim for tools that look.
void addToolTip(MenuProperties& properties, const StatusMenuEntry& entry) {
    if (entry.toolTip.empty()) return;
    properties["accessible-desc"] = entry.toolTip;
    properties["x-tarnwick-tooltip"] = entry.toolTip;
}

MenuProperties entryProperties(const StatusMenuEntry& entry) {
    using Kind = StatusMenuEntry::Kind;
    if (entry.kind == Kind::separator) return {{"type", std::string("separator")}};
    MenuProperties properties;
    if (!entry.label.empty()) properties["label"] = escapedLabel(entry.label);
    // Panels know no section headers; a disabled entry with the header's
    // text reads as one.
    if (entry.kind == Kind::sectionHeader) {
        properties["enabled"] = false;
        return properties;
    }
    if (!entry.enabled) properties["enabled"] = false;
    addToggle(properties, entry);
    if (!entry.shortcut.empty()) properties["shortcut"] = Shortcut{entry.shortcut};
    if (!entry.children.empty()) properties["children-display"] = std::string("submenu");
    addToolTip(properties, entry);
    return properties;
}

bool clickable(const StatusMenuEntry& entry) {
    return entry.kind == StatusMenuEntry::Kind::item && entry.enabled;
}

void addEntries(Menu& menu, int parent, const std::vector<StatusMenuEntry>& entries) {
    for (const auto& entry : entries) {
        // Panels address entries by id; one without its own id, or with
        // another's, could not be told apart.
        if (entry.id == 0 || menu.contains(entry.id)) continue;
        menu[parent].children.push_back(entry.id);
        menu[entry.id] = {entryProperties(entry), {}, clickable(entry)};
        addEntries(menu, entry.id, entry.children);
    }
}

Menu flattenMenu(const StatusMenuEntry& root) {
    Menu menu;
    menu[0].properties["children-display"] = std::string("submenu");
    addEntries(menu, 0, root.children);
    return menu;
}

std::optional<MenuValue> propertyValue(const MenuNode& node, const std::string& name) {
    if (auto found = node.properties.find(name); found != node.properties.end()) {
        return found->second;
    }
    if (auto known = menuDefaults().find(name); known != menuDefaults().end()) {
        return known->second;
    }
    return std::nullopt;
}

// Properties of entries that exist before and after a change.
struct PropertyChanges {
    std::map<int, MenuProperties> updated;
    std::map<int, std::vector<std::string>> removed;
    bool empty() const { return updated.empty() && removed.empty(); }
};

MenuProperties updatedProperties(const MenuProperties& before, const MenuProperties& after) {
    MenuProperties updated;
    for (const auto& [name, value] : after) {
        auto old = before.find(name);
        if (old == before.end() || old->second != value) updated.emplace(name, value);
    }
    return updated;
}

std::vector<std::string> removedProperties(const MenuProperties& before,
                                           const MenuProperties& after) {
    std::vector<std::string> removed;
    for (const auto& [name, value] : before) {
        if (!after.contains(name)) removed.push_back(name);
    }
    return removed;
}

PropertyChanges propertyChanges(const Menu& before, const Menu& after) {
    PropertyChanges changes;
    for (const auto& [id, node] : after) {
        auto old = before.find(id);
        if (old == before.end()) continue;
        auto updated = updatedProperties(old->second.properties, node.properties);
        auto removed = removedProperties(old->second.properties, node.properties);
        if (!updated.empty()) changes.updated.emplace(id, std::move(updated));
        if (!removed.empty()) changes.removed.emplace(id, std::move(removed));
    }
    return changes;
}

// ---- Menu values on the wire

GVariant* shortcutVariant(const Shortcut& shortcut) {
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
    return shortcutVariant(std::get<Shortcut>(value));
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

// ---- Icons

struct IconPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> argb;  // network byte order, not premultiplied
    bool operator==(const IconPixmap&) const = default;
};

std::vector<std::uint8_t> networkOrderArgb(const std::vector<std::uint32_t>& pixels) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 4);
    for (auto pixel : pixels) {
        std::uint32_t straight = straightArgb(pixel);
        for (int shift : {24, 16, 8, 0}) bytes.push_back(static_cast<std::uint8_t>(straight >> shift));
    }
    return bytes;
}

std::vector<IconPixmap> iconPixmaps(const std::vector<platform::PixelImage>& images) {
    std::vector<IconPixmap> pixmaps;
    for (const auto& image : images) {
        auto area = static_cast<std::size_t>(std::max(image.width, 0)) *
                    static_cast<std::size_t>(std::max(image.height, 0));
        if (area == 0 || image.pixels.size() != area) continue;
        pixmaps.push_back({image.width, image.height, networkOrderArgb(image.pixels)});
    }
    return pixmaps;
}

GVariant* pixmapsVariant(const std::vector<IconPixmap>& pixmaps) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const auto& pixmap : pixmaps) {
        g_variant_builder_add(&builder, "(ii@ay)", pixmap.width, pixmap.height,
                              g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.argb.data(),
                                                        pixmap.argb.size(), 1));
    }
    return g_variant_builder_end(&builder);
}

// ---- Names and paths

// Every item in the process shares the one session connection, so object
// paths are handed out process-wide, as are the numbers in the bus names.
int nextBusNumber = 1;
std::set<int> pathSlotsInUse;

int takePathSlot() {
    int slot = 1;
    while (pathSlotsInUse.contains(slot)) ++slot;
    pathSlotsInUse.insert(slot);
    return slot;
}

std::string slotPath(const std::string& base, int slot) {
    return slot == 1 ? base : base + "/" + std::to_string(slot);
}

// "clicked", "hovered", "opened", "closed".
constexpr std::size_t eventKindsPerEntry = 4;

void replyUnknownEntry(GDBusMethodInvocation* invocation, int id) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS,
                                          "No menu entry with id %d", id);
}

}  // namespace

struct StatusNotifierBar::Item {
    StatusItemId id = 0;
    Callbacks callbacks;
    int pathSlot = 0;
    std::string busName;
    std::string itemPath;
    std::string menuPath;

    std::vector<IconPixmap> icon;
    std::string label;
    std::string toolTip;
    Menu menu = flattenMenu({});
    unsigned revision = 1;
    std::set<int> announcedMenus;  // AboutToShow came, "opened" not yet

    unsigned itemObject = 0;
    unsigned menuObject = 0;
    unsigned nameOwner = 0;
    unsigned watcherWatch = 0;
    bool ownsName = false;
    bool watcherRuns = false;
};

// What GDBus hands back to each callback: the bar and the item's id, which is
// looked up afresh every time, since callbacks may remove the item.
struct StatusNotifierBar::Bus {
    struct Route {
        StatusNotifierBar* bar;
        StatusItemId item;
        Item* find() const { return bar->find(item); }
    };
    struct Pending {
        StatusNotifierBar* bar;
        std::function<void()> work;
        unsigned source;
    };
    using MenuMethod = void (*)(Route, Item&, GVariant*, GDBusMethodInvocation*);

    static gpointer newRoute(StatusNotifierBar* bar, StatusItemId item) {
        return new Route{bar, item};
    }
    static void freeRoute(gpointer data) { delete static_cast<Route*>(data); }
    static Route& route(gpointer data) { return *static_cast<Route*>(data); }

    static GVariant* itemProperty(const Item& item, std::string_view name) {
        static const std::map<std::string_view, const char*> fixedTexts = {
            {"Category", "ApplicationStatus"},
            {"Id", "tarnwick"},
            {"Title", "Tarnwick"},  // the panel's name for the item; setTitle sets the label
            {"Status", "Active"},
            {"IconThemePath", ""},
            {"IconName", ""},
            {"OverlayIconName", ""},
            {"AttentionIconName", ""},
            {"AttentionMovieName", ""},
        };
        if (auto text = fixedTexts.find(name); text != fixedTexts.end()) {
            return g_variant_new_string(text->second);
        }
        if (name == "WindowId") return g_variant_new_int32(0);
        if (name == "IconPixmap") return pixmapsVariant(item.icon);
        if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap") return pixmapsVariant({});
        if (name == "ToolTip") {
            return g_variant_new("(s@a(iiay)@ss)", "", pixmapsVariant({}),
                                 textVariant(item.toolTip), "");
        }
        if (name == "ItemIsMenu") return g_variant_new_boolean(true);
        if (name == "Menu") return g_variant_new_object_path(item.menuPath.c_str());
        // The guide is the widest text the label will show; ours is one arrow.
        if (name == "XAyatanaLabel" || name == "XAyatanaLabelGuide") return textVariant(item.label);
        return nullptr;
    }

    static GVariant* menuObjectProperty(std::string_view name) {
        if (name == "Version") return g_variant_new_uint32(3);
        if (name == "TextDirection") return g_variant_new_string("ltr");
        if (name == "Status") return g_variant_new_string("normal");
        if (name == "IconThemePath") return g_variant_new_strv(nullptr, 0);
        return nullptr;
    }

    static GVariant* getProperty(GDBusConnection*, const gchar*, const gchar*,
                                 const gchar* interface, const gchar* property, GError** error,
                                 gpointer data) {
        Item* item = route(data).find();
        GVariant* value = nullptr;
        if (item && g_str_equal(interface, itemInterface)) value = itemProperty(*item, property);
        if (item && g_str_equal(interface, menuInterface)) value = menuObjectProperty(property);
        if (!value) {
            g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s",
                        property);
        }
        return value;
    }

    // Most panels open the exported menu themselves. One that calls Activate
    // (a left click, on LXQt) or ContextMenu instead gets the same menu, shown
    // by us where it clicked; the other calls need nothing.
    static void callItemMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar* method, GVariant* parameters,
                               GDBusMethodInvocation* invocation, gpointer data) {
        g_dbus_method_invocation_return_value(invocation, nullptr);
        bool showsMenu = g_str_equal(method, "Activate") || g_str_equal(method, "ContextMenu");
        if (!showsMenu || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ii)"))) return;
        gint32 x = 0, y = 0;
        g_variant_get(parameters, "(ii)", &x, &y);
        Route target = route(data);
        target.bar->queue([target, x, y] { target.bar->deliverMenuRequest(target.item, x, y); });
    }

    static void callMenuMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar* method, GVariant* parameters,
                               GDBusMethodInvocation* invocation, gpointer data) {
        static const std::map<std::string_view, MenuMethod> methods = {
            {"GetLayout", getLayout},
            {"GetGroupProperties", getGroupProperties},
            {"GetProperty", getMenuEntryProperty},
            {"Event", event},
            {"EventGroup", eventGroup},
            {"AboutToShow", aboutToShow},
            {"AboutToShowGroup", aboutToShowGroup},
        };
        // Copied: a callback may remove the item, and GDBus its route.
        Route target = route(data);
        Item* item = target.find();
        auto handler = methods.find(method);
        if (!item || handler == methods.end()) {
            g_dbus_method_invocation_return_error(
                invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD, "No method %s", method);
            return;
        }
        handler->second(target, *item, parameters, invocation);
    }

    static void getLayout(Route, Item& item, GVariant* parameters,
                          GDBusMethodInvocation* invocation) {
        gint32 parent = 0;
        gint32 depth = 0;
        g_autoptr(GVariant) names = nullptr;
        g_variant_get(parameters, "(ii@as)", &parent, &depth, &names);
        if (!item.menu.contains(parent)) return replyUnknownEntry(invocation, parent);
        auto* layout = layoutVariant(item.menu, parent, depth, nameFilter(names));
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u@(ia{sv}av))", item.revision, layout));
    }

    // No ids means every entry.
    static void getGroupProperties(Route, Item& item, GVariant* parameters,
                                   GDBusMethodInvocation* invocation) {
        g_autoptr(GVariant) idArray = nullptr;
        g_autoptr(GVariant) names = nullptr;
        g_variant_get(parameters, "(@ai@as)", &idArray, &names);
        auto filter = nameFilter(names);
        auto asked = askedIds(idArray, item.menu);
        auto ids = asked.known;
        if (asked.known.empty() && asked.unknown.empty()) {
            for (const auto& [id, node] : item.menu) ids.push_back(id);
        }
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ia{sv})"));
        for (int id : ids) {
            auto node = item.menu.find(id);
            if (node == item.menu.end()) continue;
            g_variant_builder_add(&builder, "(i@a{sv})", id,
                                  propertiesVariant(node->second.properties, filter));
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(a(ia{sv}))", &builder));
    }

    // A property that is not sent answers with the protocol's default.
    static void getMenuEntryProperty(Route, Item& item, GVariant* parameters,
                                     GDBusMethodInvocation* invocation) {
        gint32 id = 0;
        const gchar* name = nullptr;
        g_variant_get(parameters, "(i&s)", &id, &name);
        auto node = item.menu.find(id);
        if (node == item.menu.end()) return replyUnknownEntry(invocation, id);
        auto value = propertyValue(node->second, name);
        if (!value) {
            g_dbus_method_invocation_return_error(
                invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "No property %s", name);
            return;
        }
        g_dbus_method_invocation_return_value(invocation,
                                              g_variant_new("(v)", valueVariant(*value)));
    }

    static void event(Route target, Item&, GVariant* parameters,
                      GDBusMethodInvocation* invocation) {
        gint32 id = 0;
        const gchar* eventId = nullptr;
        g_variant_get_child(parameters, 0, "i", &id);
        g_variant_get_child(parameters, 1, "&s", &eventId);
        if (!target.bar->menuEvent(target.item, id, eventId)) {
            return replyUnknownEntry(invocation, id);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    // A panel sends a few events at once; one event per entry and kind is
    // acted on, and a batch larger than the menu could cause is refused.
    static void eventGroup(Route target, Item& item, GVariant* parameters,
                           GDBusMethodInvocation* invocation) {
        g_autoptr(GVariant) events = g_variant_get_child_value(parameters, 0);
        const gsize most = eventKindsPerEntry * std::max<gsize>(item.menu.size(), 1);
        if (g_variant_n_children(events) > most) {
            g_dbus_method_invocation_return_error(
                invocation, G_DBUS_ERROR, G_DBUS_ERROR_LIMITS_EXCEEDED,
                "%zu events for a menu of %zu entries", std::size_t(g_variant_n_children(events)),
                item.menu.size());
            return;
        }
        std::vector<int> unknown;
        std::set<std::pair<int, std::string>> seen;
        for (gsize index = 0; index < g_variant_n_children(events); ++index) {
            g_autoptr(GVariant) one = g_variant_get_child_value(events, index);
            gint32 id = 0;
            const gchar* eventId = nullptr;
            g_variant_get_child(one, 0, "i", &id);
            g_variant_get_child(one, 1, "&s", &eventId);
            if (!seen.emplace(id, eventId).second) continue;
            if (!target.bar->menuEvent(target.item, id, eventId)) unknown.push_back(id);
        }
        g_dbus_method_invocation_return_value(invocation,
                                              g_variant_new("(@ai)", idsVariant(unknown)));
    }

    static void aboutToShow(Route target, Item& item, GVariant* parameters,
                            GDBusMethodInvocation* invocation) {
        gint32 id = 0;
        g_variant_get(parameters, "(i)", &id);
        if (!item.menu.contains(id)) return replyUnknownEntry(invocation, id);
        bool needUpdate = target.bar->menuAboutToShow(target.item, id);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", needUpdate));
    }

    static void aboutToShowGroup(Route target, Item& current, GVariant* parameters,
                                 GDBusMethodInvocation* invocation) {
        g_autoptr(GVariant) idArray = g_variant_get_child_value(parameters, 0);
        auto asked = askedIds(idArray, current.menu);
        std::vector<int> updatesNeeded;
        std::vector<int>& unknown = asked.unknown;
        for (int id : asked.known) {
            // Each announcement may rebuild the menu, or end the item.
            Item* item = target.find();
            if (!item || !item->menu.contains(id)) {
                unknown.push_back(id);
                continue;
            }
            if (target.bar->menuAboutToShow(target.item, id)) updatesNeeded.push_back(id);
        }
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(@ai@ai)", idsVariant(updatesNeeded), idsVariant(unknown)));
    }

    static void nameAcquired(GDBusConnection*, const gchar*, gpointer data) {
        Item* item = route(data).find();
        if (!item) return;
        item->ownsName = true;
        route(data).bar->registerWithWatcher(*item);
    }

    static void nameLost(GDBusConnection*, const gchar*, gpointer data) {
        if (Item* item = route(data).find()) item->ownsName = false;
    }

    // Also called when a watcher starts later, or starts again.
    static void watcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer data) {
        Item* item = route(data).find();
        if (!item) return;
        item->watcherRuns = true;
        route(data).bar->registerWithWatcher(*item);
    }

    static void watcherVanished(GDBusConnection*, const gchar*, gpointer data) {
        if (Item* item = route(data).find()) item->watcherRuns = false;
    }

    static gboolean runPending(gpointer data) {
        auto* pending = static_cast<Pending*>(data);
        pending->bar->pending_.erase(pending->source);
        auto work = pending->work;  // the work may remove the bar's items, not this copy
        work();
        return G_SOURCE_REMOVE;
    }

    static void freePending(gpointer data) { delete static_cast<Pending*>(data); }
};

StatusNotifierBar::StatusNotifierBar()
    : connection_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    if (connection_) interfaces_ = g_dbus_node_info_new_for_xml(interfacesXml, nullptr);
}

StatusNotifierBar::StatusNotifierBar(GDBusConnection* connection)
    : connection_(connection ? G_DBUS_CONNECTION(g_object_ref(connection)) : nullptr) {
    if (connection_) interfaces_ = g_dbus_node_info_new_for_xml(interfacesXml, nullptr);
}

StatusNotifierBar::~StatusNotifierBar() {
    for (auto source : pending_) g_source_remove(source);
    for (auto& [id, item] : items_) withdraw(*item);
    if (interfaces_) g_dbus_node_info_unref(interfaces_);
    if (connection_) g_object_unref(connection_);
}

StatusItemId StatusNotifierBar::addItem(Callbacks callbacks) {
    auto id = nextItem_++;
    if (!connection_) return id;
    auto item = std::make_unique<Item>();
    item->id = id;
    item->callbacks = std::move(callbacks);
    item->busName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
                    std::to_string(nextBusNumber++);
    item->pathSlot = takePathSlot();
    item->itemPath = slotPath("/StatusNotifierItem", item->pathSlot);
    item->menuPath = slotPath("/MenuBar", item->pathSlot);
    auto& added = *items_.emplace(id, std::move(item)).first->second;
    publish(added);
    return id;
}

// The objects are in place before the name is taken, so a panel that reacts
// to the name finds them.
void StatusNotifierBar::publish(Item& item) {
    static const GDBusInterfaceVTable itemVTable = {
        Bus::callItemMethod, Bus::getProperty, nullptr, {}};
    static const GDBusInterfaceVTable menuVTable = {
        Bus::callMenuMethod, Bus::getProperty, nullptr, {}};
    auto* itemInfo = g_dbus_node_info_lookup_interface(interfaces_, itemInterface);
    auto* menuInfo = g_dbus_node_info_lookup_interface(interfaces_, menuInterface);
    item.itemObject =
        g_dbus_connection_register_object(connection_, item.itemPath.c_str(), itemInfo, &itemVTable,
                                          Bus::newRoute(this, item.id), Bus::freeRoute, nullptr);
    item.menuObject =
        g_dbus_connection_register_object(connection_, item.menuPath.c_str(), menuInfo, &menuVTable,
                                          Bus::newRoute(this, item.id), Bus::freeRoute, nullptr);
    item.nameOwner = g_bus_own_name_on_connection(
        connection_, item.busName.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE, Bus::nameAcquired,
        Bus::nameLost, Bus::newRoute(this, item.id), Bus::freeRoute);
    item.watcherWatch = g_bus_watch_name_on_connection(
        connection_, watcherName, G_BUS_NAME_WATCHER_FLAGS_NONE, Bus::watcherAppeared,
        Bus::watcherVanished, Bus::newRoute(this, item.id), Bus::freeRoute);
}

void StatusNotifierBar::withdraw(Item& item) {
    g_bus_unwatch_name(item.watcherWatch);
    g_bus_unown_name(item.nameOwner);
    for (auto object : {item.itemObject, item.menuObject}) {
        if (object) g_dbus_connection_unregister_object(connection_, object);
    }
    pathSlotsInUse.erase(item.pathSlot);
}

void StatusNotifierBar::removeItem(StatusItemId item) {
    auto found = items_.find(item);
    if (found == items_.end()) return;
    withdraw(*found->second);
    items_.erase(found);
}

StatusNotifierBar::Item* StatusNotifierBar::find(StatusItemId item) const {
    auto found = items_.find(item);
    return found == items_.end() ? nullptr : found->second.get();
}

// The first item is found under its bus name at the usual path. Any further
// one shares our connection, so it names its own object path instead, and
// the watcher pairs that with our unique name.
void StatusNotifierBar::registerWithWatcher(const Item& item) {
    if (!item.ownsName || !item.watcherRuns) return;
    auto service = item.pathSlot == 1 ? item.busName : item.itemPath;
    g_dbus_connection_call(connection_, watcherName, watcherPath, watcherName,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", service.c_str()),
                           nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
}

void StatusNotifierBar::emitItemSignal(const Item& item, const char* name, GVariant* parameters) {
    g_dbus_connection_emit_signal(connection_, nullptr, item.itemPath.c_str(), itemInterface, name,
                                  parameters, nullptr);
}

void StatusNotifierBar::emitMenuSignal(const Item& item, const char* name, GVariant* parameters) {
    g_dbus_connection_emit_signal(connection_, nullptr, item.menuPath.c_str(), menuInterface, name,
                                  parameters, nullptr);
}

void StatusNotifierBar::setIcon(StatusItemId itemId, std::vector<platform::PixelImage> images) {
    Item* item = find(itemId);
    if (!item) return;
    auto icon = iconPixmaps(images);
    if (icon == item->icon) return;
    item->icon = std::move(icon);
    emitItemSignal(*item, "NewIcon", nullptr);
}

// NewTitle as well: several panels fetch every property again on any New*
// signal but know nothing of the label's own signal.
void StatusNotifierBar::setTitle(StatusItemId itemId, const std::string& title) {
    Item* item = find(itemId);
    if (!item || item->label == title) return;
    item->label = title;
    emitItemSignal(*item, "XAyatanaNewLabel",
                   g_variant_new("(@s@s)", textVariant(title), textVariant(title)));
    emitItemSignal(*item, "NewTitle", nullptr);
}

void StatusNotifierBar::setToolTip(StatusItemId itemId, const std::string& toolTip) {
    Item* item = find(itemId);
    if (!item || item->toolTip == toolTip) return;
    item->toolTip = toolTip;
    emitItemSignal(*item, "NewToolTip", nullptr);
}

// Each change is a new revision. Panels that fetch the whole layout again
// react to LayoutUpdated; those that keep entries by id want the changed
// properties too. An unchanged menu sends nothing, so a menu rebuilt on every
// opening costs the panel no second fetch.
void StatusNotifierBar::setMenu(StatusItemId itemId, const StatusMenuEntry& root) {
    Item* item = find(itemId);
    if (!item) return;
    auto menu = flattenMenu(root);
    if (menu == item->menu) return;
    auto changes = propertyChanges(item->menu, menu);
    item->menu = std::move(menu);
    ++item->revision;
    emitMenuSignal(*item, "LayoutUpdated", g_variant_new("(ui)", item->revision, 0));
    if (!changes.empty()) emitMenuSignal(*item, "ItemsPropertiesUpdated", changesVariant(changes));
}

std::string StatusNotifierBar::busName(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->busName : std::string();
}

std::string StatusNotifierBar::itemPath(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->itemPath : std::string();
}

std::string StatusNotifierBar::menuPath(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->menuPath : std::string();
}

// Some panels announce an opening menu with AboutToShow, some with the
// "opened" event, some with both; the callee hears of each opening once.
bool StatusNotifierBar::menuEvent(StatusItemId itemId, int entryId, std::string_view eventId) {
    Item* item = find(itemId);
    if (!item) return false;
    auto entry = item->menu.find(entryId);
    if (entry == item->menu.end()) return false;
    if (eventId == "clicked") {
        if (entry->second.clickable)
            queue([this, itemId, entryId] { deliverClick(itemId, entryId); });
        return true;
    }
    if (eventId == "opened") {
        if (!item->announcedMenus.erase(entryId)) menuWillOpen(itemId, entryId);
        return true;
    }
    if (eventId == "closed") item->announcedMenus.erase(entryId);
    return true;
}

bool StatusNotifierBar::menuAboutToShow(StatusItemId itemId, int menuId) {
    Item* item = find(itemId);
    if (!item) return false;
    auto revision = item->revision;
    item->announcedMenus.insert(menuId);
    menuWillOpen(itemId, menuId);
    item = find(itemId);
    return item && item->revision != revision;
}

void StatusNotifierBar::menuWillOpen(StatusItemId itemId, int menuId) {
    Item* item = find(itemId);
    if (!item || !item->callbacks.menuWillOpen) return;
    auto callback = item->callbacks.menuWillOpen;  // the callee may remove the item
    callback(menuId);
}

// The work may run a modal loop (an alert, a window, a menu); the panel has
// its answer before it starts.
void StatusNotifierBar::queue(std::function<void()> work) {
    auto* pending = new Bus::Pending{this, std::move(work), 0};
    pending->source =
        g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, Bus::runPending, pending, Bus::freePending);
    pending_.insert(pending->source);
}

void StatusNotifierBar::setDark(bool dark) {
    if (dark == dark_) return;
    dark_ = dark;
    std::vector<StatusItemId> ids;
    for (const auto& [id, item] : items_) ids.push_back(id);
    // Looked up one by one: a callee may remove items.
    for (StatusItemId id : ids) {
        Item* item = find(id);
        if (!item || !item->callbacks.appearanceChanged) continue;
        auto callback = item->callbacks.appearanceChanged;
        callback();
    }
}

void StatusNotifierBar::deliverMenuRequest(StatusItemId itemId, int x, int y) {
    Item* item = find(itemId);
    if (!item || !item->callbacks.menuRequested) return;
    auto callback = item->callbacks.menuRequested;
    callback(x, y);
}

// The menu may have changed since the click; an entry that is gone or no
// longer enabled does nothing.
void StatusNotifierBar::deliverClick(StatusItemId itemId, int entryId) {
    Item* item = find(itemId);
    if (!item || !item->callbacks.entryClicked) return;
    auto entry = item->menu.find(entryId);
    if (entry == item->menu.end() || !entry->second.clickable) return;
    auto callback = item->callbacks.entryClicked;
    callback(entryId);
}

}  // namespace host
