#include "housekeeping/Snapshot.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "kit/Application.h"
#include "kit/Window.h"
#include "platform/Logger.h"
#include "platform/ModifierFlags.h"
#include "platform/Platform.h"
#include "prefs/Preferences.h"
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

namespace {

// The second picture, then the end of the run.
void finish(const std::weak_ptr<SettingsWindowController*>& weak, const std::string& folder,
            const std::optional<platform::PropertyValue>& storedHotKey, bool firstWritten) {
    auto settings = weak.lock();
    bool written =
        settings && write(&(*settings)->window(), pathIn(folder, shortcutFile)) && firstWritten;
    if (Preferences::storedHotKeyObject() != storedHotKey) {
        Preferences::restoreHotKeyObject(storedHotKey);
    }
    auto* application = kit::Application::existing();
    if (!application) return;
    if (!written) application->setExitStatus(1);
    application->terminate(nullptr);
}

}  // namespace

void run(SettingsWindowController& settings) {
    auto folder = directory();
    if (!folder) return;
    // A folder that cannot be made shows up as pictures that were not written.
    std::error_code ignored;
    std::filesystem::create_directories(*folder, ignored);
    settings.show();
    auto weak = settings.weakHandle();
    // Trying ⌘Space stores it where it is free; the run puts back what was there.
    auto storedHotKey = Preferences::storedHotKeyObject();
    after(firstPictureDelay, [weak, folder = *folder, storedHotKey] {
        auto settings = weak.lock();
        if (!settings) return;
        bool written = write(&(*settings)->window(), pathIn(folder, settingsFile));
        (*settings)->apply(refusedExample);
        after(secondPictureDelay, [weak, folder, storedHotKey, written] {
            finish(weak, folder, storedHotKey, written);
        });
    });
}

bool write(kit::Window* window, const std::string& path) {
    std::string reason = "there is no window to picture";
    if (window && window->contentView() && window->render(2).writePNG(path, &reason)) {
        Log::app().notice("Snapshot written to " + path);
        return true;
    }
    Log::app().error("Snapshot not written to " + path + ": " + reason);
    return false;
}

}  // namespace Snapshot
