#pragma once

// What a folder holds, as an open panel lists it: visible entries only,
// sorted by name without regard to case, folders and files mixed as the
// names fall. Read with the standard file system library.

#include <string>
#include <vector>

namespace kit {

struct FolderEntry {
    // A package is a folder that people see as one thing: an application.
    enum class Kind { folder, package, file };

    std::string name;
    std::string path;
    Kind kind = Kind::file;

    bool operator==(const FolderEntry&) const = default;
};

namespace FolderListing {

// Empty when the folder cannot be read. Names starting with "." are hidden.
std::vector<FolderEntry> entries(const std::string& folder);
bool isFolder(const std::string& path);
// Absolute, without "." or ".." components or a trailing separator.
std::string absolute(const std::string& path);
// The folder holding `path`, the same path for the root.
std::string parent(const std::string& path);
// The folder itself and every folder above it, innermost first.
std::vector<std::string> ancestry(const std::string& folder);
// The last component, "/" for the root.
std::string displayName(const std::string& path);

}  // namespace FolderListing

}  // namespace kit
