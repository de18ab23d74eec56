#include "kit/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Unicode.h"

namespace kit::FolderListing {
namespace {

namespace fs = std::filesystem;

constexpr const char* packageExtension = ".app";

FolderEntry::Kind kindOf(const fs::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_directory(error)) return FolderEntry::Kind::file;
    if (entry.path().extension() == packageExtension) return FolderEntry::Kind::package;
    return FolderEntry::Kind::folder;
}

// "Notes" and "notes" sort together; the exact spelling breaks the tie so the
// order never depends on how the folder was read.
bool precedes(const FolderEntry& a, const FolderEntry& b) {
    std::string foldedA = platform::unicode::lowercased(a.name);
    std::string foldedB = platform::unicode::lowercased(b.name);
    if (foldedA != foldedB) return foldedA < foldedB;
    return a.name < b.name;
}

// Trailing separators would make "/a/b/" look like a folder without a name.
fs::path normalized(const std::string& path) {
    fs::path normal = fs::path(path).lexically_normal();
    if (normal.has_relative_path() && !normal.has_filename()) return normal.parent_path();
    return normal;
}

}  // namespace

std::vector<FolderEntry> entries(const std::string& folder) {
    std::vector<FolderEntry> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(".")) continue;
        found.push_back({name, it->path().string(), kindOf(*it)});
    }
    std::ranges::sort(found, precedes);
    return found;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string absolute(const std::string& path) {
    std::error_code error;
    fs::path whole = fs::absolute(path, error);
    return normalized(error ? path : whole.string()).string();
}

std::string parent(const std::string& path) {
    fs::path normal = normalized(path);
    if (!normal.has_relative_path()) return normal.string();
    return normal.parent_path().string();
}

std::vector<std::string> ancestry(const std::string& folder) {
    std::vector<std::string> chain{normalized(folder).string()};
    for (std::string above = parent(chain.back()); above != chain.back(); above = parent(above)) {
        chain.push_back(above);
    }
    return chain;
}

std::string displayName(const std::string& path) {
    fs::path normal = normalized(path);
    if (!normal.has_relative_path()) return normal.string();
    return normal.filename().string();
}

}  // namespace kit::FolderListing
