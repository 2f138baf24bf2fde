#include "battery/platform/system_battery_platform.h"

#include "battery/platform/cf_property_reader.h"
#include "platform/foundation/core_foundation.h"
#include "platform/iokit/io_kit.h"
#include "platform/iokit/power_sources.h"
#include "runtime/ui/native_message.h"

#include <memory>

namespace battery {
namespace {

struct CFReleaser {
    void operator()(const void* object) const { CFRelease(object); }
};
// A Core Foundation object this code created or copied, released when the holder ends.
using OwnedCF = std::unique_ptr<const void, CFReleaser>;

// A registry service object, released when the holder ends.
class ServiceHolder {
  public:
    explicit ServiceHolder(io_service_t service) : m_service(service) {}
    ~ServiceHolder() {
        if (m_service != IO_OBJECT_NULL) IOObjectRelease(m_service);
    }
    ServiceHolder(const ServiceHolder&) = delete;
    ServiceHolder& operator=(const ServiceHolder&) = delete;

    io_service_t get() const { return m_service; }

  private:
    io_service_t m_service;
};

// The first element of the list; null for an empty list, where the message would raise.
const void* first_source(CFArrayRef list) {
    if (CFArrayGetCount(list) < 1) return nullptr;
    return reinterpret_cast<const void*>(
        rt::SendNativeMessage(nullptr, list, u"objectAtIndex:", 0));
}

} // namespace

std::optional<PlatformProperties> SystemBatteryPlatform::ReadBatteryRegistry() {
    CFMutableDictionaryRef matching = IOServiceMatching("AppleSmartBattery");
    // The lookup consumes the matching dictionary.
    const ServiceHolder service(IOServiceGetMatchingService(kIOMainPortDefault, matching));
    if (service.get() == IO_OBJECT_NULL) return std::nullopt;
    CFMutableDictionaryRef properties = nullptr;
    const kern_return_t result =
        IORegistryEntryCreateCFProperties(service.get(), &properties, kCFAllocatorDefault, 0);
    const OwnedCF owned_properties(properties);
    if (result != KERN_SUCCESS || !properties) return std::nullopt;
    return read_cf_properties(properties);
}

std::optional<PlatformProperties> SystemBatteryPlatform::ReadFirstPowerSource() {
    const OwnedCF info(IOPSCopyPowerSourcesInfo());
    if (!info) return std::nullopt;
    const OwnedCF list(IOPSCopyPowerSourcesList(info.get()));
    if (!list) return std::nullopt;
    const void* source = first_source(static_cast<CFArrayRef>(list.get()));
    if (!source) return std::nullopt;
    // Borrowed from the info object.
    CFDictionaryRef description = IOPSGetPowerSourceDescription(info.get(), source);
    if (!description) return std::nullopt;
    return read_cf_properties(description);
}

rt::String SystemBatteryPlatform::CurrentLocaleIdentifier() {
    const int64_t locale = rt::SendNativeMessage(nullptr, 0, u"NSLocale currentLocale");
    const int64_t identifier = rt::SendNativeMessage(nullptr, locale, u"localeIdentifier");
    const int64_t utf8 = rt::SendNativeMessage(nullptr, identifier, u"UTF8String");
    if (utf8 == 0) return {};
    return rt::String::from_utf8(reinterpret_cast<const char*>(utf8));
}

} // namespace battery
