#include "host/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace host {
namespace {

// Copies carry our name, so a cleanup never takes another program's for ours.
constexpr std::string_view copyMark = ".tarnwick-";
constexpr std::size_t copySuffixLength = 6;  // what mkostemp fills in

bool writeAll(int descriptor, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t count = write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        written += std::size_t(count);
    }
    return true;
}

std::string lastError(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

bool FileDescriptor::close() {
    return ::close(std::exchange(descriptor_, -1)) == 0;
}

ReadResult readExisting(const std::string& path, std::vector<std::uint8_t>& bytes) {
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) return errno == ENOENT ? ReadResult::missing : ReadResult::failed;
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return ReadResult::failed;
    std::array<std::uint8_t, 65536> buffer;
    for (;;) {
        ssize_t count = read(file.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return ReadResult::failed;
        if (count == 0) return ReadResult::read;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + count);
    }
}

std::string writeTemporary(const std::string& path, const std::string& text) {
    std::string name = path + std::string(copyMark) + std::string(copySuffixLength, 'X');
    FileDescriptor file(mkostemp(name.data(), O_CLOEXEC));
    if (!file) return {};
    if (writeAll(file.get(), text) && fsync(file.get()) == 0 && file.close()) return name;
    unlink(name.c_str());
    return {};
}

void removeLeftoverCopies(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    const std::string prefix = file.filename().string() + std::string(copyMark);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
        std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + copySuffixLength || !name.starts_with(prefix)) continue;
        bool generated = std::all_of(name.begin() + long(prefix.size()), name.end(),
                                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (generated && entry.is_regular_file(error)) fs::remove(entry.path(), error);
    }
}

bool syncFolder(const std::string& folder) {
    FileDescriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory && fsync(directory.get()) == 0;
}

std::string putInPlace(const std::string& target, const std::string& text,
                       std::optional<unsigned> mode) {
    std::string temporary = writeTemporary(target, text);
    if (temporary.empty()) return lastError("cannot write a copy beside it");
    if ((mode && chmod(temporary.c_str(), *mode & 07777) != 0) ||
        rename(temporary.c_str(), target.c_str()) != 0) {
        auto failure = lastError("cannot put the copy in place");
        unlink(temporary.c_str());
        return failure;
    }
    auto folder = std::filesystem::path(target).parent_path();
    if (!syncFolder(folder.empty() ? "." : folder.string())) return lastError("cannot make it durable");
    return {};
}

std::string replaceFileContents(const std::string& path, const std::string& text) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 && errno == ENOENT) return putInPlace(path, text, {});
    std::error_code error;
    auto target = std::filesystem::canonical(path, error);
    if (error) return "cannot find " + path + ": " + error.message();
    if (stat(target.c_str(), &status) != 0) return lastError("stat");
    return putInPlace(target, text, status.st_mode);
}

}  // namespace host
