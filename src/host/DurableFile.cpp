#include "host/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

namespace host {
namespace {

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
    std::string name = path + ".XXXXXX";
    FileDescriptor file(mkostemp(name.data(), O_CLOEXEC));
    if (!file) return {};
    if (writeAll(file.get(), text) && fsync(file.get()) == 0 && file.close()) return name;
    unlink(name.c_str());
    return {};
}

void removeLeftoverCopies(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    const std::string prefix = file.filename().string() + ".";
    const auto oldest = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
        std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        bool generated = std::all_of(name.begin() + long(prefix.size()), name.end(),
                                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (!generated || !entry.is_regular_file(error) || entry.last_write_time(error) > oldest) {
            continue;
        }
        fs::remove(entry.path(), error);
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
