#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>

#include "host/PlistPreferenceDomains.h"
#include "host/PropertyList.h"
#include "support/Process.h"

namespace {

using platform::Date;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

constexpr const char* domain = "app.tarnwick.Test";

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::optional<PropertyValue> parse(const std::string& bytes) {
    return host::parsePropertyList(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::string xmlDocument(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>\n";
}

class PlistPreferenceDomainsTest : public testing::Test {
protected:
    std::string folder() const { return home_.path() + "/Preferences"; }
    std::string file(const std::string& name = domain) const {
        return folder() + "/" + name + ".plist";
    }
    // What another process would read: a fresh object with nothing pending.
    std::optional<PropertyValue> stored(const std::string& key, const std::string& name = domain) {
        return host::PlistPreferenceDomains(folder()).copyValue(name, key);
    }
    void storeFrom(host::PlistPreferenceDomains& other, const std::string& key,
                   PropertyValue value) {
        other.setValue(domain, key, std::move(value));
        ASSERT_TRUE(other.synchronize(domain));
    }

    support::TemporaryDirectory home_;
    host::PlistPreferenceDomains preferences_{folder()};
};

TEST_F(PlistPreferenceDomainsTest, EveryValueTypeSurvivesTheXmlFile) {
    PropertyDictionary values{
        {"text", "Grüße <&> \"quoted\""},
        {"empty text", ""},
        {"negative", std::int64_t{-42}},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"real", 0.1},
        {"tiny real", -4.9e-324},
        {"true", true},
        {"false", false},
        {"zero", 0},
        {"date", Date{-978307200}},
        {"far future", Date{63113904000}},
        {"data", platform::Data{0, 1, 0xFF, 0}},
        {"no data", platform::Data{}},
        {"nested", PropertyArray{1, "two", PropertyDictionary{{"three", 3.5}}, PropertyArray{}}},
        {"no keys", PropertyDictionary{}},
    };
    for (const auto& [key, value] : values) preferences_.setValue(domain, key, value);
    preferences_.setValue(platform::PreferenceDomains::globalDomain, "AppleLocale", "de_CH");
    ASSERT_TRUE(preferences_.synchronize(domain));
    ASSERT_TRUE(preferences_.synchronize(platform::PreferenceDomains::globalDomain));

    EXPECT_EQ(support::readFile(file()).rfind("<?xml", 0), 0u);
    for (const auto& [key, value] : values) EXPECT_EQ(stored(key), value) << key;
    EXPECT_TRUE(support::fileExists(folder() + "/.GlobalPreferences.plist"));
    EXPECT_EQ(stored("AppleLocale", ".GlobalPreferences"), PropertyValue("de_CH"));
}

TEST_F(PlistPreferenceDomainsTest, BinaryFilesAreReadAndRewrittenAsXmlWithTheirKeys) {
    std::unique_ptr<void, decltype(&plist_free)> root(plist_new_dict(), &plist_free);
    plist_dict_set_item(root.get(), "name", plist_new_string("binary"));
    plist_dict_set_item(root.get(), "count", plist_new_uint(std::uint64_t(-3)));
    plist_dict_set_item(root.get(), "when", plist_new_date(-1, -500000));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    support::writeFile(file(), std::string(bytes, length));
    plist_to_bin_free(bytes);

    EXPECT_EQ(preferences_.copyValue(domain, "name"), PropertyValue("binary"));
    EXPECT_EQ(preferences_.copyValue(domain, "count"), PropertyValue(-3));
    EXPECT_EQ(preferences_.copyValue(domain, "when"), PropertyValue(Date{-1.5}));

    storeFrom(preferences_, "added", true);
    EXPECT_EQ(support::readFile(file()).rfind("<?xml", 0), 0u);
    EXPECT_EQ(stored("name"), PropertyValue("binary"));
    EXPECT_EQ(stored("count"), PropertyValue(-3));
    EXPECT_EQ(stored("added"), PropertyValue(true));
}

TEST_F(PlistPreferenceDomainsTest, AFileThatDoesNotParseReadsAsEmptyAndIsKeptAsideByAWrite) {
    const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>half";
    support::writeFile(file(), garbage);
    EXPECT_EQ(preferences_.copyValue(domain, "half"), std::nullopt);
    EXPECT_EQ(preferences_.copyValue(domain, "anything"), std::nullopt);
    EXPECT_EQ(support::readFile(file()), garbage);
    EXPECT_EQ(filesIn(folder()), std::set<std::string>{domain + std::string(".plist")});

    storeFrom(preferences_, "fresh", 1);
    EXPECT_EQ(support::readFile(file() + ".unreadable"), garbage);
    EXPECT_EQ(stored("fresh"), PropertyValue(1));

    // A second bad file does not replace the first one kept aside.
    const std::string array = xmlDocument("<array><string>not a dictionary</string></array>");
    support::writeFile(file(), array);
    EXPECT_EQ(preferences_.copyValue(domain, "fresh"), std::nullopt);
    storeFrom(preferences_, "fresh", 2);
    EXPECT_EQ(support::readFile(file() + ".unreadable"), garbage);
    EXPECT_EQ(support::readFile(file() + ".unreadable-2"), array);
    EXPECT_EQ(stored("fresh"), PropertyValue(2));
}

TEST_F(PlistPreferenceDomainsTest, PendingChangesAnswerReadsAndOnlyThoseAreWritten) {
    host::PlistPreferenceDomains other(folder());
    storeFrom(other, "kept", "theirs");
    storeFrom(other, "removed", "theirs");

    preferences_.setValue(domain, "removed", std::nullopt);
    preferences_.setValue(domain, "mine", 7);
    EXPECT_EQ(preferences_.copyValue(domain, "removed"), std::nullopt);
    EXPECT_EQ(preferences_.copyValue(domain, "mine"), PropertyValue(7));
    EXPECT_EQ(stored("removed"), PropertyValue("theirs"));
    EXPECT_EQ(stored("mine"), std::nullopt);

    // Written by another writer after our changes were made, and not ours to touch.
    storeFrom(other, "late", "theirs");
    ASSERT_TRUE(preferences_.synchronize(domain));
    EXPECT_EQ(stored("removed"), std::nullopt);
    EXPECT_EQ(stored("mine"), PropertyValue(7));
    EXPECT_EQ(stored("kept"), PropertyValue("theirs"));
    EXPECT_EQ(stored("late"), PropertyValue("theirs"));
    EXPECT_TRUE(preferences_.synchronize(domain));
}

TEST_F(PlistPreferenceDomainsTest, AFailedWriteKeepsTheChangePendingAndTheFileAsItWas) {
    // Root ignores permission bits, so these failures come from the shape of
    // the folder and from a file size limit.
    support::writeFile(home_.path() + "/not-a-folder", "");
    host::PlistPreferenceDomains blocked(home_.path() + "/not-a-folder");
    blocked.setValue(domain, "key", "value");
    EXPECT_FALSE(blocked.synchronize(domain));
    EXPECT_EQ(blocked.copyValue(domain, "key"), PropertyValue("value"));

    storeFrom(preferences_, "key", "old");
    const std::string before = support::readFile(file());
    std::filesystem::remove(file() + ".lock");
    std::filesystem::create_directory(file() + ".lock");
    preferences_.setValue(domain, "key", "new");
    EXPECT_FALSE(preferences_.synchronize(domain));
    EXPECT_EQ(preferences_.copyValue(domain, "key"), PropertyValue("new"));
    EXPECT_EQ(support::readFile(file()), before);

    std::filesystem::remove(file() + ".lock");
    support::ChildProcess limited(
        {HOST_TEST_HELPER, "write-beyond-size-limit", folder(), domain, "key"});
    EXPECT_EQ(limited.wait(), 0) << limited.stderrText();
    EXPECT_EQ(support::readFile(file()), before);

    EXPECT_TRUE(preferences_.synchronize(domain));
    EXPECT_EQ(stored("key"), PropertyValue("new"));
    EXPECT_EQ(filesIn(folder()), (std::set<std::string>{domain + std::string(".plist"),
                                                        domain + std::string(".plist.lock")}));
}

TEST_F(PlistPreferenceDomainsTest, AFileReplacedByAFolderIsNotWrittenOver) {
    std::filesystem::create_directories(file());
    preferences_.setValue(domain, "key", "value");
    EXPECT_FALSE(preferences_.synchronize(domain));
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_EQ(filesIn(folder()), (std::set<std::string>{domain + std::string(".plist"),
                                                        domain + std::string(".plist.lock")}));
}

TEST_F(PlistPreferenceDomainsTest, AReadOnlyFolderFailsTheWrite) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    storeFrom(preferences_, "key", "old");
    const std::string before = support::readFile(file());
    ASSERT_EQ(chmod(folder().c_str(), 0555), 0);
    preferences_.setValue(domain, "key", "new");
    EXPECT_FALSE(preferences_.synchronize(domain));
    EXPECT_EQ(preferences_.copyValue(domain, "key"), PropertyValue("new"));
    EXPECT_EQ(support::readFile(file()), before);
    ASSERT_EQ(chmod(folder().c_str(), 0755), 0);
    EXPECT_TRUE(preferences_.synchronize(domain));
    EXPECT_EQ(stored("key"), PropertyValue("new"));
}

TEST_F(PlistPreferenceDomainsTest, NamesThatAreNotFileNamesHoldNothing) {
    for (const auto& name :
         std::vector<std::string>{"", ".", "..", "../escape", "a/b", std::string("nul\0x", 5)}) {
        preferences_.setValue(name, "key", "value");
        EXPECT_EQ(preferences_.copyValue(name, "key"), std::nullopt) << name;
        EXPECT_FALSE(preferences_.synchronize(name)) << name;
    }
    EXPECT_FALSE(support::fileExists(folder()));
    EXPECT_FALSE(support::fileExists(home_.path() + "/escape.plist"));
}

TEST_F(PlistPreferenceDomainsTest, ConcurrentWritersLoseNoKeys) {
    constexpr int writers = 8, keysEach = 25;
    std::vector<std::unique_ptr<support::ChildProcess>> children;
    for (int writer = 0; writer < writers; ++writer) {
        children.push_back(std::make_unique<support::ChildProcess>(std::vector<std::string>{
            HOST_TEST_HELPER, "write-keys", folder(), domain, "w" + std::to_string(writer) + "-",
            std::to_string(keysEach)}));
    }
    for (auto& child : children) {
        EXPECT_EQ(child->wait(std::chrono::seconds(60)), 0) << child->stderrText();
    }
    host::PlistPreferenceDomains reader(folder());
    for (int writer = 0; writer < writers; ++writer) {
        for (int number = 0; number < keysEach; ++number) {
            auto key = "w" + std::to_string(writer) + "-" + std::to_string(number);
            EXPECT_EQ(reader.copyValue(domain, key), PropertyValue(number)) << key;
        }
    }
    EXPECT_EQ(filesIn(folder()), (std::set<std::string>{domain + std::string(".plist"),
                                                        domain + std::string(".plist.lock")}));
}

TEST_F(PlistPreferenceDomainsTest, AnotherProcessWriteIsSeenByTheNextRead) {
    storeFrom(preferences_, "shared0", 42);
    EXPECT_EQ(preferences_.copyValue(domain, "shared0"), PropertyValue(42));
    support::ChildProcess child({HOST_TEST_HELPER, "write-keys", folder(), domain, "shared", "2"});
    ASSERT_EQ(child.wait(), 0) << child.stderrText();
    EXPECT_EQ(preferences_.copyValue(domain, "shared0"), PropertyValue(0));
    EXPECT_EQ(preferences_.copyValue(domain, "shared1"), PropertyValue(1));
}

TEST(PlistPreferenceDomainsFolder, FollowsTheXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    if (!std::getenv("HOME")) setenv("HOME", "/home/someone", 1);
    const std::string home = std::getenv("HOME");

    setenv("XDG_CONFIG_HOME", "/srv/config", 1);
    EXPECT_EQ(host::PlistPreferenceDomains::defaultFolder(), "/srv/config/Preferences");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(host::PlistPreferenceDomains::defaultFolder(), home + "/.config/Preferences");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(host::PlistPreferenceDomains::defaultFolder(), home + "/.config/Preferences");

    if (previous) setenv("XDG_CONFIG_HOME", previous->c_str(), 1);
}

// --- The property-list reader on its own ---

std::string bigEndian(std::uint64_t value, int width) {
    std::string bytes;
    for (int i = width - 1; i >= 0; --i) bytes += char(value >> (8 * i));
    return bytes;
}

// A binary list of the given objects, with 4-byte offsets and references;
// the first object is the top one.
std::string binaryList(const std::vector<std::string>& objects) {
    std::string bytes = "bplist00";
    std::string offsets;
    for (const auto& object : objects) {
        offsets += bigEndian(bytes.size(), 4);
        bytes += object;
    }
    std::uint64_t tableOffset = bytes.size();
    bytes += offsets;
    bytes += std::string(6, '\0') + '\4' + '\4';
    bytes += bigEndian(objects.size(), 8) + bigEndian(0, 8) + bigEndian(tableOffset, 8);
    return bytes;
}

std::string dateObject(double seconds) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    return "\x33" + bigEndian(bits, 8);
}

