#pragma once

// Points, sizes and rectangles in points. The origin is the top-left corner
// and y grows downwards, in views, windows and on screen alike.

#include <algorithm>

namespace kit {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point origin, Size size) : origin(origin), size(size) {}
    constexpr Rect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height} {}

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    bool contains(Point point) const {
        return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
    }
    // Shrunk by dx on the left and right and by dy on the top and bottom.
    Rect insetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, std::max(0.0, size.width - 2 * dx),
                std::max(0.0, size.height - 2 * dy)};
    }
    Rect inset(const EdgeInsets& insets) const {
        return {origin.x + insets.left, origin.y + insets.top,
                std::max(0.0, size.width - insets.left - insets.right),
                std::max(0.0, size.height - insets.top - insets.bottom)};
    }
    Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
    Rect intersection(const Rect& other) const {
        double x0 = std::max(minX(), other.minX());
        double y0 = std::max(minY(), other.minY());
        double x1 = std::min(maxX(), other.maxX());
        double y1 = std::min(maxY(), other.maxY());
        if (x1 <= x0 || y1 <= y0) return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }
    bool operator==(const Rect&) const = default;
};

}  // namespace kit
