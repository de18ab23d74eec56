#pragma once

// This process: its environment, the Linux system it runs on, and the
// application bundle around its executable.

#include <string>
#include <string_view>

#include "platform/ProcessInfo.h"

namespace host {

// The bundle of an executable at `X.app/Contents/MacOS/<name>`, from
// `X.app/Contents/Info.plist`. Keys the file lacks, and everything for an
// executable outside a bundle, take the values the program was built with;
// bundlePath is then empty.
platform::BundleInfo bundleInfoForExecutable(const std::string& executablePath);

// "PRETTY_NAME, Linux <kernel version>" from the text of os-release and the
// kernel release (uname), e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0".
std::string operatingSystemVersionText(std::string_view osRelease, std::string_view kernelRelease);

class HostProcessInfo : public platform::ProcessInfo {
public:
    // Reads the bundle of /proc/self/exe.
    HostProcessInfo();

    int processIdentifier() const override;
    std::optional<std::string> environment(const std::string& name) const override;
    std::string operatingSystemVersionString() const override;
    // Always 26. Decisions made on the major version belong to the desktop
    // the program models, and a Linux version number says nothing about it,
    // so the newest modelled system stands in.
    int operatingSystemMajorVersion() const override { return 26; }
    const platform::BundleInfo& mainBundle() const override { return bundle_; }
    void disableSuddenTermination() override { ++suddenTerminationDisablers_; }
    void enableSuddenTermination() override { --suddenTerminationDisablers_; }

    // Whether a request to end may end the process at once, for the run
    // loop to consult.
    bool suddenTerminationAllowed() const { return suddenTerminationDisablers_ <= 0; }

private:
    platform::BundleInfo bundle_;
    // An application starts with sudden termination disabled unless its
    // Info.plist declares support, which ours does not.
    int suddenTerminationDisablers_ = 1;
};

}  // namespace host
