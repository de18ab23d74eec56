// lxqt-panel's panel.conf as a person may leave it: any bytes, then the panel
// names to set `hidable` in. Setting must read back as written, leave every
// other panel and every other line as it was, and change nothing when set again.
//
// Input: names separated by "," up to the first NUL, then the file; without a
// NUL, all of it is the file.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/panels/LxqtPanelConfig.h"

namespace {

using host::lxqt::isHidable;
using host::lxqt::panelNames;
using host::lxqt::topPanels;
using host::lxqt::withHidable;

void check(bool holds) {
    if (!holds) std::abort();
}

// Lines as QSettings breaks them: at every "\r" and "\n".
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        auto end = text.find_first_of("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return lines;
        start = end + 1;
    }
}

// "hidable", blanks, "="; returns the length up to and including the "=", or 0.
std::size_t hidableKeyLength(std::string_view line) {
    auto at = line.find_first_not_of(" \t");
    if (at == std::string_view::npos || line.substr(at, 7) != "hidable") return 0;
    at = line.find_first_not_of(" \t", at + 7);
    return at != std::string_view::npos && line[at] == '=' ? at + 1 : 0;
}

// What withHidable may add: its own key lines, section headers and blank lines.
bool added(std::string_view line) {
    return line.empty() || line.starts_with('[') || line == "hidable=true" ||
           line == "hidable=false";
}

// Every line of `text` is in `edited`, in order, the same but for the value of
// a `hidable` key that read otherwise; the lines between are added ones. Only
// checked where a quote, backslash or escape can't carry a line over or hide a key.
bool keepsLines(std::string_view text, std::string_view edited, bool hidable) {
    auto before = linesOf(text), after = linesOf(edited);
    std::size_t next = 0;
    for (auto line : before) {
        auto key = hidableKeyLength(line);
        auto same = [&](std::string_view candidate) {
            if (candidate == line) return true;
            bool readOtherwise = isHidable("[x]\n" + std::string(line), "x") != hidable;
            return key && readOtherwise && candidate.substr(0, key) == line.substr(0, key);
        };
        while (next < after.size() && !same(after[next])) {
            if (!added(after[next++])) return false;
        }
        if (next++ == after.size()) return false;
    }
    return std::all_of(after.begin() + std::min(next, after.size()), after.end(), added);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto split = input.find('\0');
    auto text = split == std::string_view::npos ? input : input.substr(split + 1);
    auto panels = panelNames(text);
    auto tops = topPanels(text);

    // Every other listed panel, and the names before the NUL.
    std::vector<std::string> names, untouched;
    for (std::size_t i = 0; i < panels.size(); ++i)
        (i % 2 ? untouched : names).push_back(panels[i]);
    if (split != std::string_view::npos) {
        for (std::size_t start = 0; start <= split;) {
            auto end = std::min(input.find(',', start), split);
            names.emplace_back(input.substr(start, end - start));
            start = end + 1;
        }
    }
    std::erase_if(untouched, [&](const auto& name) { return std::ranges::count(names, name) > 0; });
    bool hidable = size % 2;

    auto edited = withHidable(text, names, hidable);
    for (const auto& name : names) check(name.empty() || isHidable(edited, name) == hidable);
    for (const auto& name : untouched) check(isHidable(edited, name) == isHidable(text, name));
    check(panelNames(edited) == panels);
    check(topPanels(edited) == tops);
    check(withHidable(edited, names, hidable) == edited);
    if (text.find_first_of("\"\\%") == std::string_view::npos)
        check(keepsLines(text, edited, hidable));

    // Once every section has the key, setting it back and forth only swaps the word.
    auto settled = withHidable(withHidable(edited, names, !hidable), names, hidable);
    auto flipped = withHidable(settled, names, !hidable);
    check(withHidable(flipped, names, hidable) == settled);
    check(linesOf(flipped).size() == linesOf(settled).size());
    return 0;
}
