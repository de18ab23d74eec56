// The toolkit on the real host: a status item on the session bus and a
// window on the X server, for tests that act on them from outside.

#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/HostPlatform.h"
#include "kit/Application.h"
#include "kit/Button.h"
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

namespace {

// Takes focus on a click and reports the keys typed into it.
struct KeyField : kit::View {
    using View::View;
    bool acceptsFirstResponder() const override { return true; }
    void mouseDown(const kit::Event&) override {
        window()->makeFirstResponder(this);
        say("field focused");
    }
    void keyDown(const kit::Event& event) override {
        say("key " + std::to_string(event.keyCode) + " " + event.charactersIgnoringModifiers + " " +
            std::to_string(event.deviceIndependentModifiers()));
    }
};

struct CheckboxWatcher : kit::Responder {
    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override {
        auto* box = dynamic_cast<kit::Button*>(sender);
        if (action != "checked:" || !box) return false;
        say(std::string("checkbox ") + (box->state() == kit::ControlState::on ? "on" : "off"));
        return true;
    }
};

// kit-window: shows the window "Kit Test" at (100, 100) with a checkbox at
// (20, 20) of its content and a key field at (20, 60) of 200 × 24, prints
// "ready" and a line per event until ended.
helper::HelperCommand kitWindowCommand("kit-window", [](const std::vector<std::string>&) {
    host::HostPlatform host;
    platform::install(&host.platform());
    {
        kit::Application app;
        CheckboxWatcher watcher;
        kit::Window window({300, 120}, kit::WindowStyle::titled | kit::WindowStyle::closable);
        window.setTitle("Kit Test");
        auto& box = window.contentView()->addSubview(
            std::make_unique<kit::Button>("Right-click the menu bar to toggle auto-hide", kit::Button::Type::checkbox));
        box.setFrame({{20, 20}, box.fittingSize()});
        box.setTarget(&watcher);
        box.setAction("checked:");
        window.contentView()->addSubview(std::make_unique<KeyField>(kit::Rect{20, 60, 200, 24}));
        window.setFrameOrigin({100, 100});
        window.makeKeyAndOrderFront();
        host.platform().runLoop.post([] { say("ready"); });
        app.run();
    }
    platform::install(nullptr);
    return 0;
});

}  // namespace
