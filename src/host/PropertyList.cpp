#include "host/PropertyList.h"

#include <fcntl.h>
#include <glib.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

// Notes on what libplist 2.2 does and how this file copes:
// - Its binary reader, its binary writer and plist_free recurse once per
//   nesting level, and the binary reader expands an object once per
//   reference, so a few hundred bytes can ask for billions of nodes. Input is
//   therefore checked for depth (and binary input for expansion) before
//   libplist sees it.
// - Integers: an unsigned value above INT64_MAX has no int64 form; it reads as
//   the nearest real rather than being dropped.
// - Dates: plist_get_date_val truncates to 32-bit seconds and loses the sign
//   of times between -1 and 0, and plist_new_date takes 32-bit seconds, so
//   dates travel through a one-object binary list that carries the double.
//   The XML form holds whole seconds of the years 1 to 9999; a date outside
//   is written as the nearest end of that range (not-a-number as the
//   reference date).
// - Text is a C string to libplist: it ends at the first NUL, when read and
//   when written.
// - UID, key and other nodes with no PropertyValue form are left out.

namespace host {
namespace {

using platform::Date;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

// Far deeper than any real property list, far shallower than the stack.
constexpr std::size_t maxDepth = 512;
// What binary input may expand to, a node counting as nodeCost bytes.
constexpr std::uint64_t maxExpandedCost = std::uint64_t{1} << 26;
constexpr std::uint64_t nodeCost = 32;

// 0001-01-01 and 9999-12-31T23:59:59 UTC, in seconds since 2001-01-01.
constexpr double earliestDate = -63113904000.0;
constexpr double latestDate = 252423993599.0;

struct NodeDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

// --- Limits of XML input ---

bool skipPast(std::string_view text, std::size_t& position, std::string_view terminator) {
    auto found = text.find(terminator, position);
    if (found == std::string_view::npos) return false;
    position = found + terminator.size();
    return true;
}

// Counts element nesting the way libplist's reader skips declarations,
// comments and CDATA, erring towards more depth, never less.
bool xmlWithinLimits(std::string_view text) {
    std::size_t depth = 0;
    std::size_t position = 0;
    while ((position = text.find('<', position)) != std::string_view::npos) {
        std::string_view rest = text.substr(position);
        bool closed = true;
        if (rest.starts_with("<!--")) {
            position += 4;
            closed = skipPast(text, position, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            position += 9;
            closed = skipPast(text, position, "]]>");
        } else if (rest.starts_with("<?")) {
            position += 2;
            closed = skipPast(text, position, "?>");
        } else if (rest.starts_with("<!")) {
            closed = skipPast(text, position, ">");
        } else if (rest.starts_with("</")) {
            if (depth > 0) --depth;
            position += 2;
        } else {
            auto end = text.find('>', position + 1);
            if (end == std::string_view::npos) return false;
            bool empty = text[end - 1] == '/';
            position = end + 1;
            if (!empty && ++depth > maxDepth) return false;
        }
        if (!closed) return false;
    }
    return true;
}

// --- Limits of binary input ---

class BinaryShape {
public:
    explicit BinaryShape(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // True when the list's references form no cycle, nest at most maxDepth
    // deep and expand to at most maxExpandedCost; false for anything malformed.
    bool withinLimits() {
        if (!readTrailer()) return false;
        std::vector<std::uint8_t> marks(objectCount_, unseen);
        std::vector<std::uint64_t> costs(objectCount_, 0);
        struct Frame {
            std::uint64_t object;
            std::vector<std::uint64_t> children;
            std::size_t next = 0;
        };
        std::vector<Frame> path;
        if (!enter(top_, path, marks)) return false;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.next < frame.children.size()) {
                std::uint64_t child = frame.children[frame.next++];
                if (marks[child] == open) return false;
                if (marks[child] == done) continue;
                if (path.size() >= maxDepth) return false;
                if (!enter(child, path, marks)) return false;
                continue;
            }
            std::uint64_t cost = leafCost_[frame.object];
            for (auto child : frame.children)
                cost = std::min(cost + costs[child], maxExpandedCost + 1);
            costs[frame.object] = cost;
            marks[frame.object] = done;
            path.pop_back();
        }
        return costs[top_] <= maxExpandedCost;
    }

private:
    static constexpr std::uint8_t unseen = 0, open = 1, done = 2;
    static constexpr std::uint8_t unchecked = 0, key = 1, notKey = 2;
    static constexpr std::size_t headerSize = 8, trailerSize = 32;

    template <typename Frame>
    bool enter(std::uint64_t object, std::vector<Frame>& path, std::vector<std::uint8_t>& marks) {
        std::vector<std::uint64_t> children;
        if (!readObject(object, children)) return false;
        marks[object] = open;
        path.push_back(Frame{object, std::move(children)});
        return true;
    }

    bool readTrailer() {
        if (bytes_.size() < headerSize + trailerSize) return false;
        const std::uint8_t* trailer = bytes_.data() + bytes_.size() - trailerSize;
        offsetSize_ = trailer[6];
        referenceSize_ = trailer[7];
        objectCount_ = readBigEndian(trailer + 8, 8);
        top_ = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        std::uint64_t end = bytes_.size() - trailerSize;
        if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8) {
            return false;
        }
        if (tableOffset_ < headerSize || tableOffset_ >= end) return false;
        if (objectCount_ == 0 || objectCount_ > (end - tableOffset_) / offsetSize_) return false;
        if (top_ >= objectCount_) return false;
        leafCost_.assign(objectCount_, nodeCost);
        keyChecks_.assign(objectCount_, unchecked);
        return true;
    }

