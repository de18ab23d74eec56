#include "host/panels/LxqtPanelAutoHide.h"

#include <gio/gio.h>

#include <algorithm>
#include <filesystem>

#include "host/DurableFile.h"
#include "host/XdgLoginItems.h"
#include "host/panels/LxqtPanelConfig.h"
#include "platform/Platform.h"

namespace host {
namespace {

constexpr const char* sessionPath = "/LXQtSession";
constexpr const char* sessionInterface = "org.lxqt.session";
constexpr int callTimeoutMilliseconds = 500;
constexpr double pollSeconds = 0.1;
// lxqt-panel ends within a second of SIGTERM; a panel still running after
// this is left alone.
constexpr double stopSeconds = 5;
// A restarted panel takes a moment to show its windows again.
constexpr double comebackSeconds = 5;

double now() {
    return platform::current().runLoop.now();
}

GVariant* callSession(GDBusConnection* bus, const char* method, GVariant* parameters) {
    if (!bus) return nullptr;
    return g_dbus_connection_call_sync(
        bus, LxqtPanelAutoHide::sessionService, sessionPath, sessionInterface, method, parameters,
        nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMilliseconds, nullptr, nullptr);
}

// Asks the session to start or stop the panel module; its answer says nothing.
void tellSession(GDBusConnection* bus, const char* method) {
    GVariant* reply =
        callSession(bus, method, g_variant_new("(s)", LxqtPanelAutoHide::panelModule));
    if (reply) g_variant_unref(reply);
}

// The session's modules, or absent when no session manager answers.
std::optional<std::vector<std::string>> sessionModules(GDBusConnection* bus) {
    g_autoptr(GVariant) reply = callSession(bus, "listModules", nullptr);
    if (!reply || !g_variant_is_of_type(reply, G_VARIANT_TYPE("(v)"))) return std::nullopt;
    g_autoptr(GVariant) boxed = g_variant_get_child_value(reply, 0);
    g_autoptr(GVariant) list = g_variant_get_variant(boxed);
    std::vector<std::string> modules;
    if (!g_variant_is_of_type(list, G_VARIANT_TYPE_STRING_ARRAY)) return modules;
    g_autofree const gchar** names = g_variant_get_strv(list, nullptr);
    for (auto** name = names; *name; ++name) modules.emplace_back(*name);
    return modules;
}

bool runsPanel(const std::vector<std::string>& modules) {
    return std::find(modules.begin(), modules.end(), LxqtPanelAutoHide::panelModule) !=
           modules.end();
}

}  // namespace

std::string LxqtPanelAutoHide::defaultConfigPath() {
    return XdgLoginItems::defaultConfigFolder() + "/lxqt/panel.conf";
}

LxqtPanelAutoHide::LxqtPanelAutoHide(GDBusConnection* bus, std::string configPath, PanelLog log)
    : bus_(bus), configPath_(std::move(configPath)), log_(std::move(log)) {
    if (bus_) g_object_ref(bus_);
    g_autoptr(GFile) folder =
        g_file_new_for_path(std::filesystem::path(configPath_).parent_path().c_str());
    monitor_ = g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    if (!monitor_) return;
    g_signal_connect(monitor_, "changed", G_CALLBACK(&LxqtPanelAutoHide::onFolderChanged), this);
}

void LxqtPanelAutoHide::onFolderChanged(GFileMonitor*, GFile* file, GFile* other, int event,
                                        void* self) {
    // Partial writes of a file rewritten in place end with CHANGES_DONE_HINT;
    // a file renamed into place comes as MOVED_IN or RENAMED.
    if (event == G_FILE_MONITOR_EVENT_CHANGED || event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED) {
        return;
    }
    auto* owner = static_cast<LxqtPanelAutoHide*>(self);
    std::string name = std::filesystem::path(owner->configPath_).filename().string();
    auto matches = [&](GFile* candidate) {
        if (!candidate) return false;
        g_autofree char* base = g_file_get_basename(candidate);
        return base && name == base;
    };
    if (matches(file) || matches(other)) owner->changed();
}

LxqtPanelAutoHide::~LxqtPanelAutoHide() {
    if (poll_) platform::current().runLoop.cancelTimer(*poll_);
    if (monitor_) {
        g_file_monitor_cancel(monitor_);
        g_signal_handlers_disconnect_by_data(monitor_, this);
        g_object_unref(monitor_);
    }
    if (bus_) g_object_unref(bus_);
}

std::optional<std::string> LxqtPanelAutoHide::readConfig() const {
    std::vector<std::uint8_t> bytes;
    if (readExisting(configPath_, bytes) != ReadResult::read) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

std::optional<bool> LxqtPanelAutoHide::autoHide() {
    // While the panel stops, the file still holds what it had (and the
    // panel may write that again as it ends): the value asked for counts.
    if (waiting_) return waiting_->value;
    auto text = readConfig();
    if (!text) return std::nullopt;
    auto tops = lxqt::topPanels(*text);
    if (tops.empty()) return std::nullopt;
    return lxqt::isHidable(*text, tops.front());
}

std::variant<std::string, LxqtPanelAutoHide::Edit> LxqtPanelAutoHide::edit(bool on) const {
    auto text = readConfig();
    if (!text) return "cannot read " + configPath_;
    auto tops = lxqt::topPanels(*text);
    return Edit{*text, lxqt::withHidable(*text, tops, on)};
}

std::string LxqtPanelAutoHide::writeConfig(bool on) {
    auto change = edit(on);
    if (auto* failure = std::get_if<std::string>(&change)) return *failure;
    return write(std::get<Edit>(change));
}

std::string LxqtPanelAutoHide::write(const Edit& change) {
    if (change.after == change.before) return {};
    if (auto failure = replaceFileContents(configPath_, change.after); !failure.empty()) {
        return configPath_ + ": " + failure;
    }
    return {};
}

std::string LxqtPanelAutoHide::setAutoHide(bool on) {
    if (waiting_) {
        waiting_->value = on;
        return {};
    }
    auto change = edit(on);
    if (auto* failure = std::get_if<std::string>(&change)) return *failure;
    const Edit& wanted = std::get<Edit>(change);
    if (wanted.before == wanted.after) return {};
    auto modules = sessionModules(bus_);
    if (!modules || !runsPanel(*modules)) {
        auto failure = write(wanted);
        if (!failure.empty()) return failure;
        log_(platform::LogLevel::defaultLevel,
             "lxqt-panel takes the new auto-hide setting at its next start: no lxqt-session "
             "runs it");
        return {};
    }
    // lxqt-panel saves its settings as it ends, so the file is written only
    // once the panel has stopped, and the panel started again after that.
    tellSession(bus_, "stopModule");
    waiting_ = Waiting{on, now()};
    poll_ = platform::current().runLoop.scheduleTimer(pollSeconds, true, [this] {
        if (!startWhenStopped()) return;
        platform::current().runLoop.cancelTimer(*poll_);
        poll_.reset();
    });
    return {};
}

bool LxqtPanelAutoHide::startWhenStopped() {
    auto modules = sessionModules(bus_);
    bool running = modules && runsPanel(*modules);
    if (running && now() - waiting_->since < stopSeconds) return false;
    bool on = waiting_->value;
    waiting_.reset();
    auto failure = writeConfig(on);
    if (!failure.empty()) {
        log_(platform::LogLevel::error, std::string("Couldn't turn auto-hide ") +
                                            (on ? "on" : "off") + " for lxqt-panel: " + failure);
    }
    if (running) {
        log_(platform::LogLevel::error, "lxqt-panel did not stop for its restart");
        return true;
    }
    if (!modules) {
        log_(platform::LogLevel::error, "lxqt-session went away while restarting lxqt-panel");
        return true;
    }
    tellSession(bus_, "startModule");
    startedAt_ = now();
    log_(platform::LogLevel::defaultLevel,
         "Restarted lxqt-panel so that it takes the new auto-hide setting");
    return true;
}

bool LxqtPanelAutoHide::busy() const {
    return waiting_ || (startedAt_ && now() - *startedAt_ < comebackSeconds);
}

void LxqtPanelAutoHide::finish(double seconds) {
    if (!waiting_) return;
    double deadline = now() + seconds;
    while (!startWhenStopped()) {
        if (now() >= deadline) waiting_->since = now() - stopSeconds;
        g_usleep(50'000);
    }
}

}  // namespace host
