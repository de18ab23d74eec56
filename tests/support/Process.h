#pragma once

// Starting programs from tests and reading what they say.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace support {

// A folder under /tmp removed with everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);
bool fileExists(const std::string& path);

// A child process with its standard output and standard error captured.
class ChildProcess {
public:
    // `environment` entries are added to (or replace those of) this process's.
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits until standard error holds `text`, or the time runs out or the
    // child ends; true when it was seen.
    bool waitForStderr(const std::string& text,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool waitForStdout(const std::string& text,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void signal(int number);
    // The exit status, or absent when it did not end in time (it is then
    // killed) or ended by a signal.
    std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    const std::string& stdoutText() const { return out_; }
    const std::string& stderrText() const { return err_; }

private:
    bool waitFor(const std::string& text, const std::string& buffer,
                 std::chrono::milliseconds timeout);
    // Reads what is available; false once both pipes are closed.
    bool pump(int timeoutMilliseconds);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    std::optional<int> status_;
    bool reaped_ = false;
};

// Runs a program to its end (a bare name is looked up in PATH) and answers
// what it printed; a non-zero exit fails the current test.
std::string run(const std::vector<std::string>& argv);
// xdotool with these arguments, as a person at the keyboard and mouse.
inline std::string xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    return run(arguments);
}

}  // namespace support
