#include "host/ProcessTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace host {
namespace {

namespace fs = std::filesystem;

// 1970-01-01 to 2001-01-01, the property-list epoch.
constexpr double referenceDateOffset = 978307200;

std::string readText(const std::string& path) {
    std::ifstream in(path);
    if (!in) return "";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename Number>
std::optional<Number> number(std::string_view text) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

std::string_view trimmedStart(std::string_view text) {
    auto start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The value after `key` on the line that starts with it.
std::optional<std::string_view> lineValue(std::string_view text, std::string_view key) {
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        auto line = text.substr(start, end - start);
        if (line.starts_with(key)) return trimmedStart(line.substr(key.size()));
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<int> processIdentifierOf(const std::string& name) {
    auto pid = number<int>(name);
    if (!pid || *pid <= 0 || std::to_string(*pid) != name) return std::nullopt;
    return pid;
}

}  // namespace

std::optional<ProcessStat> parseProcessStat(std::string_view text) {
    // The command name in parentheses may itself hold spaces and ')'; the
    // fields start after the last ')'.
    auto close = text.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(close + 1);
    std::vector<std::string_view> fields;
    while (fields.size() < 20) {
        rest = trimmedStart(rest);
        if (rest.empty()) break;
        auto end = rest.find_first_of(" \n");
        fields.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    // fields[0] is field 3 (state), fields[19] field 22 (starttime).
    if (fields.size() < 20 || fields[0].size() != 1) return std::nullopt;
    auto ticks = number<std::uint64_t>(fields[19]);
    if (!ticks) return std::nullopt;
    return ProcessStat{fields[0][0], *ticks};
}

std::optional<std::int64_t> parseBootTime(std::string_view procStat) {
    auto value = lineValue(procStat, "btime ");
    if (!value) return std::nullopt;
    return number<std::int64_t>(value->substr(0, value->find_first_of(" \n")));
}

std::optional<uid_t> parseRealUid(std::string_view status) {
    auto value = lineValue(status, "Uid:");
    if (!value) return std::nullopt;
    return number<uid_t>(value->substr(0, value->find_first_of(" \t\n")));
}

ProcessTable::ProcessTable(std::string root)
    : root_(std::move(root)),
      user_(getuid()),
      bootTime_(parseBootTime(readText(root_ + "/stat"))),
      ticksPerSecond_(sysconf(_SC_CLK_TCK)) {}

std::optional<platform::Date> ProcessTable::dateOfTicks(std::uint64_t ticks) const {
    if (!bootTime_ || ticksPerSecond_ <= 0) return std::nullopt;
    double unixSeconds = static_cast<double>(*bootTime_) +
                         static_cast<double>(ticks) / static_cast<double>(ticksPerSecond_);
    return platform::Date{unixSeconds - referenceDateOffset};
}

std::optional<uid_t> ProcessTable::ownerOf(const std::string& folder) const {
    if (auto uid = parseRealUid(readText(folder + "/status"))) return uid;
    // Without a readable status the folder's owner (the effective user) says it.
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return std::nullopt;
    return info.st_uid;
}

std::optional<ProcessEntry> ProcessTable::process(int processIdentifier) const {
    auto folder = root_ + "/" + std::to_string(processIdentifier);
    auto stat = parseProcessStat(readText(folder + "/stat"));
    if (!stat) return std::nullopt;
    ProcessEntry entry{processIdentifier, std::nullopt, stat->state, dateOfTicks(stat->startTicks)};
    std::error_code error;
    auto executable = fs::read_symlink(folder + "/exe", error);
    if (!error && !executable.empty()) entry.executablePath = executable.string();
    return entry;
}

std::vector<ProcessEntry> ProcessTable::userProcesses() const {
    std::vector<ProcessEntry> entries;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(root_, error)) {
        auto pid = processIdentifierOf(item.path().filename().string());
        if (!pid || ownerOf(item.path().string()) != user_) continue;
        if (auto entry = process(*pid)) entries.push_back(std::move(*entry));
    }
    return entries;
}

bool ProcessTable::isTerminated(int processIdentifier) const {
    if (processIdentifier <= 0) return true;
    auto entry = process(processIdentifier);
    return !entry || entry->terminated();
}

}  // namespace host
