#include "host/StatusNotifierBar.h"

#include <gio/gio.h>

#include <utility>
#include <vector>

#include "host/tray/IconPixmaps.h"

namespace host {

using platform::StatusItemId;
using platform::StatusMenuEntry;

// Destroyed in reverse: the item leaves the bus before its menu, and the
// address is free again last.
struct StatusNotifierBar::Item {
    Callbacks callbacks;
    StatusItemAddress address;
    std::unique_ptr<DBusMenuServer> menu;
    std::unique_ptr<StatusNotifierItem> notifier;
};

struct StatusNotifierBar::Pending {
    StatusNotifierBar* bar;
    std::function<void()> work;
    unsigned source;

    static gboolean run(gpointer data) {
        auto* pending = static_cast<Pending*>(data);
        pending->bar->pending_.erase(pending->source);
        auto work = pending->work;  // the work may remove the bar's items, not this copy
        work();
        return G_SOURCE_REMOVE;
    }
    static void free(gpointer data) { delete static_cast<Pending*>(data); }
};

StatusNotifierBar::StatusNotifierBar()
    : connection_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {}

StatusNotifierBar::StatusNotifierBar(GDBusConnection* connection)
    : connection_(connection ? G_DBUS_CONNECTION(g_object_ref(connection)) : nullptr) {}

StatusNotifierBar::~StatusNotifierBar() {
    for (auto source : pending_) g_source_remove(source);
    items_.clear();
    if (connection_) g_object_unref(connection_);
}

// The menu is in place before the item takes its name, so a panel that
// reacts to the name finds both objects.
StatusItemId StatusNotifierBar::addItem(Callbacks callbacks) {
    auto id = nextItem_++;
    if (!connection_) return id;
    auto item = std::make_unique<Item>();
    item->callbacks = std::move(callbacks);
    item->menu = std::make_unique<DBusMenuServer>(
        connection_, item->address.menuPath(),
        DBusMenuServer::Handlers{
            [this, id](int menuId) { menuWillOpen(id, menuId); },
            [this, id](int entryId) { queue([this, id, entryId] { deliverClick(id, entryId); }); },
        });
    item->notifier = std::make_unique<StatusNotifierItem>(
        connection_, item->address, StatusNotifierItem::Handlers{[this, id](int x, int y) {
            queue([this, id, x, y] { deliverMenuRequest(id, x, y); });
        }});
    items_.emplace(id, std::move(item));
    return id;
}

void StatusNotifierBar::removeItem(StatusItemId item) {
    items_.erase(item);
}

StatusNotifierBar::Item* StatusNotifierBar::find(StatusItemId item) const {
    auto found = items_.find(item);
    return found == items_.end() ? nullptr : found->second.get();
}

void StatusNotifierBar::setIcon(StatusItemId itemId, std::vector<platform::PixelImage> images) {
    if (Item* item = find(itemId)) item->notifier->setIcon(iconPixmaps(images));
}

void StatusNotifierBar::setTitle(StatusItemId itemId, const std::string& title) {
    if (Item* item = find(itemId)) item->notifier->setLabel(title);
}

void StatusNotifierBar::setToolTip(StatusItemId itemId, const std::string& toolTip) {
    if (Item* item = find(itemId)) item->notifier->setToolTip(toolTip);
}

void StatusNotifierBar::setMenu(StatusItemId itemId, const StatusMenuEntry& root) {
    if (Item* item = find(itemId)) item->menu->setMenu(root);
}

std::string StatusNotifierBar::busName(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->address.busName() : std::string();
}

std::string StatusNotifierBar::itemPath(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->address.itemPath() : std::string();
}

std::string StatusNotifierBar::menuPath(StatusItemId item) const {
    auto* found = find(item);
    return found ? found->address.menuPath() : std::string();
}

// The work may run a modal loop (an alert, a window, a menu); the panel has
// its answer before it starts.
void StatusNotifierBar::queue(std::function<void()> work) {
    auto* pending = new Pending{this, std::move(work), 0};
    pending->source =
        g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, Pending::run, pending, Pending::free);
    pending_.insert(pending->source);
}

void StatusNotifierBar::setDark(bool dark) {
    if (dark == dark_) return;
    dark_ = dark;
    std::vector<StatusItemId> ids;
    for (const auto& [id, item] : items_) ids.push_back(id);
    // Looked up one by one: a callee may remove items.
    for (StatusItemId id : ids) {
        if (Item* item = find(id)) callCopy(item->callbacks.appearanceChanged);
    }
}

void StatusNotifierBar::menuWillOpen(StatusItemId itemId, int menuId) {
    if (Item* item = find(itemId)) callCopy(item->callbacks.menuWillOpen, menuId);
}

void StatusNotifierBar::deliverMenuRequest(StatusItemId itemId, int x, int y) {
    if (Item* item = find(itemId)) callCopy(item->callbacks.menuRequested, x, y);
}

// The menu may have changed since the click; an entry that is gone or no
// longer enabled does nothing.
void StatusNotifierBar::deliverClick(StatusItemId itemId, int entryId) {
    Item* item = find(itemId);
    if (!item || !item->menu->isClickable(entryId)) return;
    callCopy(item->callbacks.entryClicked, entryId);
}

}  // namespace host
