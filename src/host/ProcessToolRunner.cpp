#include "host/ProcessToolRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

extern char** environ;

namespace host {

namespace {

using Clock = std::chrono::steady_clock;

struct Spawned {
    pid_t pid;
    int output;  // read end of the child's standard output
};

std::optional<Spawned> spawn(const std::string& path, const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (error != 0) {
        close(pipeEnds[0]);
        return std::nullopt;
    }
    return Spawned{pid, pipeEnds[0]};
}

// Reads to end of file on its own thread; the future answers the bytes.
std::future<std::string> readInBackground(int fd) {
    std::promise<std::string> promise;
    auto future = promise.get_future();
    std::thread([fd, promise = std::move(promise)]() mutable {
        std::string bytes;
        char buffer[65536];
        for (;;) {
            ssize_t count = read(fd, buffer, sizeof buffer);
            if (count > 0) {
                bytes.append(buffer, static_cast<std::size_t>(count));
                continue;
            }
            if (count < 0 && errno == EINTR) continue;
            break;
        }
        close(fd);
        promise.set_value(std::move(bytes));
    }).detach();
    return future;
}

// Waits for the child until `deadline`; its exit status, or absent if it is
// still running then.
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        pid_t result = waitpid(pid, &status, WNOHANG);
        if (result == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            return 128 + WTERMSIG(status);
        }
        if (result < 0 && errno != EINTR) return -1;
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void terminate(pid_t pid) {
    kill(pid, SIGTERM);
    if (waitUntil(pid, Clock::now() + std::chrono::milliseconds(200))) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

platform::ToolOutcome ProcessToolRunner::run(const std::string& path,
                                             const std::vector<std::string>& arguments,
                                             double timeoutSeconds) {
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(timeoutSeconds));
    auto spawned = spawn(path, arguments);
    if (!spawned) return platform::ToolOutcomes::LaunchFailed{};

    auto output = readInBackground(spawned->output);
    if (output.wait_until(deadline) != std::future_status::ready) {
        terminate(spawned->pid);
        return platform::ToolOutcomes::TimedOut{};
    }
    // Output closed; the program may still be finishing.
    auto status = waitUntil(spawned->pid, deadline);
    if (!status) {
        terminate(spawned->pid);
        return platform::ToolOutcomes::TimedOut{};
    }
    return platform::ToolOutcomes::Exited{*status, output.get()};
}

}  // namespace host
