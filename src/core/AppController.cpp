#include "core/AppController.h"

#include "core/Log.h"
#include "kit/Application.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"
#include "prefs/UserDefaults.h"

namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }

std::unique_ptr<kit::MenuItem> topLevelItem(std::string title, std::unique_ptr<kit::Menu> submenu) {
    auto item = std::make_unique<kit::MenuItem>(std::move(title), "", "");
    item->setSubmenu(std::move(submenu));
    return item;
}

std::unique_ptr<kit::Menu> applicationMenu() {
    auto menu = std::make_unique<kit::Menu>();
    menu->addItem("Settings\u2026", "showSettings:", ",");
    menu->addItem(kit::MenuItem::separator());
    menu->addItem("Quit Tarnwick", "terminate:", "q");
    return menu;
}

std::unique_ptr<kit::Menu> editMenu() {
    auto menu = std::make_unique<kit::Menu>("Edit");
    menu->addItem("Undo", "undo:", "z");
    menu->addItem("Redo", "redo:", "Z");
    menu->addItem(kit::MenuItem::separator());
    menu->addItem("Cut", "cut:", "x");
    menu->addItem("Copy", "copy:", "c");
    menu->addItem("Paste", "paste:", "v");
    menu->addItem("Select All", "selectAll:", "a");
    return menu;
}

std::unique_ptr<kit::Menu> windowMenu() {
    auto menu = std::make_unique<kit::Menu>("Window");
    menu->addItem("Close", "performClose:", "w");
    return menu;
}

}  // namespace

AppController::AppController() {
    UserDefaults::registerDefaults({{Preferences::rightClickToggleEnabledKey, true}});
    kit::Application::shared().setMainMenu(makeMainMenu());
    // The controller outlives the center, which it owns.
    hotKeyCenter_ = std::make_unique<HotKeyCenter>([this] { hotKeyPressed(); });
    establishHotKey();
    logLaunch();
}

void AppController::toggleAutoHide(std::string_view source) {
    bool on = !MenuBarAutoHide::isOn();
    MenuBarAutoHide::setOn(on);
    Log::app().notice("Toggled via " + std::string(source) + ": auto-hide is now " + onOff(on));
}

std::unique_ptr<kit::Menu> AppController::makeMainMenu() {
    auto menu = std::make_unique<kit::Menu>();
    menu->addItem(topLevelItem("Tarnwick", applicationMenu()));
    menu->addItem(topLevelItem("Edit", editMenu()));
    menu->addItem(topLevelItem("Window", windowMenu()));
    return menu;
}

void AppController::logLaunch() const {
    // Until the right-click monitor and the rule engine exist, the flag and
    // the rules are read where those parts will start from.
    bool rightClick = UserDefaults::boolForKey(Preferences::rightClickToggleEnabledKey);
    auto ruleCount = static_cast<long>(Preferences::appRules().size());
    Log::app().notice(std::string("Tarnwick launched; auto-hide ") + onOff(MenuBarAutoHide::isOn()) +
                      ", right-click toggle " + (rightClick ? "enabled" : "disabled") +
                      ", hotkey " + hotKeyDescription() + ", " + std::to_string(ruleCount) +
                      " app rule(s)");
}
