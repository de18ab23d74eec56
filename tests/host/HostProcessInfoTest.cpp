#include <gtest/gtest.h>

#include "host/HostProcessInfo.h"
#include "host/PropertyList.h"
#include "support/Process.h"

namespace {

TEST(BundleInfoTest, ReadsInfoPlistOfTheBundleAroundTheExecutableElseTheBuiltInValuesOutsideBundles) {
    support::TemporaryDirectory home;
    const std::string bundle = home.path() + "/Fake.app";
    const std::string executable = bundle + "/Contents/MacOS/fake";
    auto writeInfo = [&](const std::string& folder, const platform::PropertyDictionary& keys) {
        support::writeFile(folder + "/Contents/Info.plist", host::xmlPropertyList(keys));
    };
    writeInfo(bundle, {{"CFBundleIdentifier", "com.example.Fake"},
                       {"CFBundleName", "Fake"},
                       {"CFBundleShortVersionString", "2.5"},
                       {"CFBundleVersion", "42"}});
    EXPECT_EQ(host::bundleInfoForExecutable(executable),
              (platform::BundleInfo{"com.example.Fake", "Fake", "2.5", "42", bundle, executable}));

    writeInfo(bundle, {{"CFBundleVersion", "42"}, {"CFBundleName", 3}});
    // Another bundle's missing keys stay missing: it must not pass for us.
    auto partial = host::bundleInfoForExecutable(executable);
    EXPECT_EQ(partial.identifier, "");
    EXPECT_EQ(partial.name, "");
    EXPECT_EQ(partial.version, "42");
    EXPECT_EQ(partial.bundlePath, bundle);

    auto loose = host::bundleInfoForExecutable(home.path() + "/bin/fake");
    EXPECT_EQ(loose.bundlePath, "");
    EXPECT_EQ(loose.executablePath, home.path() + "/bin/fake");
    // Not a bundle's layout: Contents/MacOS but no .app around it.
    writeInfo(home.path() + "/Fake", {});
    EXPECT_EQ(host::bundleInfoForExecutable(home.path() + "/Fake/Contents/MacOS/fake").bundlePath,
              "");
}

TEST(HostProcessInfoTest, DescribesThisProcessAndCountsSuddenTerminationStartingDisabled) {
    host::HostProcessInfo info;
    // The test program does not run from a bundle.
    EXPECT_EQ(info.mainBundle().bundlePath, "");
    EXPECT_NE(info.mainBundle().executablePath, "");
    EXPECT_NE(info.operatingSystemVersionString().find("Linux "), std::string::npos);

    EXPECT_FALSE(info.suddenTerminationAllowed());
    info.enableSuddenTermination();
    EXPECT_TRUE(info.suddenTerminationAllowed());
    info.disableSuddenTermination();
    info.disableSuddenTermination();
    info.enableSuddenTermination();
    EXPECT_FALSE(info.suddenTerminationAllowed());
}

TEST(OperatingSystemVersionTest, CombinesPrettyNameAndKernelVersion) {
    EXPECT_EQ(host::operatingSystemVersionText(
                  "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
                  "6.1.0-18-amd64"),
              "Debian GNU/Linux 12 (bookworm), Linux 6.1.0");
    EXPECT_EQ(host::operatingSystemVersionText("PRETTY_NAME='A \\'B\\''", "6.8.0"),
              "A 'B', Linux 6.8.0");
    EXPECT_EQ(host::operatingSystemVersionText("PRETTY_NAME=Plain\n", "5.15"), "Plain, Linux 5.15");
    EXPECT_EQ(host::operatingSystemVersionText("", "6.1.0"), "Linux 6.1.0");
}

}  // namespace
