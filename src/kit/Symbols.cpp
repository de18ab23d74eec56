#include "kit/Symbols.h"

#include <array>
#include <cmath>
#include <numbers>

namespace kit::symbols {
namespace {

constexpr double pi = std::numbers::pi;
// Strokes of 1.5 units read as the system's regular weight at 16 points.
constexpr double regularWeight = 1.5;
constexpr double boldWeight = 1.75;

using Drawing = void (*)(cairo_t*);

void line(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
}

void polyline(cairo_t* cr, std::initializer_list<std::array<double, 2>> points) {
    bool first = true;
    for (auto [x, y] : points) {
        if (first)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
        first = false;
    }
}

void roundedRect(cairo_t* cr, double x, double y, double width, double height, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + width - r, y + height - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + height - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void strokeWith(cairo_t* cr, double weight) {
    cairo_set_line_width(cr, weight);
    cairo_stroke(cr);
}

// Draws upside down: the "down" symbols are their "up" twins mirrored.
void flippedVertically(cairo_t* cr, Drawing drawing) {
    cairo_save(cr);
    cairo_translate(cr, 0, designSize);
    cairo_scale(cr, 1, -1);
    drawing(cr);
    cairo_restore(cr);
}

// A diagonal stroke with a clear gap either side, cut out of the drawing
// beneath it rather than painted over whatever lies behind the symbol.
void slashed(cairo_t* cr, Drawing drawing) {
    cairo_push_group(cr);
    drawing(cr);
    line(cr, 2.5, 1.75, 13.5, 14.25);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    strokeWith(cr, regularWeight + 2.5);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    line(cr, 2.5, 1.75, 13.5, 14.25);
    strokeWith(cr, regularWeight);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
}

// The menu bar as a window-like frame.
void menuBarFrame(cairo_t* cr) {
    roundedRect(cr, 1.75, 2.25, 12.5, 11.5, 2.5);
    strokeWith(cr, regularWeight);
}

void menubarRectangle(cairo_t* cr) {
    cairo_save(cr);
    roundedRect(cr, 1.75, 2.25, 12.5, 11.5, 2.5);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, designSize, 6);
    cairo_fill(cr);
    cairo_restore(cr);
    menuBarFrame(cr);
}

void menubarArrowUpRectangle(cairo_t* cr) {
    menuBarFrame(cr);
    line(cr, 1.75, 5, 14.25, 5);
    strokeWith(cr, 1);
    line(cr, 8, 11.5, 8, 7.25);
    polyline(cr, {{5.75, 9.5}, {8, 7.25}, {10.25, 9.5}});
    strokeWith(cr, regularWeight);
}

void arrowUpToLine(cairo_t* cr) {
    line(cr, 3, 2, 13, 2);
    line(cr, 8, 14.25, 8, 5.25);
    polyline(cr, {{3.75, 9.5}, {8, 5.25}, {12.25, 9.5}});
    strokeWith(cr, regularWeight);
}

void arrowDownToLine(cairo_t* cr) {
    flippedVertically(cr, arrowUpToLine);
}

void chevronUp(cairo_t* cr) {
    polyline(cr, {{2.75, 10.75}, {8, 5.5}, {13.25, 10.75}});
    strokeWith(cr, boldWeight);
}

void chevronDown(cairo_t* cr) {
    flippedVertically(cr, chevronUp);
}

// Filled, with a round-joined stroke of the same colour to soften the corners.
void arrowtriangleUpFill(cairo_t* cr) {
    polyline(cr, {{8, 3.75}, {13.5, 12}, {2.5, 12}});
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    strokeWith(cr, regularWeight);
}

void arrowtriangleDownFill(cairo_t* cr) {
    flippedVertically(cr, arrowtriangleUpFill);
}

void eye(cairo_t* cr) {
    cairo_move_to(cr, 1, 8);
    cairo_curve_to(cr, 3.5, 2.75, 12.5, 2.75, 15, 8);
    cairo_curve_to(cr, 12.5, 13.25, 3.5, 13.25, 1, 8);
    cairo_close_path(cr);
    strokeWith(cr, regularWeight);
    cairo_arc(cr, 8, 8, 2.5, 0, 2 * pi);
    cairo_fill(cr);
}

void eyeSlash(cairo_t* cr) {
    slashed(cr, eye);
}

// A push pin seen from the side: cap, body, flared base and needle.
void pin(cairo_t* cr) {
    line(cr, 4.75, 1.75, 11.25, 1.75);
    polyline(cr,
             {{6.25, 1.75}, {6.25, 6.5}, {3.75, 9.75}, {12.25, 9.75}, {9.75, 6.5}, {9.75, 1.75}});
    line(cr, 8, 9.75, 8, 14.75);
    strokeWith(cr, regularWeight);
}

void pinSlash(cairo_t* cr) {
    slashed(cr, pin);
}

void rectangleDashed(cairo_t* cr) {
    constexpr double x = 1.75, y = 3, width = 12.5, height = 10, r = 2;
    roundedRect(cr, x, y, width, height, r);
    // A whole number of dashes round the outline, so no corner gets a stub.
    double perimeter = 2 * (width + height) - 8 * r + 2 * pi * r;
    double period = perimeter / std::round(perimeter / 3.75);
    double dashes[] = {period - 2.75, 2.75};
    cairo_set_dash(cr, dashes, 2, 0);
    strokeWith(cr, regularWeight);
    cairo_set_dash(cr, nullptr, 0, 0);
}

void rectangleTopthirdInsetFilled(cairo_t* cr) {
    menuBarFrame(cr);
    roundedRect(cr, 4, 4.5, 8, 2.75, 1);
    cairo_fill(cr);
}

void plus(cairo_t* cr) {
    line(cr, 8, 2.75, 8, 13.25);
    line(cr, 2.75, 8, 13.25, 8);
    strokeWith(cr, boldWeight);
}

void minus(cairo_t* cr) {
    line(cr, 2.75, 8, 13.25, 8);
    strokeWith(cr, boldWeight);
}

struct Entry {
    std::string_view name;
    Drawing drawing;
};

constexpr std::array entries{
    Entry{"menubar.arrow.up.rectangle", menubarArrowUpRectangle},
    Entry{"menubar.rectangle", menubarRectangle},
    Entry{"arrow.up.to.line", arrowUpToLine},
    Entry{"arrow.down.to.line", arrowDownToLine},
    Entry{"chevron.up", chevronUp},
    Entry{"chevron.down", chevronDown},
    Entry{"arrowtriangle.up.fill", arrowtriangleUpFill},
    Entry{"arrowtriangle.down.fill", arrowtriangleDownFill},
    Entry{"eye.slash", eyeSlash},
    Entry{"eye", eye},
    Entry{"pin.slash", pinSlash},
    Entry{"pin", pin},
    Entry{"rectangle.dashed", rectangleDashed},
    Entry{"rectangle.topthird.inset.filled", rectangleTopthirdInsetFilled},
    Entry{"plus", plus},
    Entry{"minus", minus},
};

Drawing find(std::string_view name) {
    for (const auto& entry : entries) {
        if (entry.name == name) return entry.drawing;
    }
    return nullptr;
}

void fillIconBody(cairo_t* cr) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 2.5, 0, 29.5);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.99, 0.99, 1.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.85, 0.87, 0.91);
    cairo_set_source(cr, gradient);
    cairo_fill_preserve(cr);  // the body's outline clips the grid next
    cairo_pattern_destroy(gradient);
}