// An array object (at most 14 entries) referring to the given objects.
std::string arrayObject(const std::vector<std::uint32_t>& references) {
    std::string object(1, char(0xA0 | references.size()));
    for (auto reference : references) object += bigEndian(reference, 4);
    return object;
}

TEST(PropertyList, IntegersKeepTheirSignAndHugeUnsignedOnesBecomeReals) {
    auto value =
        parse(xmlDocument("<array><integer>-5</integer><integer>-9223372036854775808</integer>"
                          "<integer>18446744073709551615</integer><true/><real>2</real></array>"));
    ASSERT_TRUE(value && value->array());
    EXPECT_EQ(*value->array(), (PropertyArray{-5, std::numeric_limits<std::int64_t>::min(),
                                              18446744073709551615.0, true, 2.0}));
}

TEST(PropertyList, DatesKeepTheirFullRange) {
    // Half a second before the reference date, and far beyond 32-bit seconds.
    auto binary =
        binaryList({arrayObject({1, 2, 3}), dateObject(-0.5), dateObject(1e15), dateObject(-1e15)});
    auto value = parse(binary);
    ASSERT_TRUE(value && value->array());
    PropertyArray dates{Date{-0.5}, Date{1e15}, Date{-1e15}};
    EXPECT_EQ(*value->array(), dates);

    // XML holds whole seconds of the years 1 to 9999.
    auto written = parse(host::xmlPropertyList(*value));
    PropertyArray clamped{Date{0}, Date{252423993599}, Date{-63113904000}};
    EXPECT_EQ(written, PropertyValue(clamped));
    auto notANumber = parse(host::xmlPropertyList(Date{std::nan("")}));
    EXPECT_EQ(notANumber, PropertyValue(Date{0}));
}

