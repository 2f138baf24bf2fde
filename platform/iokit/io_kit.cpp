#include "platform/iokit/io_kit.h"

#include "platform/iokit/battery_provider.h"

#include <mutex>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::u16string_view k_battery_class = u"AppleSmartBattery";

// The live service objects, all of them the battery. Numbers are handed out in order, never 0.
class ServiceTable {
  public:
    io_service_t open() {
        std::lock_guard lock(m_mutex);
        if (++m_last == IO_OBJECT_NULL) ++m_last;
        m_live.insert(m_last);
        return m_last;
    }
    bool is_live(io_object_t object) {
        std::lock_guard lock(m_mutex);
        return m_live.contains(object);
    }
    bool close(io_object_t object) {
        std::lock_guard lock(m_mutex);
        return m_live.erase(object) > 0;
    }

  private:
    std::mutex m_mutex;
    std::unordered_set<io_object_t> m_live;
    io_object_t m_last = 0x2F00;
};

ServiceTable& services() {
    static ServiceTable table;
    return table;
}

bool asks_for_battery(const NSDictionary& matching) {
    ObjcRef<NSString> key = NSString::from_utf8(kIOProviderClassKey);
    auto* name = dynamic_cast<const NSString*>(matching.objectForKey(key.get()));
    return name && name->units() == k_battery_class;
}

} // namespace

CFMutableDictionaryRef IOServiceMatching(const char* name) {
    if (!name) return nullptr;
    ObjcRef<NSMutableDictionary> matching = NSMutableDictionary::make();
    if (!matching) return nullptr;
    ObjcRef<NSString> key = NSString::from_utf8(kIOProviderClassKey);
    matching->setObject(NSString::from_utf8(name).get(), key.get());
    return matching.take();
}

io_service_t IOServiceGetMatchingService(mach_port_t main_port, CFDictionaryRef matching) {
    ObjcRef<> consumed = ObjcRef<>::adopt(cf_object(matching));
    if (!matching || main_port != kIOMainPortDefault) return IO_OBJECT_NULL;
    if (!asks_for_battery(*matching)) return IO_OBJECT_NULL;
    if (!current_battery_provider()->has_battery()) return IO_OBJECT_NULL;
    return services().open();
}

kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry,
                                                CFMutableDictionaryRef* properties, CFAllocatorRef,
                                                IOOptionBits) {
    if (!properties) return kIOReturnBadArgument;
    *properties = nullptr;
    if (!services().is_live(entry)) return kIOReturnBadArgument;
    ObjcRef<NSMutableDictionary> values = current_battery_provider()->copy_registry_entry();
    if (!values) return kIOReturnNoDevice;
    *properties = values.take();
    return kIOReturnSuccess;
}

kern_return_t IOObjectRelease(io_object_t object) {
    return services().close(object) ? kIOReturnSuccess : kIOReturnBadArgument;
}
