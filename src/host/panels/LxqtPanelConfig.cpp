#include "host/panels/LxqtPanelConfig.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace host::lxqt {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view hidableKey = "hidable";

constexpr auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
constexpr auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
constexpr auto asciiLower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, asciiLower, asciiLower);
}

// The digit's value, -1 for other characters.
int hexDigit(char c) {
    return int(std::string_view("0123456789abcdef").find(asciiLower(c)));
}

// Qt reads the file's bytes as Latin-1, so a byte stands for the character of
// its number; the rare escape above 0xFF is kept as UTF-8.
void appendUnit(std::string& out, unsigned unit) {
    if (unit <= 0xFF) {
        out += char(unit);
        return;
    }
    if (unit >= 0x800) out += char(0xE0 | unit >> 12);
    out += char(unit >= 0x800 ? 0x80 | (unit >> 6 & 0x3F) : 0xC0 | unit >> 6);
    out += char(0x80 | (unit & 0x3F));
}

// A section or key name: "%XX" and "%UXXXX" are escapes, "\" stands for "/".
std::string unescapedName(std::string_view raw) {
    std::string name;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        bool wide = raw.substr(i + 1, 1) == "U";
        auto digits = raw.substr(std::min(i + 1 + wide, raw.size()), wide ? 4 : 2);
        if (raw[i] == '%' && digits.size() == (wide ? 4u : 2u) &&
            std::ranges::all_of(digits, [](char c) { return hexDigit(c) >= 0; })) {
            appendUnit(name, unsigned(std::stoul(std::string(digits), nullptr, 16)));
            i += digits.size() + wide;
            continue;
        }
        name += raw[i] == '\\' ? '/' : raw[i];
    }
    return name;
}

// A section name as QSettings writes it.
std::string escapedName(std::string_view name) {
    static constexpr std::string_view hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '_' || c == '-' || c == '.';
        if (c == '/') {
            out += '\\';
        } else if (plain) {
            out += char(c);
        } else {
            out += {'%', hex[c >> 4], hex[c & 0xF]};
        }
    }
    // A bare [General] holds the keys outside any section.
    return equalsIgnoringCase(out, "general") ? "%" + out : out;
}

// The name a "[...]" line gives: up to the first "]", trimmed. [General] is
// the unnamed section, which keys before any header belong to as well.
std::string sectionName(std::string_view line) {
    auto name = line.substr(1, line.find(']') - 1);
    auto isSpace = [](char c) { return isBlank(c) || isBreak(c) || c == '\v' || c == '\f'; };
    while (!name.empty() && isSpace(name.front())) name.remove_prefix(1);
    while (!name.empty() && isSpace(name.back())) name.remove_suffix(1);
    if (equalsIgnoringCase(name, "general")) return {};
    if (equalsIgnoringCase(name, "%general")) return std::string(name.substr(1));
    return unescapedName(name);
}

// A value as QVariant holds it: one string, or a list of them once an unquoted
// comma appears. nullopt stands for the other types: "@Invalid()", "@Rect(...)".
using Value = std::vector<std::optional<std::string>>;

std::optional<std::string> variantString(std::string text) {
    if (text.starts_with("@@")) return text.substr(1);
    if (text.starts_with('@') && text.ends_with(')')) return std::nullopt;
    return text;
}

// One escape, from just after its backslash; returns where it ends.
std::size_t unescapeInto(std::string_view raw, std::size_t i, std::string& out) {
    static constexpr std::string_view codes = "abfnrtv\"?'\\", characters = "\a\b\f\n\r\t\v\"?'\\";
    if (i == raw.size()) return i;
    char c = raw[i++];
    if (auto code = codes.find(c); code != npos) {
        out += characters[code];
    } else if (c == 'x' || (c >= '0' && c <= '7')) {
        // As many digits as follow, cut to the 16 bits of a QChar.
        unsigned base = c == 'x' ? 16 : 8, unit = c == 'x' ? 0 : unsigned(c - '0');
        bool digits = c != 'x';
        for (; i < raw.size() && unsigned(hexDigit(raw[i])) < base; ++i, digits = true) {
            unit = (unit * base + unsigned(hexDigit(raw[i]))) & 0xFFFF;
        }
        if (digits) appendUnit(out, unit);
    } else if (isBreak(c) && i < raw.size() && isBreak(raw[i]) && raw[i] != c) {
        ++i;  // an escaped line break continues the line; other characters are dropped
    }
    return i;
}

