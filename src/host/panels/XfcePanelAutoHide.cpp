#include "host/panels/XfcePanelAutoHide.h"

#include <gio/gio.h>

#include <cstdio>

#include "platform/Platform.h"

namespace host {
namespace {

constexpr const char* objectPath = "/org/xfce/Xfconf";
constexpr const char* interfaceName = "org.xfce.Xfconf";
constexpr const char* behaviorKey = "/autohide-behavior";
// xfconfd answers at once; a daemon that hangs must not hold the main loop long.
constexpr int callTimeoutMilliseconds = 500;

// xfconf-query and other tools may store a number with any integer type.
std::optional<unsigned long long> unsignedOf(GVariant* value) {
    if (!value) return std::nullopt;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_VARIANT)) {
        g_autoptr(GVariant) inner = g_variant_get_variant(value);
        return unsignedOf(inner);
    }
    long long number = 0;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32)) {
        number = g_variant_get_uint32(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32)) {
        number = g_variant_get_int32(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT64)) {
        return g_variant_get_uint64(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT64)) {
        number = g_variant_get_int64(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT16)) {
        number = g_variant_get_uint16(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT16)) {
        number = g_variant_get_int16(value);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_BYTE)) {
        number = g_variant_get_byte(value);
    } else {
        return std::nullopt;
    }
    if (number < 0) return std::nullopt;
    return static_cast<unsigned long long>(number);
}

std::string textOf(GVariant* value) {
    if (!value || !g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) return {};
    return g_variant_get_string(value, nullptr);
}

// The ids of /panels, an array of variants holding integers.
std::vector<unsigned long long> panelIds(GVariant* panels) {
    std::vector<unsigned long long> ids;
    if (!panels || !g_variant_is_of_type(panels, G_VARIANT_TYPE_ARRAY)) return ids;
    GVariantIter iter;
    g_variant_iter_init(&iter, panels);
    while (GVariant* item = g_variant_iter_next_value(&iter)) {
        if (auto id = unsignedOf(item)) ids.push_back(*id);
        g_variant_unref(item);
    }
    return ids;
}

// "/panels/panel-1/autohide-behavior" → "/panels/panel-1"; empty for other properties.
std::string panelOfBehavior(const std::string& property) {
    constexpr std::string_view prefix = "/panels/panel-";
    std::string_view key = behaviorKey;
    if (property.size() <= prefix.size() + key.size() || property.rfind(prefix, 0) != 0 ||
        property.compare(property.size() - key.size(), key.size(), key) != 0) {
        return {};
    }
    return property.substr(0, property.size() - key.size());
}

std::string messageOf(GError* error) {
    return error ? error->message : "no answer";
}

}  // namespace

bool isXfceTopPanel(std::string_view position, unsigned mode) {
    // The panel's own snap positions: 0 free; 1-4 the right edge (E, NE, EC,
    // SE); 5-8 the left edge (W, NW, WC, SW); 9 and 10 top and bottom centre;
    // 11 top; 12 bottom. A horizontal panel snapped to a top corner runs
    // along the top: the default top panel is "p=6". Vertical and deskbar
    // panels stand along a side wherever they snap.
    int snap = 0, x = 0, y = 0;
    std::string text(position);
    if (std::sscanf(text.c_str(), "p=%d;x=%d;y=%d", &snap, &x, &y) != 3) return false;
    return mode == 0 && (snap == 2 || snap == 6 || snap == 9 || snap == 11);
}

XfcePanelAutoHide::XfcePanelAutoHide(GDBusConnection* bus) : bus_(bus) {
    if (!bus_) return;
    g_object_ref(bus_);
    subscription_ = g_dbus_connection_signal_subscribe(
        bus_, service, interfaceName, nullptr, objectPath, channel, G_DBUS_SIGNAL_FLAGS_NONE,
        reinterpret_cast<GDBusSignalCallback>(&XfcePanelAutoHide::onSignal), this, nullptr);
}

XfcePanelAutoHide::~XfcePanelAutoHide() {
    if (idle_) g_source_remove(idle_);
    if (!bus_) return;
    g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    g_object_unref(bus_);
}

