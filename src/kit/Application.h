#pragma once

// The application object: the run loop's owner, the main menu, the key
// window, the end of the responder chain and the way out.

#include <memory>
#include <string>
#include <vector>

#include "kit/Image.h"
#include "kit/Menu.h"
#include "kit/Responder.h"
#include "kit/Window.h"
#include "platform/Activation.h"

namespace kit {

class ApplicationDelegate : public Responder {
public:
    virtual void applicationDidFinishLaunching() {}
    // The program was launched again while it runs. Answering false keeps
    // the application from doing anything of its own.
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows) {
        (void)hasVisibleWindows;
        return true;
    }
};

class Application : public Responder {
public:
    static constexpr const char* willTerminateNotification = "NSApplicationWillTerminateNotification";

    // The one application of the process; shared() answers it while it lives.
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    static Application& shared();
    // The application if one exists, else null.
    static Application* existing();

    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }
    ApplicationDelegate* delegate() const { return delegate_; }
    void setActivationPolicy(platform::ActivationPolicy policy);
    // The icon the desktop shows for our windows, drawn at each size it lists.
    void setApplicationIconImage(const Image& image);

    void setMainMenu(std::unique_ptr<Menu> menu) { mainMenu_ = std::move(menu); }
    Menu* mainMenu() const { return mainMenu_.get(); }
    Window* keyWindow() const { return keyWindow_; }
    // Tells the old key window it resigned and the new one it became key.
    void setKeyWindow(Window* window);
    // A window going away stops being key; safe when no application exists.
    static void forgetWindow(Window* window);
    // A window was hidden: if it was key, the one key before it is key again.
    void windowDidOrderOut(Window* window);

    // Tells the delegate that launching finished, then runs the loop until
    // terminate().
    void run();
    // Tells will-terminate observers, then ends the run loop. Also what a
    // request from outside (SIGTERM, SIGINT) does.
    void terminate(Responder* sender);
    bool isTerminating() const { return terminating_; }
    // What the process reports when it ends: 0 unless something that ran
    // asked for a failure to be reported.
    void setExitStatus(int status) { exitStatus_ = status; }
    int exitStatus() const { return exitStatus_; }
    // The program was launched again while running.
    void reopen();

    // Shows `window` and runs the loop until stopModal(); other windows take
    // no events meanwhile. Answers the response given to stopModal(), or
    // modalResponseAbort when the run ended otherwise.
    static constexpr int modalResponseAbort = -1000;
    int runModal(Window& window);
    void stopModal(int response);
    Window* modalWindow() const { return modalWindow_; }
    // Whether the user would see this program in front.
    bool isActive() const;
    void activate(bool ignoringOtherApps);
    // Brings the program in front of whatever the user was working in, as a
    // window or panel it is about to show needs; newer systems also want
    // the cooperative request first.
    void activateIgnoringOtherApps();

    // Sends an action to `target`, or with none along the responder chain:
    // the key window's focused control and its next responders, the key
    // window, the application, its delegate. True when someone performed it.
    bool sendAction(const Action& action, Responder* target, Responder* sender);
    // Offers a key press to the main menu's key equivalents.
    bool performKeyEquivalent(const std::string& characters, std::uint64_t modifiers);

    bool tryToPerform(const Action& action, Responder* sender) override;

private:
    ApplicationDelegate* delegate_ = nullptr;
    std::unique_ptr<Menu> mainMenu_;
    Window* keyWindow_ = nullptr;
    std::vector<Window*> keyHistory_;  // oldest first
    Window* modalWindow_ = nullptr;
    int modalResponse_ = 0;
    bool terminating_ = false;
    int exitStatus_ = 0;
};

}  // namespace kit
