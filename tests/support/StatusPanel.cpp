#include "support/StatusPanel.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

namespace support {
namespace {

constexpr const char* itemPath = "/StatusNotifierItem";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
constexpr const char* menuInterface = "com.canonical.dbusmenu";

// A reference we own, given back when it goes.
struct Variant {
    explicit Variant(GVariant* value) : value(value) {}
    ~Variant() {
        if (value) g_variant_unref(value);
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    GVariant* value;
};

GVariant* callOn(GDBusConnection* connection, const std::string& busName, const std::string& path,
                 const char* interface, const char* method, GVariant* arguments) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(connection, busName.c_str(), path.c_str(),
                                                  interface, method, arguments, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (error) {
        ADD_FAILURE() << method << ": " << error->message;
        g_error_free(error);
    }
    return reply;
}

GVariant* itemProperty(GDBusConnection* connection, const std::string& busName, const char* name) {
    Variant reply(callOn(connection, busName, itemPath, "org.freedesktop.DBus.Properties", "Get",
                         g_variant_new("(ss)", itemInterface, name)));
    if (!reply.value) return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply.value, "(v)", &value);
    return value;
}

std::string text(GVariant* properties, const char* name) {
    const char* value = nullptr;
    return g_variant_lookup(properties, name, "&s", &value) ? value : "";
}

std::vector<std::string> shortcut(GVariant* properties) {
    Variant keys(g_variant_lookup_value(properties, "shortcut", G_VARIANT_TYPE("aas")));
    if (!keys.value || g_variant_n_children(keys.value) == 0) return {};
    Variant first(g_variant_get_child_value(keys.value, 0));
    gsize count = 0;
    const gchar** names = g_variant_get_strv(first.value, &count);
    std::vector<std::string> result(names, names + count);
    g_free(names);
    return result;
}

StatusPanel::Entry entryFrom(GVariant* layout) {
    StatusPanel::Entry entry;
    g_variant_get_child(layout, 0, "i", &entry.id);
    Variant properties(g_variant_get_child_value(layout, 1));
    entry.separator = text(properties.value, "type") == "separator";
    entry.label = text(properties.value, "label");
    entry.toolTip = text(properties.value, "x-tarnwick-tooltip");
    entry.shortcut = shortcut(properties.value);
    // A checkmark without a state is mixed; no checkmark at all reads as off.
    bool checkable = text(properties.value, "toggle-type") == "checkmark";
    if (!g_variant_lookup(properties.value, "toggle-state", "i", &entry.toggleState)) {
        entry.toggleState = checkable ? -1 : 0;
    }
    return entry;
}

}  // namespace

StatusPanel::StatusPanel(pid_t pid, const std::string& busAddress)
    : busName_("org.kde.StatusNotifierItem-" + std::to_string(pid) + "-1") {
    if (busAddress.empty()) {
        connection_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    } else {
        auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        connection_ = g_dbus_connection_new_for_address_sync(busAddress.c_str(), flags, nullptr, nullptr, nullptr);
    }
    if (!connection_) return;
    subscription_ = g_dbus_connection_signal_subscribe(
        connection_, nullptr, menuInterface, "LayoutUpdated", nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
           gpointer counter) { ++*static_cast<int*>(counter); },
        &layoutUpdates_, nullptr);
}

StatusPanel::~StatusPanel() {
    if (!connection_) return;
    g_dbus_connection_signal_unsubscribe(connection_, subscription_);
    g_object_unref(connection_);
}

bool StatusPanel::waitForItem(std::chrono::milliseconds timeout) {
    auto owned = [this] {
        Variant reply(g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", g_variant_new("(s)", busName_.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE,
            5000, nullptr, nullptr));
        gboolean has = FALSE;
        if (reply.value) g_variant_get(reply.value, "(b)", &has);
        return has == TRUE;
    };
    return waitUntil(owned, timeout);
}

bool StatusPanel::waitUntil(const std::function<bool()>& condition,
                            std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(5000);
    }
    return true;
}

std::string StatusPanel::toolTip() {
    Variant value(itemProperty(connection_, busName_, "ToolTip"));
    if (!value.value) return "";
    const char* title = nullptr;
    g_variant_get_child(value.value, 2, "&s", &title);
    return title;
}

std::vector<StatusPanel::Pixmap> StatusPanel::icon() {
    Variant value(itemProperty(connection_, busName_, "IconPixmap"));
    std::vector<Pixmap> pixmaps;
    if (!value.value) return pixmaps;
    for (gsize index = 0; index < g_variant_n_children(value.value); ++index) {
        Variant child(g_variant_get_child_value(value.value, index));
        Pixmap pixmap;
        g_variant_get_child(child.value, 0, "i", &pixmap.width);
        g_variant_get_child(child.value, 1, "i", &pixmap.height);
        Variant bytes(g_variant_get_child_value(child.value, 2));
        gsize size = 0;
        auto* data =
            static_cast<const std::uint8_t*>(g_variant_get_fixed_array(bytes.value, &size, 1));
        pixmap.argb.assign(data, data + size);
        pixmaps.push_back(std::move(pixmap));
    }
    return pixmaps;
}

std::vector<StatusPanel::Entry> StatusPanel::entries() {
    Variant menu(itemProperty(connection_, busName_, "Menu"));
    if (!menu.value) return {};
    Variant reply(callOn(connection_, busName_, g_variant_get_string(menu.value, nullptr),
                         menuInterface, "GetLayout",
                         g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0))));
    if (!reply.value) return {};
    Variant root(g_variant_get_child_value(reply.value, 1));
    Variant children(g_variant_get_child_value(root.value, 2));
    std::vector<Entry> result;
    for (gsize index = 0; index < g_variant_n_children(children.value); ++index) {
        Variant boxed(g_variant_get_child_value(children.value, index));
        Variant child(g_variant_get_variant(boxed.value));
        result.push_back(entryFrom(child.value));
    }
    return result;
}

std::optional<StatusPanel::Entry> StatusPanel::entry(const std::string& label) {
    for (auto& entry : entries()) {
        if (entry.label == label) return entry;
    }
    return std::nullopt;
}

void StatusPanel::click(int id) {
    Variant menu(itemProperty(connection_, busName_, "Menu"));
    if (!menu.value) return;
    Variant reply(callOn(connection_, busName_, g_variant_get_string(menu.value, nullptr),
                         menuInterface, "Event",
                         g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0u)));
}

bool StatusPanel::click(const std::string& label) {
    auto found = entry(label);
    if (!found) return false;
    click(found->id);
    return true;
}

}  // namespace support