void drawIconGrid(cairo_t* cr) {
    cairo_set_source_rgba(cr, 0.3, 0.45, 0.7, 0.2);
    for (double at : {9.5, 16.0, 22.5}) {
        line(cr, at, 2.5, at, 29.5);
        line(cr, 2.5, at, 29.5, at);
    }
    strokeWith(cr, 0.5);
}

void drawIconLetter(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0.16, 0.4, 0.78);
    polyline(cr, {{10, 23.5}, {16, 8.5}, {22, 23.5}});
    line(cr, 12.4, 17.5, 19.6, 17.5);
    strokeWith(cr, 2.75);
}

}  // namespace

bool exists(std::string_view name) {
    return find(name) != nullptr;
}

bool draw(cairo_t* cr, std::string_view name) {
    Drawing drawing = find(name);
    if (!drawing) return false;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    drawing(cr);
    cairo_restore(cr);
    return true;
}

void drawGenericApplicationIcon(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    roundedRect(cr, 2.5, 2.5, 27, 27, 6.5);
    fillIconBody(cr);
    cairo_save(cr);
    cairo_clip(cr);
    drawIconGrid(cr);
    cairo_restore(cr);
    roundedRect(cr, 2.5, 2.5, 27, 27, 6.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    strokeWith(cr, 0.75);
    drawIconLetter(cr);
    cairo_restore(cr);
}

}  // namespace kit::symbols
