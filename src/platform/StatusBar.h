#pragma once

// Items in the desktop's status area (the panel's tray), each with an icon or
// a short title, a tooltip and a menu the desktop shows on a click.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/PixelImage.h"

namespace platform {

using StatusItemId = std::uint64_t;

// One entry of a status item's menu as the desktop shows it.
struct StatusMenuEntry {
    enum class Kind { item, separator, sectionHeader };
    enum class Toggle { none, checkmark };

    int id = 0;  // unique within the menu, 0 is the root
    Kind kind = Kind::item;
    std::string label;
    bool enabled = true;
    Toggle toggle = Toggle::none;
    int toggleState = 0;  // 1 on, 0 off, -1 mixed
    // The key equivalent, e.g. {"Super", "q"}; empty for none.
    std::vector<std::string> shortcut;
    std::string toolTip;
    std::vector<StatusMenuEntry> children;
    bool operator==(const StatusMenuEntry&) const = default;
};

class StatusBar {
public:
    struct Callbacks {
        // Just before the menu (or the submenu with this id) opens. The
        // callee may set a new menu; the desktop then shows that one.
        std::function<void(int menuId)> menuWillOpen;
        // An entry was chosen.
        std::function<void(int entryId)> entryClicked;
        // The desktop asks the item to show its menu itself at this point of
        // the screen (a panel that does not open the menu it was given).
        std::function<void(int x, int y)> menuRequested;
        // The status area turned dark or light (a theme change).
        std::function<void()> appearanceChanged;
    };

    virtual ~StatusBar() = default;

    virtual StatusItemId addItem(Callbacks callbacks) = 0;
    virtual void removeItem(StatusItemId item) = 0;

    // The icon at one or more sizes; an empty list shows no icon.
    virtual void setIcon(StatusItemId item, std::vector<PixelImage> images) = 0;
    // Shown when there is no icon.
    virtual void setTitle(StatusItemId item, const std::string& title) = 0;
    virtual void setToolTip(StatusItemId item, const std::string& toolTip) = 0;
    // The whole menu; its root's children are the top-level entries.
    virtual void setMenu(StatusItemId item, const StatusMenuEntry& root) = 0;
    // Whether the status area is dark, so symbols must be drawn light to be
    // seen on it.
    virtual bool isDark() const { return false; }
};

}  // namespace platform