Value decodedValue(std::string_view raw) {
    Value value;
    std::string item;
    std::size_t kept = 0;  // what came from escapes and quotes keeps its trailing blanks
    bool inQuotes = false, quoted = false;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < raw.size() && isBlank(raw[i])) ++i;
    };
    auto endItem = [&] {
        while (!quoted && item.size() > kept && isBlank(item.back())) item.pop_back();
        value.push_back(variantString(std::exchange(item, {})));
        kept = 0;
        quoted = false;
    };
    for (skipBlanks(); i < raw.size();) {
        char c = raw[i++];
        if (c == '\\') {
            i = unescapeInto(raw, i, item);
            kept = item.size();
        } else if (c == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) skipBlanks();
            kept = item.size();
        } else if (c == ',' && !inQuotes) {
            endItem();
            skipBlanks();
        } else {
            item += c;
        }
    }
    endItem();
    return value;
}

std::optional<std::string> string(const Value& value) {
    return value.size() == 1 ? value.front() : std::nullopt;
}

bool readsTrue(const Value& value) {
    auto text = string(value);
    return text && !(text->empty() || *text == "0" || equalsIgnoringCase(*text, "false"));
}

// One line as QSettings reads it: white space and ";" comment lines before it
// are skipped, an unquoted line break or ";" ends it, and quotes or a
// backslash carry it over line breaks.
struct Line {
    std::size_t start = 0, end = 0, equals = npos;
    bool inQuotes = false;  // still, where the text ends
    char escaped = 0;       // a backslash ending the text ('\\'), or the line break one took there
};

bool nextLine(std::string_view text, std::size_t& pos, Line& line) {
    if (pos == 0 && text.starts_with("\xEF\xBB\xBF")) pos = 3;
    while (pos < text.size() && (isBlank(text[pos]) || isBreak(text[pos]) || text[pos] == ';')) {
        pos = text[pos] == ';' ? std::min(text.find_first_of("\r\n", pos), text.size()) : pos + 1;
    }
    if (pos == text.size()) return false;
    line = {pos, pos, npos, false, 0};
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (!line.inQuotes && (isBreak(c) || c == ';')) break;
        if (c == '"') line.inQuotes = !line.inQuotes;
        if (c == '=' && !line.inQuotes && line.equals == npos) line.equals = pos;
        if (c != '\\') continue;
        if (++pos == text.size()) {
            line.escaped = '\\';
            break;
        }
        // "\r\n" and "\n\r" are one line break here.
        char next = text[pos];
        bool atEnd = pos + 1 == text.size();
        if (isBreak(next) && atEnd) line.escaped = next;
        if (isBreak(next) && !atEnd && isBreak(text[pos + 1]) && text[pos + 1] != next) ++pos;
    }
    line.end = pos;
    return true;
}

struct Key {
    std::string name;
    std::size_t valueStart = 0, end = 0;
};

struct Section {
    std::size_t headerEnd = npos;  // npos for the keys before any header
    std::vector<Key> keys;
};

struct Document {
    std::vector<Section> sections{1};
    std::unordered_map<std::string, std::vector<std::size_t>> named{{"", {0}}};
};

Document parsed(std::string_view text) {
    Document doc;
    std::size_t pos = 0;
    for (Line line; nextLine(text, pos, line);) {
        auto content = text.substr(line.start, line.end - line.start);
        if (content.front() == '[') {
            doc.named[sectionName(content)].push_back(doc.sections.size());
            doc.sections.push_back({line.end, {}});
        } else if (line.equals != npos) {
            auto key = content.substr(0, line.equals - line.start);
            while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
            doc.sections.back().keys.push_back({unescapedName(key), line.equals + 1, line.end});
        }
    }
    return doc;
}

// The last `key` in the sections called `section`: QSettings keeps the last it reads.
std::optional<Value> valueOf(const Document& doc, std::string_view text, std::string_view section,
                             std::string_view key) {
    auto found = doc.named.find(std::string(section));
    if (found == doc.named.end()) return std::nullopt;
    for (auto s = found->second.rbegin(); s != found->second.rend(); ++s) {
        const auto& keys = doc.sections[*s].keys;
        auto last = std::ranges::find(keys.rbegin(), keys.rend(), key, &Key::name);
        if (last == keys.rend()) continue;
        return decodedValue(text.substr(last->valueStart, last->end - last->valueStart));
    }
    return std::nullopt;
}

std::vector<std::string> panelNamesIn(const Document& doc, std::string_view text) {
    // No list, or "@Invalid()", which is how QSettings writes an empty one.
    auto value = valueOf(doc, text, "", "panels");
    if (!value || (value->size() == 1 && !value->front())) return {"panel1"};
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (auto& item : *value) {
        if (item && !item->empty() && seen.insert(*item).second) names.push_back(std::move(*item));
    }
    return names;
}

struct Edit {
    std::size_t at, length;
    std::string text;
};

