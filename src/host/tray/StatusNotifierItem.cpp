#include "host/tray/StatusNotifierItem.h"

#include <gio/gio.h>
#include <unistd.h>

#include <map>
#include <set>
#include <utility>

namespace host {
namespace {

constexpr const char* interfaceXml = R"(
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
</node>)";

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

}  // namespace

// ---- The address

StatusItemAddress::StatusItemAddress()
    : pathSlot_(takePathSlot()),
      busName_("org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
               std::to_string(nextBusNumber++)),
      itemPath_(slotPath("/StatusNotifierItem", pathSlot_)),
      menuPath_(slotPath("/MenuBar", pathSlot_)) {}

StatusItemAddress::~StatusItemAddress() {
    pathSlotsInUse.erase(pathSlot_);
}

// The first item is found under its bus name at the usual path. Any further
// one shares our connection, so it names its own object path instead, and
// the watcher pairs that with our unique name.
const std::string& StatusItemAddress::service() const {
    return pathSlot_ == 1 ? busName_ : itemPath_;
}

// ---- The item

const GDBusInterfaceVTable StatusNotifierItem::vtable = {
    callMethod, Route::getProperty, nullptr, {}};

// The object is in place before the name is taken, so a panel that reacts to
// the name finds it.
StatusNotifierItem::StatusNotifierItem(GDBusConnection* connection,
                                       const StatusItemAddress& address, Handlers handlers)
    : address_(address),
      handlers_(std::move(handlers)),
      object_(connection, address.itemPath(), interfaceXml, vtable, Route::make(alive_),
              Route::free) {
    nameOwner_ = g_bus_own_name_on_connection(connection, address_.busName().c_str(),
                                              G_BUS_NAME_OWNER_FLAGS_NONE, nameAcquired, nameLost,
                                              Route::make(alive_), Route::free);
    watcherWatch_ = g_bus_watch_name_on_connection(
        connection, watcherName, G_BUS_NAME_WATCHER_FLAGS_NONE, watcherAppeared, watcherVanished,
        Route::make(alive_), Route::free);
}

StatusNotifierItem::~StatusNotifierItem() {
    g_bus_unwatch_name(watcherWatch_);
    g_bus_unown_name(nameOwner_);
}

void StatusNotifierItem::setIcon(std::vector<IconPixmap> icon) {
    if (icon == icon_) return;
    icon_ = std::move(icon);
    object_.emitSignal("NewIcon", nullptr);
}

// NewTitle as well: several panels fetch every property again on any New*
// signal but know nothing of the label's own signal.
void StatusNotifierItem::setLabel(const std::string& label) {
    if (label == label_) return;
    label_ = label;
    object_.emitSignal("XAyatanaNewLabel",
                       g_variant_new("(@s@s)", textVariant(label), textVariant(label)));
    object_.emitSignal("NewTitle", nullptr);
}

void StatusNotifierItem::setToolTip(const std::string& toolTip) {
    if (toolTip == toolTip_) return;
    toolTip_ = toolTip;
    object_.emitSignal("NewToolTip", nullptr);
}

GVariant* StatusNotifierItem::property(std::string_view name) const {
    static const std::map<std::string_view, const char*> fixedTexts = {
        {"Category", "ApplicationStatus"},
        {"Id", "tarnwick"},
        {"Title", "Tarnwick"},  // the panel's name for the item; setLabel sets the label
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
    if (name == "IconPixmap") return pixmapsVariant(icon_);
    if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap") return pixmapsVariant({});
    if (name == "ToolTip") {
        return g_variant_new("(s@a(iiay)@ss)", "", pixmapsVariant({}), textVariant(toolTip_), "");
    }
    if (name == "ItemIsMenu") return g_variant_new_boolean(true);
    if (name == "Menu") return g_variant_new_object_path(address_.menuPath().c_str());
    // The guide is the widest text the label will show; ours is one arrow.
    if (name == "XAyatanaLabel" || name == "XAyatanaLabelGuide") return textVariant(label_);
    return nullptr;
}

// Most panels open the exported menu themselves. One that calls Activate (a
// left click, on LXQt) or ContextMenu instead gets the same menu, shown by us
// where it clicked; the other calls need nothing.
void StatusNotifierItem::callMethod(GDBusConnection*, const char*, const char*, const char*,
                                    const char* method, GVariant* parameters,
                                    GDBusMethodInvocation* invocation, gpointer data) {
    g_dbus_method_invocation_return_value(invocation, nullptr);
    bool showsMenu = g_str_equal(method, "Activate") || g_str_equal(method, "ContextMenu");
    if (!showsMenu || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ii)"))) return;
    StatusNotifierItem* item = Route::find(data);
    if (!item) return;
    gint32 x = 0, y = 0;
    g_variant_get(parameters, "(ii)", &x, &y);
    callCopy(item->handlers_.menuRequested, x, y);
}

void StatusNotifierItem::nameAcquired(GDBusConnection*, const char*, gpointer data) {
    updateRegistration(data, &StatusNotifierItem::ownsName_, true);
}

void StatusNotifierItem::nameLost(GDBusConnection*, const char*, gpointer data) {
    updateRegistration(data, &StatusNotifierItem::ownsName_, false);
}

// Also called when a watcher starts later, or starts again.
void StatusNotifierItem::watcherAppeared(GDBusConnection*, const char*, const char*,
                                         gpointer data) {
    updateRegistration(data, &StatusNotifierItem::watcherRuns_, true);
}

void StatusNotifierItem::watcherVanished(GDBusConnection*, const char*, gpointer data) {
    updateRegistration(data, &StatusNotifierItem::watcherRuns_, false);
}

// The item registers whenever it owns its name and a watcher runs.
void StatusNotifierItem::updateRegistration(gpointer data, bool StatusNotifierItem::*condition,
                                            bool holds) {
    StatusNotifierItem* item = Route::find(data);
    if (!item) return;
    item->*condition = holds;
    item->registerWithWatcher();
}

void StatusNotifierItem::registerWithWatcher() const {
    if (!ownsName_ || !watcherRuns_) return;
    g_dbus_connection_call(object_.connection(), watcherName, watcherPath, watcherName,
                           "RegisterStatusNotifierItem",
                           g_variant_new("(s)", address_.service().c_str()), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
}

}  // namespace host
