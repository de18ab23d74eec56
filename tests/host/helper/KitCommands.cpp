// The toolkit on the real host: a status item on the session bus and a
// window on the X server, for tests that act on them from outside.

#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/HostPlatform.h"
#include "kit/Application.h"
#include "kit/StatusItem.h"

namespace {

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Flips its item's check mark when chosen, and says so.
struct Toggler : kit::Responder {
    bool tryToPerform(const kit::Action& action, kit::Responder*) override {
        if (action != "toggle:") return false;
        auto* toggled = item->menu()->item(0);
        toggled->setState(toggled->state() == kit::ControlState::on ? kit::ControlState::off : kit::ControlState::on);
        item->menuDidChange();
        say("toggled " + std::string(toggled->state() == kit::ControlState::on ? "on" : "off"));
        return true;
    }
    kit::StatusItem* item = nullptr;
};

// status-item: shows a status item with a checkable "Auto-hide Menu Bar"
// entry and "Quit", prints "ready", then a line per choice until ended.
helper::HelperCommand statusItemCommand("status-item", [](const std::vector<std::string>&) {
    host::HostPlatform host;
    platform::install(&host.platform());
    {
        kit::Application app;
        Toggler toggler;
        auto item = kit::StatusItem::create();
        toggler.item = item.get();
        item->button().setImage(kit::Image::symbol("eye", "Menu bar auto-hide is off"));
        item->button().setToolTip("Menu bar auto-hide is off");
        auto menu = std::make_unique<kit::Menu>();
        menu->addItem("Auto-hide Menu Bar", "toggle:", "").setTarget(&toggler);
        menu->addItem(kit::MenuItem::separator());
        menu->addItem("Quit Tarnwick", "terminate:", "q");
        item->setMenu(std::move(menu));
        host.platform().runLoop.post([] { say("ready"); });
        app.run();
    }
    platform::install(nullptr);
    return 0;
});

}  // namespace