    // Reads a count that follows a marker: its low nibble, or an integer
    // object after it when the nibble is 0xF.
    bool readCount(std::uint64_t& position, std::uint8_t marker, std::uint64_t& count) const {
        count = marker & 0x0F;
        if (count != 0x0F) return true;
        if (position >= tableOffset_) return false;
        std::uint8_t sizeMarker = bytes_[position++];
        if ((sizeMarker & 0xF0) != 0x10) return false;
        std::uint64_t width = std::uint64_t{1} << (sizeMarker & 0x0F);
        if (width > 8 || width > tableOffset_ - position) return false;
        count = readBigEndian(bytes_.data() + position, width);
        position += width;
        return true;
    }

    bool readObject(std::uint64_t object, std::vector<std::uint64_t>& children) {
        std::uint64_t offset =
            readBigEndian(bytes_.data() + tableOffset_ + object * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) return false;
        std::uint8_t marker = bytes_[offset];
        std::uint8_t type = marker >> 4;
        std::uint64_t position = offset + 1;
        bool isContainer = type == 0xA || type == 0xC || type == 0xD;
        bool hasPayload = type == 0x4 || type == 0x5 || type == 0x6;
        if (!isContainer && !hasPayload) return true;
        std::uint64_t count = 0;
        if (!readCount(position, marker, count)) return false;
        if (hasPayload) {
            // The payload's own bounds are libplist's to check; only its
            // size matters here, since every reference copies it.
            leafCost_[object] = nodeCost + std::min(count, maxExpandedCost) * 2;
            return true;
        }
        std::uint64_t references = type == 0xD ? count * 2 : count;
        if (count > (tableOffset_ - position) / referenceSize_ / (type == 0xD ? 2 : 1)) {
            return false;
        }
        children.reserve(references);
        for (std::uint64_t i = 0; i < references; ++i) {
            std::uint64_t child = readBigEndian(bytes_.data() + position, referenceSize_);
            if (child >= objectCount_) return false;
            if (type == 0xD && i < count && !checkedKey(child)) return false;
            children.push_back(child);
            position += referenceSize_;
        }
        return true;
    }

    // Keys shared by many dictionaries are looked at once.
    bool checkedKey(std::uint64_t object) {
        if (keyChecks_[object] == unchecked) keyChecks_[object] = isKey(object) ? key : notKey;
        return keyChecks_[object] == key;
    }

