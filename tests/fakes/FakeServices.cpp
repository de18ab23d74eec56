#include "fakes/FakeServices.h"

#include <algorithm>
#include <utility>

namespace fakes {

std::vector<std::string> FakeLog::messages() const {
    std::vector<std::string> result;
    for (const auto& line : lines) result.push_back(line.message);
    return result;
}

std::size_t FakeLog::count(std::string_view message) const {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const LogLine& line) { return line.message == message; });
}

std::optional<platform::PropertyValue> FakePreferenceDomains::copyValue(const std::string& domain,
                                                                       const std::string& key) {
    if (auto changes = pending_.find(domain); changes != pending_.end()) {
        if (auto change = changes->second.find(key); change != changes->second.end()) {
            return change->second;
        }
    }
    return stored(domain, key);
}

void FakePreferenceDomains::setValue(const std::string& domain, const std::string& key,
                                     std::optional<platform::PropertyValue> value) {
    pending_[domain].insert_or_assign(key, std::move(value));
}

bool FakePreferenceDomains::synchronize(const std::string& domain) {
    ++synchronizeCount;
    if (failingDomains.count(domain)) {
        pending_.erase(domain);
        return false;
    }
    auto& durable = durable_[domain];
    for (auto& [key, value] : pending_[domain]) {
        if (value) {
            durable.insert_or_assign(key, *value);
        } else {
            durable.erase(key);
        }
    }
    pending_.erase(domain);
    return true;
}

std::optional<platform::PropertyValue> FakePreferenceDomains::stored(const std::string& domain,
                                                                    const std::string& key) const {
    auto found = durable_.find(domain);
    if (found == durable_.end()) return std::nullopt;
    if (auto* value = platform::find(found->second, key)) return *value;
    return std::nullopt;
}

void FakePreferenceDomains::store(const std::string& domain, const std::string& key,
                                  platform::PropertyValue value) {
    durable_[domain].insert_or_assign(key, std::move(value));
}

void FakeDistributedNotificationCenter::post(const std::string& name,
                                             const std::optional<std::string>& object,
                                             bool deliverImmediately) {
    posted.push_back({name, object, deliverImmediately});
    receive(name, object);
}

void FakeDistributedNotificationCenter::receive(const std::string& name,
                                                const std::optional<std::string>& object) {
    for (const auto& [id, observer] : observers_) {
        if (observer.first != name) continue;
        runLoop_.post([this, id = id, name, object] {
            // The observer may have gone between posting and delivery.
            auto found = observers_.find(id);
            if (found != observers_.end()) found->second.second(name, object);
        });
    }
}

platform::ObserverId FakeDistributedNotificationCenter::addObserver(const std::string& name,
                                                                    Handler handler) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::make_pair(name, std::move(handler)));
    return id;
}

std::size_t FakeDistributedNotificationCenter::postedCount(const std::string& name) const {
    return std::count_if(posted.begin(), posted.end(),
                         [&](const PostedNotification& note) { return note.name == name; });
}

std::optional<std::string> FakeWorkspace::applicationPath(const std::string& bundleIdentifier) {
    auto found = installed.find(bundleIdentifier);
    if (found == installed.end()) return std::nullopt;
    return found->second;
}

std::vector<platform::RunningApplication> FakeWorkspace::runningApplications(const std::string& bundleIdentifier) {
    std::vector<platform::RunningApplication> copies;
    if (current.bundleIdentifier == bundleIdentifier) copies.push_back(current);
    for (const auto& application : running) {
        if (application.bundleIdentifier == bundleIdentifier) copies.push_back(application);
    }
    return copies;
}

namespace {
std::optional<std::string> lookUp(const std::map<std::string, std::string>& map,
                                  const std::string& key) {
    auto found = map.find(key);
    if (found == map.end()) return std::nullopt;
    return found->second;
}
}  // namespace