// Every `hidable` in the sections of one name that reads otherwise gets the
// new value; returns whether there was any.
bool replaceHidable(const Document& doc, std::string_view text,
                    const std::vector<std::size_t>& sections, bool hidable,
                    std::vector<Edit>& edits) {
    bool found = false;
    for (auto s : sections) {
        for (const auto& key : doc.sections[s].keys) {
            if (key.name != hidableKey) continue;
            found = true;
            auto start = key.valueStart, end = key.end;
            if (readsTrue(decodedValue(text.substr(start, end - start))) == hidable) continue;
            while (start < end && isBlank(text[start])) ++start;
            while (end > start && isBlank(text[end - 1])) --end;
            edits.push_back({start, end - start, hidable ? "true" : "false"});
        }
    }
    return found;
}

// Where QSettings would have written the key: in order among sorted keys,
// else after the last one; past the line break (and any comment) there.
// npos when that line ends the text.
std::size_t insertionPoint(std::string_view text, const Section& section) {
    bool sorted = std::ranges::is_sorted(section.keys, {}, &Key::name);
    auto after = section.headerEnd;
    for (const auto& key : section.keys) {
        if (!sorted || key.name < hidableKey) after = key.end;
    }
    auto lineBreak = text.find_first_of("\r\n", after);
    if (lineBreak == npos) return npos;
    return lineBreak + (text.substr(lineBreak, 2) == "\r\n" ? 2 : 1);
}

std::string applied(std::string_view text, std::vector<Edit> edits) {
    std::ranges::stable_sort(edits, {}, &Edit::at);
    std::string out;
    std::size_t from = 0;
    for (const auto& edit : edits) {
        out.append(text.substr(from, edit.at - from)).append(edit.text);
        from = edit.at + edit.length;
    }
    return out.append(text.substr(from));
}

// Ends the text's last line so that lines added after it stand on their own.
// A line that runs to the end may still be open: a backslash there takes the
// next line break, an open quote everything after it.
void endLastLine(std::string& text, std::string_view eol) {
    Line line, last;
    for (std::size_t pos = 0; nextLine(text, pos, line);) last = line;
    bool runsToEnd = !text.empty() && last.end == text.size();
    if (last.escaped) text += last.escaped == '\\' ? eol : last.escaped == '\r' ? "\n" : "\r";
    // An unclosed header runs to the end as well; the "]" keeps its name as it was.
    bool unclosedHeader = text[last.start] == '[' && text.find(']', last.start) == npos;
    if (last.inQuotes) text += unclosedHeader ? "]\"" : "\"";
    if (runsToEnd || (!text.empty() && !isBreak(text.back()))) text += eol;
}

}  // namespace

std::vector<std::string> panelNames(std::string_view configText) {
    return panelNamesIn(parsed(configText), configText);
}

std::vector<std::string> topPanels(std::string_view configText) {
    auto doc = parsed(configText);
    std::vector<std::string> top;
    for (auto& name : panelNamesIn(doc, configText)) {
        auto position = valueOf(doc, configText, name, "position");
        auto text = position ? string(*position) : std::nullopt;
        if (text && equalsIgnoringCase(*text, "top")) top.push_back(std::move(name));
    }
    return top;
}

bool isHidable(std::string_view configText, std::string_view panel) {
    if (panel.empty()) return false;
    auto value = valueOf(parsed(configText), configText, panel, hidableKey);
    return value && readsTrue(*value);
}

std::string withHidable(std::string_view configText, const std::vector<std::string>& panels,
                        bool hidable) {
    const auto doc = parsed(configText);
    // New lines end as the file's first one does.
    const auto lineFeed = configText.find('\n');
    const std::string eol =
        lineFeed != npos && lineFeed > 0 && configText[lineFeed - 1] == '\r' ? "\r\n" : "\n";
    const auto keyLine = std::string(hidableKey) + (hidable ? "=true" : "=false") + eol;
    std::vector<Edit> edits;
    std::vector<std::string_view> missing;
    bool keyLineAtEnd = false;
    std::unordered_set<std::string_view> done;
    for (const auto& panel : panels) {
        if (panel.empty() || !done.insert(panel).second) continue;
        auto found = doc.named.find(panel);
        if (found == doc.named.end()) {
            missing.push_back(panel);
            continue;
        }
        if (replaceHidable(doc, configText, found->second, hidable, edits)) continue;
        auto at = insertionPoint(configText, doc.sections[found->second.front()]);
        keyLineAtEnd |= at == npos;
        if (at != npos) edits.push_back({at, 0, keyLine});
    }
    auto out = applied(configText, std::move(edits));
    if (!keyLineAtEnd && missing.empty()) return out;
    endLastLine(out, eol);
    if (keyLineAtEnd) out += keyLine;
    for (auto name : missing) {
        if (!out.empty() && !out.ends_with(eol + eol)) out += eol;
        out += "[" + escapedName(name) + "]" + eol + keyLine;
    }
    return out;
}

}  // namespace host::lxqt