    // A text object without NUL: libplist asserts (and so aborts) on reading
    // a key that holds one.
    bool isKey(std::uint64_t object) const {
        std::uint64_t offset =
            readBigEndian(bytes_.data() + tableOffset_ + object * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) return false;
        std::uint8_t marker = bytes_[offset];
        std::uint8_t type = marker >> 4;
        if (type != 0x5 && type != 0x6) return false;
        std::uint64_t position = offset + 1;
        std::uint64_t count = 0;
        if (!readCount(position, marker, count)) return false;
        std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (count > (tableOffset_ - position) / unit) return false;
        const std::uint8_t* text = bytes_.data() + position;
        for (std::uint64_t i = 0; i < count; ++i) {
            if (unit == 1 ? text[i] == 0 : text[2 * i] == 0 && text[2 * i + 1] == 0) return false;
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    unsigned offsetSize_ = 0;
    unsigned referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::vector<std::uint64_t> leafCost_;
    std::vector<std::uint8_t> keyChecks_;
};

// --- libplist nodes to values ---

std::optional<PropertyValue> integerValue(plist_t node) {
    std::uint64_t bits = 0;
    plist_get_uint_val(node, &bits);
    if (bits <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
        return PropertyValue(std::int64_t(bits));
    }
    // A negative number and an unsigned one above INT64_MAX share these bits;
    // libplist marks the unsigned one as 128-bit, which only a comparison
    // with a plain 64-bit node reveals.
    Node plain(plist_new_uint(bits));
    if (plist_compare_node_value(node, plain.get())) return PropertyValue(std::int64_t(bits));
    return PropertyValue(double(bits));
}

double dateSeconds(plist_t node) {
    char* binary = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &binary, &length);
    double seconds = 0;
    // "bplist00", then the date object: marker 0x33 and a big-endian double.
    if (binary && length >= 17 && std::uint8_t(binary[8]) == 0x33) {
        std::uint64_t bits = readBigEndian(reinterpret_cast<std::uint8_t*>(binary) + 9, 8);
        std::memcpy(&seconds, &bits, sizeof seconds);
    } else {
        std::int32_t wholeSeconds = 0, microseconds = 0;
        plist_get_date_val(node, &wholeSeconds, &microseconds);
        seconds = wholeSeconds + microseconds / 1e6;
    }
    plist_to_bin_free(binary);
    return seconds;
}

class Reader {
public:
    // Absent for a node with no PropertyValue form.
    std::optional<PropertyValue> read(plist_t node) {
        switch (plist_get_node_type(node)) {
            case PLIST_BOOLEAN: {
                std::uint8_t value = 0;
                plist_get_bool_val(node, &value);
                return PropertyValue(value != 0);
            }
            case PLIST_UINT:
                return integerValue(node);
            case PLIST_REAL: {
                double value = 0;
                plist_get_real_val(node, &value);
                return PropertyValue(value);
            }
            case PLIST_STRING: {
                const char* text = plist_get_string_ptr(node, nullptr);
                return PropertyValue(std::string(text ? text : ""));
            }
            case PLIST_DATE:
                return PropertyValue(Date{dateSeconds(node)});
            case PLIST_DATA: {
                std::uint64_t length = 0;
                auto* bytes =
                    reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &length));
                return PropertyValue(bytes ? platform::Data(bytes, bytes + length)
                                           : platform::Data());
            }
            case PLIST_ARRAY:
                return nested([&] { return readArray(node); });
            case PLIST_DICT:
                return nested([&] { return readDictionary(node); });
            default:
                return std::nullopt;
        }
    }

    bool tooDeep() const { return tooDeep_; }

private:
    template <typename Function>
    std::optional<PropertyValue> nested(Function read) {
        if (depth_ >= maxDepth) {
            tooDeep_ = true;
            return std::nullopt;
        }
        ++depth_;
        PropertyValue value = read();
        --depth_;
        return value;
    }

    PropertyValue readArray(plist_t node) {
        PropertyArray array;
        std::uint32_t size = plist_array_get_size(node);
        for (std::uint32_t i = 0; i < size && !tooDeep_; ++i) {
            if (auto item = read(plist_array_get_item(node, i))) array.push_back(std::move(*item));
        }
        return array;
    }

    PropertyValue readDictionary(plist_t node) {
        PropertyDictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        while (iterator && !tooDeep_) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            std::unique_ptr<char, decltype(&std::free)> ownedKey(key, &std::free);
            if (!item) break;
            if (!key) continue;
            if (auto value = read(item)) dictionary.insert_or_assign(key, std::move(*value));
        }
        std::free(iterator);
        return dictionary;
    }

    std::size_t depth_ = 0;
    bool tooDeep_ = false;
};

// --- Values to libplist nodes ---

plist_t newDate(double seconds) {
    if (std::isnan(seconds)) seconds = 0;
    seconds = std::clamp(seconds, earliestDate, latestDate);
    // "bplist00", the date object at offset 8, a one-entry offset table and
    // the trailer: 1-byte offsets and references, one object, top object 0,
    // offset table at 17.
    std::array<std::uint8_t, 50> binary{'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x33};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    for (int i = 0; i < 8; ++i) binary[9 + i] = std::uint8_t(bits >> (56 - 8 * i));
    binary[17] = 8;
    binary[24] = 1;
    binary[25] = 1;
    binary[33] = 1;
    binary[49] = 17;
    plist_t node = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(binary.data()), binary.size(), &node);
    if (node) return node;
    return plist_new_date(0, 0);
}

plist_t newNode(const PropertyValue& value);

