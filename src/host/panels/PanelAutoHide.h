#pragma once

// One panel program's own auto-hide of its panels along the top edge: the
// desktop's menu bar on Linux.

#include <functional>
#include <optional>
#include <string>

#include "platform/Log.h"

namespace host {

// A finished line for the program's log.
using PanelLog = std::function<void(platform::LogLevel level, const std::string& message)>;

class PanelAutoHide {
public:
    virtual ~PanelAutoHide() = default;

    // Whether the top panel hides itself, as the panel program stores it;
    // absent when it has no panel along the top or its settings cannot be read.
    virtual std::optional<bool> autoHide() = 0;

    // Makes every top panel hide itself (or not); a panel that already does
    // is left alone, and without one there is nothing to do. Empty on
    // success, else why not, in words for the log.
    virtual std::string setAutoHide(bool on) = 0;

    // Called on the main loop when the panel's settings may have changed,
    // whoever changed them.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

    // True while a change still has work under way (a panel restart).
    virtual bool busy() const { return false; }
    // Completes that work, waiting at most `seconds`: the program is ending.
    virtual void finish(double seconds) { (void)seconds; }

protected:
    void changed() const {
        if (changed_) changed_();
    }

private:
    std::function<void()> changed_;
};

}  // namespace host