std::optional<std::string> FakeWorkspace::applicationIconFile(const std::string& applicationPath) {
    ++iconLookups;
    return lookUp(iconFiles, applicationPath);
}

std::optional<std::string> FakeWorkspace::bundleIdentifier(const std::string& path) {
    return lookUp(bundles, path);
}

std::string FakeWorkspace::displayName(const std::string& path) {
    if (auto found = displayNames.find(path); found != displayNames.end()) return found->second;
    return path.substr(path.rfind('/') + 1);
}

bool FakeWorkspace::openURL(const std::string& url) {
    openedURLs.push_back(url);
    return openSucceeds;
}

platform::ObserverId FakeWorkspace::observeActivations(ActivationHandler handler) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::move(handler));
    return id;
}

void FakeWorkspace::activate(const platform::RunningApplication& application) {
    front = application;
    for (const auto& [id, handler] : observers_) {
        runLoop_.post([this, id = id, application] {
            auto found = observers_.find(id);
            if (found != observers_.end()) found->second(application);
        });
    }
}

std::optional<platform::LoginItemError> FakeLoginItems::registerItem() {
    if (auto error = std::exchange(nextError, std::nullopt)) return error;
    currentStatus = platform::LoginItemStatus::enabled;
    return std::nullopt;
}

std::optional<platform::LoginItemError> FakeLoginItems::unregisterItem() {
    if (auto error = std::exchange(nextError, std::nullopt)) return error;
    currentStatus = platform::LoginItemStatus::notRegistered;
    return std::nullopt;
}

std::optional<std::string> FakeKeyboardLayout::characters(std::uint16_t keyCode) {
    if (!available) return std::nullopt;
    auto found = keys.find(keyCode);
    if (found == keys.end()) return std::nullopt;
    return found->second;
}

void FakeKeyboardLayout::useUS() {
    available = true;
    keys = {{0, "a"},   {1, "s"},   {2, "d"},  {3, "f"},   {4, "h"},   {5, "g"},   {6, "z"},
            {7, "x"},   {8, "c"},   {9, "v"},  {11, "b"},  {12, "q"},  {13, "w"},  {14, "e"},
            {15, "r"},  {16, "y"},  {17, "t"}, {18, "1"},  {19, "2"},  {20, "3"},  {21, "4"},
            {22, "6"},  {23, "5"},  {24, "="}, {25, "9"},  {26, "7"},  {27, "-"},  {28, "8"},
            {29, "0"},  {30, "]"},  {31, "o"}, {32, "u"},  {33, "["},  {34, "i"},  {35, "p"},
            {36, "\r"}, {37, "l"},  {38, "j"}, {39, "'"},  {40, "k"},  {41, ";"},  {42, "\\"},
            {43, ","},  {44, "/"},  {45, "n"}, {46, "m"},  {47, "."},  {48, "\t"}, {49, " "},
            {50, "`"},  {51, "\b"}, {53, "\x1b"}, {65, "."}, {67, "*"}, {69, "+"}, {75, "/"},
            {76, "\x03"}, {78, "-"}, {81, "="}, {82, "0"}, {83, "1"}, {84, "2"}, {85, "3"},
            {86, "4"},  {87, "5"},  {88, "6"}, {89, "7"},  {91, "8"},  {92, "9"}};
}

FakeProcessInfo::FakeProcessInfo() {
    bundle.identifier = "app.tarnwick.Tarnwick";
    bundle.name = "Tarnwick";
    bundle.shortVersion = "1.0";
    bundle.version = "1";
    bundle.bundlePath = "/Applications/Tarnwick.app";
    bundle.executablePath = "/Applications/Tarnwick.app/Contents/MacOS/Tarnwick";
}

std::optional<std::string> FakeProcessInfo::environment(const std::string& name) const {
    auto found = environmentValues.find(name);
    if (found == environmentValues.end()) return std::nullopt;
    return found->second;
}

}  // namespace fakes
