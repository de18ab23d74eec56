#pragma once

// Which copies of this program belong to this desktop session. A copy is
// replaced through a request on the session bus, so the copies that count
// are the ones on the same bus: each holds a name of its own there,
// "<bundle identifier>.Copy<pid>", taken when it starts and before it looks
// for others. Copies in other sessions (another login, a nested X server, a
// test run beside the desktop) hold theirs on another bus and are not seen.

#include <string>

// GIO's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;

namespace host {

class SessionCopies {
public:
    // Takes this process's name. Without a bus, or for an identifier that
    // cannot be made a bus name, nothing is taken and every copy counts.
    explicit SessionCopies(const std::string& bundleIdentifier);
    ~SessionCopies();
    SessionCopies(const SessionCopies&) = delete;
    SessionCopies& operator=(const SessionCopies&) = delete;

    // False only for a copy of this program that holds no name on this bus;
    // other programs' processes are not ours to judge.
    bool counts(const std::string& bundleIdentifier, int processIdentifier) const;

    // The name a copy holds; empty when the identifier cannot become one.
    static std::string busName(const std::string& bundleIdentifier, int processIdentifier);

private:
    GDBusConnection* bus_ = nullptr;
    std::string bundleIdentifier_;
};

}  // namespace host
