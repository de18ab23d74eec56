#pragma once

// Files that other programs read while we replace them: read whole, written
// under a temporary name, made durable and renamed into place, so a reader
// sees the old contents or the new, never a part.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host {

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor = -1) : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor_; }
    explicit operator bool() const { return descriptor_ >= 0; }
    // Closes now, reporting what close says (a delayed write error included).
    bool close();

private:
    int descriptor_;
};

enum class ReadResult { read, missing, failed };

// Reads the regular file as it is now, telling a missing file from one that
// is there but cannot be read (which a writer must not replace).
ReadResult readExisting(const std::string& path, std::vector<std::uint8_t>& bytes);

// A durable copy of `text` under a fresh name next to `path`; empty on failure.
std::string writeTemporary(const std::string& path, const std::string& text);

// Removes the copies writeTemporary made for `path` that were never put in
// place because their writer was killed. Only for a caller holding the lock
// every writer of `path` takes while its copy exists: then no copy there
// belongs to a write in progress.
void removeLeftoverCopies(const std::string& path);

bool syncFolder(const std::string& folder);

// Puts a file holding `text` at `target`, which is no symbolic link,
// atomically and durably, with permissions `mode` (else readable by its owner
// only). Empty on success, else what failed.
std::string putInPlace(const std::string& target, const std::string& text,
                       std::optional<unsigned> mode);

// Replaces the file's contents with `text` atomically and durably; a missing
// file is created. A symbolic link keeps pointing where it did (its target is
// replaced) and the file keeps its permissions. Empty on success, else what
// failed.
std::string replaceFileContents(const std::string& path, const std::string& text);

}  // namespace host