TEST(PropertyList, HostileInputIsRefusedQuickly) {
    std::string deepXml;
    for (int i = 0; i < 1'000'000; ++i) deepXml += "<array>";
    EXPECT_EQ(parse(xmlDocument(deepXml)), std::nullopt);

    std::vector<std::string> chain;
    for (std::uint32_t i = 1; i < 200'000; ++i) chain.push_back(arrayObject({i}));
    chain.push_back(arrayObject({}));
    EXPECT_EQ(parse(binaryList(chain)), std::nullopt);

    // Each level refers twice to the next: 2^60 nodes once expanded.
    std::vector<std::string> doubling;
    for (std::uint32_t i = 1; i < 60; ++i) doubling.push_back(arrayObject({i, i}));
    doubling.push_back("\x09");
    EXPECT_EQ(parse(binaryList(doubling)), std::nullopt);

    EXPECT_EQ(parse(binaryList({arrayObject({0})})), std::nullopt);
    EXPECT_EQ(parse(binaryList({arrayObject({7})})), std::nullopt);
    EXPECT_EQ(parse(binaryList({"\xAF\x10"})), std::nullopt);
    EXPECT_EQ(parse("bplist00"), std::nullopt);
    EXPECT_EQ(parse(""), std::nullopt);

    // Sharing and nesting within reason are fine.
    std::vector<std::string> shallow;
    for (std::uint32_t i = 1; i < 12; ++i) shallow.push_back(arrayObject({i, i}));
    shallow.push_back("\x09");
    EXPECT_TRUE(parse(binaryList(shallow)));
    std::string nested;
    for (int i = 0; i < 100; ++i) nested = "<array>" + nested + "</array>";
    EXPECT_TRUE(parse(xmlDocument(nested)));
}

}  // namespace
