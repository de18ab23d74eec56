#pragma once

// A question or a warning in a small window of its own: the application's
// icon, a bold message, an explanation below it and the buttons that answer.
// It runs modally, so the Application must exist.

#include <memory>
#include <string>
#include <vector>

namespace kit {

class Button;
class DialogView;
class ImageView;
class Label;
class Window;

class Alert {
public:
    // The desktop's numbering: the first button added answers 1000, the next
    // 1001, and so on.
    static constexpr int firstButtonReturn = 1000;
    static constexpr double width = 260;

    Alert();
    ~Alert();
    Alert(const Alert&) = delete;
    Alert& operator=(const Alert&) = delete;

    const std::string& messageText() const { return messageText_; }
    void setMessageText(std::string text);
    // May hold paragraphs separated by blank lines.
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(std::string text);

    // The first button added is the default one: drawn in the accent colour,
    // pressed by Return. A button titled "Cancel" is pressed by Escape.
    Button& addButton(std::string title);
    const std::vector<Button*>& buttons() const { return buttons_; }

    // Places the parts and sizes the window around them; runModal() does it
    // too. The width stays fixed, long texts make the alert taller. Without
    // buttons the alert gets "OK".
    void layout();
    // Shows the alert until a button is clicked, then closes it and answers
    // that button's response.
    int runModal();

    Window& window() { return *window_; }

private:
    double placeText(Label& label, double top, double gapBefore) const;
    double placeButtons(double top) const;
    bool buttonsFitSideBySide() const;

    std::string messageText_;
    std::string informativeText_;
    std::unique_ptr<Window> window_;
    DialogView* content_ = nullptr;
    ImageView* icon_ = nullptr;
    Label* message_ = nullptr;
    Label* informative_ = nullptr;
    std::vector<Button*> buttons_;
};

}  // namespace kit
