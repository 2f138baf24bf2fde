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

bool SystemBatteryPlatform::ReadBatteryRegistry(PlatformProperties& properties) {
    CFMutableDictionaryRef matching = IOServiceMatching("AppleSmartBattery");
    // The lookup consumes the matching dictionary.
    const ServiceHolder service(IOServiceGetMatchingService(kIOMainPortDefault, matching));
    CFMutableDictionaryRef entry = nullptr;
    const bool read = service.get() != IO_OBJECT_NULL &&
                      IORegistryEntryCreateCFProperties(service.get(), &entry, kCFAllocatorDefault,
                                                        0) == KERN_SUCCESS;
    const OwnedCF owned_entry(entry);
    read_cf_properties(read ? entry : nullptr, properties);
    return read && entry;
}

bool SystemBatteryPlatform::ReadFirstPowerSource(PlatformProperties& properties) {
    const OwnedCF info(IOPSCopyPowerSourcesInfo());
    const OwnedCF list(info ? IOPSCopyPowerSourcesList(info.get()) : nullptr);
    const void* source = list ? first_source(static_cast<CFArrayRef>(list.get())) : nullptr;
    // Borrowed from the info object.
    CFDictionaryRef description =
        source ? IOPSGetPowerSourceDescription(info.get(), source) : nullptr;
    read_cf_properties(description, properties);
    return description != nullptr;
}

const rt::String& SystemBatteryPlatform::CurrentLocaleIdentifier() {
    const int64_t locale = rt::SendNativeMessage(nullptr, 0, u"NSLocale currentLocale");
    const int64_t identifier = rt::SendNativeMessage(nullptr, locale, u"localeIdentifier");
    const int64_t utf8 = rt::SendNativeMessage(nullptr, identifier, u"UTF8String");
    const char* text = utf8 ? reinterpret_cast<const char*>(utf8) : "";
    if (!m_locale_identifier.same_as_utf8(text)) m_locale_identifier = rt::String::from_utf8(text);
    return m_locale_identifier;
}

} // namespace battery
