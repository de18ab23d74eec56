#include "support/Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace support {

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = "/tmp/tarnwick-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    // A test may have made parts read-only; give them back before removing.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& environment) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : environment) merged[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        std::vector<char*> args, envs;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        for (const auto& env : envText) envs.push_back(const_cast<char*>(env.c_str()));
        envs.push_back(nullptr);
        execvpe(args[0], args.data(), envs.data());  // a bare name is looked up in PATH
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
}

ChildProcess::~ChildProcess() {
    if (!reaped_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

bool ChildProcess::pump(int timeoutMilliseconds) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (outFd_ < 0 && errFd_ < 0) return false;
    if (poll(fds, 2, timeoutMilliseconds) <= 0) return true;
    char buffer[4096];
    int* descriptors[2] = {&outFd_, &errFd_};
    std::string* buffers[2] = {&out_, &err_};
    for (int i = 0; i < 2; ++i) {
        if (*descriptors[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        auto count = read(*descriptors[i], buffer, sizeof buffer);
        if (count > 0) {
            buffers[i]->append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        close(*descriptors[i]);
        *descriptors[i] = -1;
    }
    return outFd_ >= 0 || errFd_ >= 0;
}

bool ChildProcess::waitFor(const std::string& text, const std::string& buffer,
                           std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (buffer.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (!pump(50)) return buffer.find(text) != std::string::npos;
    }
    return true;
}

bool ChildProcess::waitForStderr(const std::string& text, std::chrono::milliseconds timeout) {
    return waitFor(text, err_, timeout);
}

bool ChildProcess::waitForStdout(const std::string& text, std::chrono::milliseconds timeout) {
    return waitFor(text, out_, timeout);
}

void ChildProcess::signal(int number) {
    if (!reaped_) kill(pid_, number);
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!reaped_) {
        int status = 0;
        auto result = waitpid(pid_, &status, WNOHANG);
        if (result == pid_) {
            reaped_ = true;
            if (WIFEXITED(status)) status_ = WEXITSTATUS(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            reaped_ = true;
            return std::nullopt;
        }
        if (!pump(20)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (pump(0)) {
    }
    return status_;
}

std::string run(const std::vector<std::string>& argv) {
    ChildProcess child(argv);
    auto status = child.wait(std::chrono::seconds(30));
    EXPECT_EQ(status, 0) << argv[0] << ": " << child.stderrText();
    return child.stdoutText();
}

}  // namespace support
