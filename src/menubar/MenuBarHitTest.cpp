#include "menubar/MenuBarHitTest.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace MenuBarHitTest {

namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::WindowInfoKeys;

// Window-list coordinates: top-left origin, y growing downwards.
struct Rect {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
    double width() const { return maxX - minX; }
    // The minimum edges belong to the rectangle, the maximum edges do not.
    bool contains(double x, double y) const {
        return x >= minX && x < maxX && y >= minY && y < maxY;
    }
};

struct Levels {
    int menuBar = 0;
    int cursor = 0;
};

std::optional<Levels>& cachedLevels() {
    static std::optional<Levels> levels;
    return levels;
}

// The window server never changes these while the program runs.
const Levels& levels() {
    auto& cached = cachedLevels();
    if (!cached) {
        auto& windowList = platform::current().windowList;
        cached = Levels{windowList.windowLevel(platform::WindowLevelKey::mainMenu),
                        windowList.windowLevel(platform::WindowLevelKey::cursor)};
    }
    return *cached;
}

// Integers and reals both; booleans are not numbers here.
std::optional<double> number(const PropertyValue* value) {
    if (!value) return std::nullopt;
    if (auto real = value->real()) return real;
    if (auto integer = value->integer()) return static_cast<double>(*integer);
    return std::nullopt;
}

// A negative width or height extends the rectangle the other way, as the
// desktop's own rectangles do.
std::optional<Rect> rectFromDictionary(const PropertyValue* value) {
    auto* dictionary = value ? value->dictionary() : nullptr;
    if (!dictionary) return std::nullopt;
    auto x = number(platform::find(*dictionary, "X"));
    auto y = number(platform::find(*dictionary, "Y"));
    auto width = number(platform::find(*dictionary, "Width"));
    auto height = number(platform::find(*dictionary, "Height"));
    if (!x || !y || !width || !height) return std::nullopt;
    return Rect{std::min(*x, *x + *width), std::min(*y, *y + *height), std::max(*x, *x + *width),
                std::max(*y, *y + *height)};
}

double maxY(const platform::ScreenRect& frame) {
    return std::max(frame.y, frame.y + frame.height);
}

double width(const platform::ScreenRect& frame) {
    return std::max(frame.width, -frame.width);
}

// Full-width windows above the menu bar (the bar's own backdrop, overlays)
// never hide it from the test.
bool isFullWidth(const Rect& bounds, const std::vector<platform::ScreenRect>& screens) {
    return std::any_of(screens.begin(), screens.end(), [&](const platform::ScreenRect& screen) {
        return bounds.width() >= 0.9 * width(screen);
    });
}

bool isWindowServer(std::string_view owner) {
    constexpr std::string_view expected = "windowserver";
    std::size_t matched = 0;
    for (char c : owner) {
        if (c == ' ') continue;
        char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (matched == expected.size() || lower != expected[matched]) return false;
        ++matched;
    }
    return matched == expected.size();
}

bool isInvisible(const PropertyDictionary& entry) {
    auto alpha = number(platform::find(entry, Keys::alpha));
    return alpha && !(*alpha > 0);
}

std::string_view ownerName(const PropertyDictionary& entry) {
    auto* value = platform::find(entry, Keys::ownerName);
    auto* text = value ? value->text() : nullptr;
    return text ? std::string_view(*text) : std::string_view();
}

enum class Verdict { skip, onMenuBar, covered };

Verdict judge(const PropertyDictionary& entry, double x, double y,
              const std::vector<platform::ScreenRect>& screens) {
    auto* layerValue = platform::find(entry, Keys::layer);
    auto layer = layerValue ? layerValue->integer() : std::nullopt;
    if (!layer) return Verdict::skip;
    auto bounds = rectFromDictionary(platform::find(entry, Keys::bounds));
    if (!bounds || !bounds->contains(x, y)) return Verdict::skip;
    if (isInvisible(entry)) return Verdict::skip;

    const auto& level = levels();
    if (*layer >= level.cursor) return Verdict::skip;
    if (*layer > level.menuBar) {
        // A narrow window up here is a status item or an open menu.
        return isFullWidth(*bounds, screens) ? Verdict::skip : Verdict::covered;
    }
    // An ordinary window in front: the menu bar is hidden or in full screen.
    if (*layer < level.menuBar) return Verdict::covered;
    return isWindowServer(ownerName(entry)) ? Verdict::onMenuBar : Verdict::skip;
}

// Every element must be a dictionary, or the list is unusable as a whole.
const platform::PropertyArray* windowEntries(const std::optional<PropertyValue>& list) {
    auto* entries = list ? list->array() : nullptr;
    if (!entries) return nullptr;
    bool allDictionaries =
        std::all_of(entries->begin(), entries->end(),
                    [](const PropertyValue& entry) { return entry.dictionary(); });
    return allDictionaries ? entries : nullptr;
}

}  // namespace

bool isOnMenuBar(platform::ScreenPoint point) {
    auto& windowList = platform::current().windowList;
    auto screens = windowList.screens();
    if (screens.empty()) return false;
    double flippedY = maxY(screens.front()) - point.y;

    auto list = windowList.copyWindowInfo();
    auto* entries = windowEntries(list);
    if (!entries) return false;
    for (const auto& entry : *entries) {
        auto verdict = judge(*entry.dictionary(), point.x, flippedY, screens);
        if (verdict != Verdict::skip) return verdict == Verdict::onMenuBar;
    }
    return false;
}

void resetLevelsForTesting() {
    cachedLevels().reset();
}

}  // namespace MenuBarHitTest
