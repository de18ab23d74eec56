#pragma once

// One column of a table: what the delegate builds cells for, and how wide
// they are. There is no header, so the title is only a name for people
// reading the code and for assistive technology.

#include <algorithm>
#include <string>
#include <utility>

namespace kit {

class TableColumn {
public:
    explicit TableColumn(std::string identifier, double width = 100, double minWidth = 10)
        : identifier_(std::move(identifier)),
          minWidth_(minWidth),
          width_(std::max(width, minWidth)) {}

    const std::string& identifier() const { return identifier_; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    double width() const { return width_; }
    // Never narrower than the minimum width.
    void setWidth(double width) { width_ = std::max(width, minWidth_); }
    double minWidth() const { return minWidth_; }
    void setMinWidth(double minWidth) {
        minWidth_ = minWidth;
        width_ = std::max(width_, minWidth_);
    }

    bool operator==(const TableColumn&) const = default;

private:
    std::string identifier_;
    std::string title_;
    double minWidth_;
    double width_;
};

}  // namespace kit
