#include "housekeeping/Snapshot.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "core/Log.h"
#include "kit/Application.h"
#include "kit/Window.h"
#include "platform/ModifierFlags.h"
#include "platform/Platform.h"
#include "ui/SettingsWindowController.h"

namespace Snapshot {

namespace {

constexpr double firstPictureDelay = 0.8;
constexpr double secondPictureDelay = 0.4;
// ⌘Space: taken by the system on a standard machine, so the second picture
// shows how a refused shortcut reads.
const HotKey refusedExample{49, platform::ModifierFlags::command};

std::string pathIn(const std::string& directory, const char* file) {
    return (std::filesystem::path(directory) / file).string();
}

void after(double seconds, std::function<void()> work) {
    platform::current().runLoop.scheduleTimer(seconds, false, std::move(work));
}

}  // namespace

std::optional<std::string> directory() {
    return platform::current().processInfo.environment(directoryVariable);
}

bool depictsStandardMac() {
    if (directory()) return true;
    return platform::current().processInfo.environment(standardMacVariable) == "1";
}

void run(SettingsWindowController& settings) {
    auto folder = directory();
    if (!folder) return;
    // A folder that cannot be made shows up as missing pictures, nothing more.
    std::error_code ignored;
    std::filesystem::create_directories(*folder, ignored);
    settings.show();
    auto weak = settings.weakHandle();
    after(firstPictureDelay, [weak, folder = *folder] {
        auto settings = weak.lock();
        if (!settings) return;
        write(&(*settings)->window(), pathIn(folder, settingsFile));
        (*settings)->apply(refusedExample);
        after(secondPictureDelay, [weak, folder] {
            if (auto settings = weak.lock())
                write(&(*settings)->window(), pathIn(folder, shortcutFile));
            if (auto* application = kit::Application::existing()) application->terminate(nullptr);
        });
    });
}

void write(kit::Window* window, const std::string& path) {
    if (!window || !window->contentView()) return;
    auto picture = window->render(2);
    picture.writePNG(path);
    Log::app().notice("Snapshot written to " + path);
}

}  // namespace Snapshot
