#include "fakes/FakeMenuBarServices.h"

namespace fakes {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::WindowInfoKeys;

void FakeWindowList::addWindow(int layer, double x, double y, double width, double height, std::string owner,
                               double alpha) {
    PropertyArray list = windows && windows->array() ? *windows->array() : PropertyArray{};
    PropertyDictionary bounds{{"X", x}, {"Y", y}, {"Width", width}, {"Height", height}};
    list.emplace_back(PropertyDictionary{{Keys::layer, layer},
                                         {Keys::bounds, bounds},
                                         {Keys::alpha, alpha},
                                         {Keys::ownerName, std::move(owner)}});
    windows = PropertyValue(std::move(list));
}

std::optional<platform::EventMonitorId> FakeGlobalEventMonitor::addGlobalMonitor(std::uint64_t mask, Handler handler) {
    ++installs;
    if (failInstalling) return std::nullopt;
    auto id = nextId_++;
    monitors.emplace(id, Installed{mask, std::move(handler)});
    return id;
}

void FakeGlobalEventMonitor::press(const platform::GlobalMouseEvent& event) {
    auto copy = monitors;
    for (auto& [id, monitor] : copy) {
        if (monitor.mask & (std::uint64_t{1} << event.type)) monitor.handler(event);
    }
}

}  // namespace fakes
