#include "platform/iokit/io_kit.h"

#include "platform/iokit/battery_provider.h"

#include <algorithm>
#include <mutex>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace {

constexpr std::u16string_view k_battery_class = u"AppleSmartBattery";
constexpr std::string_view k_battery_class_utf8 = "AppleSmartBattery";

// The live service objects, all of them the battery. Numbers are handed out in order, never 0.
// There are seldom more than one or two at a time, so a list is searched.
class ServiceTable {
  public:
    io_service_t open() {
        std::lock_guard lock(m_mutex);
        if (++m_last == IO_OBJECT_NULL) ++m_last;
        m_live.push_back(m_last);
        return m_last;
    }
    bool is_live(io_object_t object) {
        std::lock_guard lock(m_mutex);
        return std::find(m_live.begin(), m_live.end(), object) != m_live.end();
    }
    bool close(io_object_t object) {
        std::lock_guard lock(m_mutex);
        auto found = std::find(m_live.begin(), m_live.end(), object);
        if (found == m_live.end()) return false;
        *found = m_live.back();
        m_live.pop_back();
        return true;
    }

  private:
    std::mutex m_mutex;
    std::vector<io_object_t> m_live;
    io_object_t m_last = 0x2F00;
};

ServiceTable& services() {
    static ServiceTable table;
    return table;
}

NSString* provider_class_key() {
    static NSString* const key = NSString::make_constant(u"IOProviderClass");
    return key;
}

id provider_class_of(const NSDictionary& matching) {
    // IOServiceMatching's dictionaries hold only this key, as the first.
    if (matching.count() > 0 && matching.entries().front().key.get() == provider_class_key())
        return matching.entries().front().value.get();
    return matching.objectForKey(provider_class_key());
}

bool asks_for_battery(const NSDictionary& matching) {
    auto* name = dynamic_cast<const NSString*>(provider_class_of(matching));
    return name && name->units() == k_battery_class;
}

ObjcRef<NSMutableDictionary> make_matching(std::string_view name) {
    ObjcRef<NSMutableDictionary> matching = NSMutableDictionary::make();
    if (!matching) return {};
    matching->setObject(NSString::from_utf8(name).get(), provider_class_key());
    return matching;
}

// A battery matching dictionary that a lookup consumed, kept for the next IOServiceMatching
// instead of freeing it and making another: the indicator asks for one at every refresh.
class SpareBatteryMatching {
  public:
    ObjcRef<NSMutableDictionary> take() {
        std::lock_guard lock(m_mutex);
        if (m_spare) return std::move(m_spare);
        return make_matching(k_battery_class_utf8);
    }

    // Takes over the consumed reference of a dictionary that asks for the battery when it is the
    // last reference and the dictionary holds nothing but what IOServiceMatching puts in;
    // otherwise leaves it to be released.
    void keep(ObjcRef<>& consumed) {
        auto* matching = dynamic_cast<NSMutableDictionary*>(consumed.get());
        if (!matching || typeid(*matching) != typeid(NSMutableDictionary)) return;
        if (matching->retainCount() != 1 || matching->count() != 1) return;
        if (matching->entries().front().key.get() != provider_class_key()) return;
        std::lock_guard lock(m_mutex);
        if (m_spare) return;
        m_spare = ObjcRef<NSMutableDictionary>::adopt(matching);
        static_cast<void>(consumed.take());
    }

  private:
    std::mutex m_mutex;
    ObjcRef<NSMutableDictionary> m_spare;
};

SpareBatteryMatching& spare_battery_matching() {
    static SpareBatteryMatching spare;
    return spare;
}

} // namespace

CFMutableDictionaryRef IOServiceMatching(const char* name) {
    if (!name) return nullptr;
    if (name == k_battery_class_utf8) return spare_battery_matching().take().take();
    return make_matching(name).take();
}

io_service_t IOServiceGetMatchingService(mach_port_t main_port, CFDictionaryRef matching) {
    ObjcRef<> consumed = ObjcRef<>::adopt(cf_object(matching));
    if (!matching || main_port != kIOMainPortDefault) return IO_OBJECT_NULL;
    if (!asks_for_battery(*matching)) return IO_OBJECT_NULL;
    spare_battery_matching().keep(consumed);
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