XfcePanelAutoHide::TopPanels XfcePanelAutoHide::topPanels() {
    if (!bus_) return std::string("no session bus");
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus_, service, objectPath, interfaceName, "GetAllProperties",
        g_variant_new("(ss)", channel, "/panels"), G_VARIANT_TYPE("(a{sv})"),
        G_DBUS_CALL_FLAGS_NONE, callTimeoutMilliseconds, nullptr, &error);
    if (!reply) return messageOf(error);
    g_autoptr(GVariant) properties = g_variant_get_child_value(reply, 0);
    auto lookup = [&](const std::string& name) {
        return g_variant_lookup_value(properties, name.c_str(), nullptr);
    };
    g_autoptr(GVariant) panels = lookup("/panels");
    std::vector<TopPanel> tops;
    for (auto id : panelIds(panels)) {
        std::string base = "/panels/panel-" + std::to_string(id);
        g_autoptr(GVariant) position = lookup(base + "/position");
        g_autoptr(GVariant) mode = lookup(base + "/mode");
        g_autoptr(GVariant) behavior = lookup(base + behaviorKey);
        if (!isXfceTopPanel(textOf(position), unsigned(unsignedOf(mode).value_or(0)))) continue;
        tops.push_back({base, unsigned(unsignedOf(behavior).value_or(never))});
    }
    return tops;
}

std::optional<bool> XfcePanelAutoHide::autoHide() {
    auto panels = topPanels();
    auto* tops = std::get_if<std::vector<TopPanel>>(&panels);
    if (!tops || tops->empty()) return std::nullopt;
    return tops->front().behavior != never;
}

std::string XfcePanelAutoHide::setAutoHide(bool on) {
    auto panels = topPanels();
    if (auto* failure = std::get_if<std::string>(&panels)) return *failure;
    for (const auto& panel : std::get<std::vector<TopPanel>>(panels)) {
        remember(panel.base, panel.behavior);
        unsigned wanted = on ? lastChoice(panel.base) : never;
        if (panel.behavior == wanted) continue;
        g_autoptr(GError) error = nullptr;
        g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
            bus_, service, objectPath, interfaceName, "SetProperty",
            g_variant_new("(ssv)", channel, (panel.base + behaviorKey).c_str(),
                          g_variant_new_uint32(wanted)),
            nullptr, G_DBUS_CALL_FLAGS_NONE, callTimeoutMilliseconds, nullptr, &error);
        if (!reply) return messageOf(error);
    }
    return {};
}

// Kept across runs too: a panel switched off by us when the program last
// ended still comes back as the user had it.
void XfcePanelAutoHide::remember(const std::string& base, unsigned behavior) {
    if (behavior == never || behavior > always || lastChoice(base) == behavior) return;
    lastChoice_[base] = behavior;
    auto& preferences = platform::current().preferences;
    preferences.setValue(memoryDomain, base, platform::PropertyValue(int(behavior)));
    preferences.synchronize(memoryDomain);
}

unsigned XfcePanelAutoHide::lastChoice(const std::string& base) {
    if (auto known = lastChoice_.find(base); known != lastChoice_.end()) return known->second;
    auto stored = platform::current().preferences.copyValue(memoryDomain, base);
    auto behavior = stored ? stored->integer() : std::nullopt;
    unsigned choice =
        behavior && *behavior > never && *behavior <= always ? unsigned(*behavior) : always;
    lastChoice_[base] = choice;
    return choice;
}

void XfcePanelAutoHide::propertyChanged(const std::string& property, unsigned long long value,
                                        bool removed) {
    if (property.rfind("/panels", 0) != 0) return;
    if (auto base = panelOfBehavior(property); !base.empty() && !removed && value <= always) {
        remember(base, unsigned(value));
    }
    // A burst of changes (the panel's preferences write several) is one look.
    if (idle_) return;
    idle_ = g_idle_add(
        [](gpointer data) {
            auto* self = static_cast<XfcePanelAutoHide*>(data);
            self->idle_ = 0;
            self->changed();
            return G_SOURCE_REMOVE;
        },
        this);
}

void XfcePanelAutoHide::onSignal(GDBusConnection*, const char*, const char*, const char*,
                                 const char* member, GVariant* parameters, void* self) {
    const char* property = nullptr;
    bool removed = g_strcmp0(member, "PropertyRemoved") == 0;
    if (removed && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ss)"))) {
        g_variant_get(parameters, "(&s&s)", nullptr, &property);
        static_cast<XfcePanelAutoHide*>(self)->propertyChanged(property, 0, true);
        return;
    }
    if (g_strcmp0(member, "PropertyChanged") != 0 ||
        !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) {
        return;
    }
    g_autoptr(GVariant) value = nullptr;
    g_variant_get(parameters, "(&s&sv)", nullptr, &property, &value);
    static_cast<XfcePanelAutoHide*>(self)->propertyChanged(
        property, unsignedOf(value).value_or(never), false);
}

}  // namespace host