struct NodeMaker {
    plist_t operator()(const std::string& text) const { return plist_new_string(text.c_str()); }
    plist_t operator()(std::int64_t integer) const {
        return plist_new_uint(std::uint64_t(integer));
    }
    plist_t operator()(double real) const { return plist_new_real(real); }
    plist_t operator()(bool boolean) const { return plist_new_bool(boolean ? 1 : 0); }
    plist_t operator()(Date date) const { return newDate(date.secondsSinceReferenceDate); }
    plist_t operator()(const platform::Data& data) const {
        static const char nothing = 0;
        const char* bytes = data.empty() ? &nothing : reinterpret_cast<const char*>(data.data());
        return plist_new_data(bytes, data.size());
    }
    plist_t operator()(const PropertyValue::SharedArray& array) const {
        plist_t node = plist_new_array();
        for (const auto& item : *array) plist_array_append_item(node, newNode(item));
        return node;
    }
    plist_t operator()(const PropertyValue::SharedDictionary& dictionary) const {
        plist_t node = plist_new_dict();
        for (const auto& [key, item] : *dictionary) {
            plist_dict_set_item(node, key.c_str(), newNode(item));
        }
        return node;
    }
};

plist_t newNode(const PropertyValue& value) {
    return std::visit(NodeMaker{}, value.storage());
}

bool isBinary(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view magic = "bplist00";
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool startsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// XML text as UTF-8 without a byte-order mark, as libplist reads it: other
// programs' writers put a UTF-8 mark in front, or write UTF-16 with one.
// Converted text is kept in `storage`. Absent when UTF-16 does not convert.
std::optional<std::span<const std::uint8_t>> utf8Text(std::span<const std::uint8_t> bytes,
                                                      std::vector<std::uint8_t>& storage) {
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) return bytes.subspan(3);
    const char* encoding = startsWith(bytes, {0xFF, 0xFE})   ? "UTF-16LE"
                           : startsWith(bytes, {0xFE, 0xFF}) ? "UTF-16BE"
                                                             : nullptr;
    if (!encoding) return bytes;
    gsize length = 0;
    g_autofree char* converted =
        g_convert(reinterpret_cast<const char*>(bytes.data()) + 2, gssize(bytes.size() - 2),
                  "UTF-8", encoding, nullptr, &length, nullptr);
    if (!converted) return std::nullopt;
    // The declaration still names UTF-16; libplist goes by the bytes.
    storage.assign(converted, converted + length);
    return std::span<const std::uint8_t>(storage);
}

std::optional<PropertyValue> parseBytes(std::span<const std::uint8_t> bytes, bool binary) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const char* text = reinterpret_cast<const char*>(bytes.data());
    auto length = std::uint32_t(bytes.size());
    plist_t root = nullptr;
    if (binary) {
        if (!BinaryShape(bytes).withinLimits()) return std::nullopt;
        plist_from_bin(text, length, &root);
    } else {
        if (!xmlWithinLimits({text, bytes.size()})) return std::nullopt;
        plist_from_xml(text, length, &root);
    }
    if (!root) return std::nullopt;
    Node owner(root);
    Reader reader;
    auto value = reader.read(root);
    if (reader.tooDeep()) return std::nullopt;
    return value;
}

std::optional<std::string> unstorableString(const std::string& text) {
    const char* end = nullptr;
    if (!g_utf8_validate(text.data(), gssize(text.size()), &end)) return text;
    for (const char* c = text.data(); c < end; c = g_utf8_next_char(c)) {
        gunichar character = g_utf8_get_char(c);
        bool control = character < 0x20 && character != '\t' && character != '\n' && character != '\r';
        if (control || character == 0xFFFE || character == 0xFFFF) return text;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PropertyValue> parsePropertyList(std::span<const std::uint8_t> bytes) {
    if (isBinary(bytes)) return parseBytes(bytes, true);
    std::vector<std::uint8_t> storage;
    auto text = utf8Text(bytes, storage);
    if (!text) return std::nullopt;
    return parseBytes(*text, false);
}

std::optional<std::string> firstUnstorableText(const PropertyValue& value) {
    if (const auto* text = value.text()) return unstorableString(*text);
    if (const auto* array = value.array()) {
        for (const auto& element : *array) {
            if (auto bad = firstUnstorableText(element)) return bad;
        }
    }
    if (const auto* dictionary = value.dictionary()) {
        for (const auto& [key, element] : *dictionary) {
            if (auto bad = unstorableString(key)) return bad;
            if (auto bad = firstUnstorableText(element)) return bad;
        }
    }
    return std::nullopt;
}


std::optional<PropertyValue> readPropertyListFile(const std::string& path) {
    // Non-blocking so that a FIFO in the file's place cannot hang the caller.
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    struct stat status {};
    bool readable = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    while (readable && bytes.size() <= std::numeric_limits<std::uint32_t>::max()) {
        std::array<std::uint8_t, 65536> buffer;
        ssize_t count = read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) readable = false;
        if (count <= 0) break;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + count);
    }
    close(descriptor);
    if (!readable) return std::nullopt;
    return parsePropertyList(bytes);
}

std::string xmlPropertyList(const PropertyValue& value) {
    Node root(newNode(value));
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

}  // namespace host
