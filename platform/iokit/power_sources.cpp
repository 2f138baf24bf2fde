#include "platform/iokit/power_sources.h"

#include "platform/foundation/ns_number.h"
#include "platform/iokit/battery_provider.h"

#include <vector>

namespace {

// The snapshot: a dictionary from each source (a number, in list order) to its description, of
// a class of its own so that other dictionaries are not taken for one.
class PowerSourcesSnapshot final : public NSDictionary {
  public:
    PowerSourcesSnapshot() = default;

    static ObjcRef<PowerSourcesSnapshot> make() {
        static Class cls = register_native_class<PowerSourcesSnapshot>("IOPSPowerSourcesSnapshot",
                                                                       "NSDictionary", {});
        if (!cls) return {};
        return make_native<PowerSourcesSnapshot>();
    }

    void add(NSDictionary* description) {
        ObjcRef<NSNumber> source = NSNumber::make(static_cast<std::int64_t>(count()));
        set(description, source.get());
    }
};

const PowerSourcesSnapshot* as_snapshot(CFTypeRef blob) {
    return dynamic_cast<const PowerSourcesSnapshot*>(cf_object(blob));
}

} // namespace

CFTypeRef IOPSCopyPowerSourcesInfo(void) {
    ObjcRef<PowerSourcesSnapshot> snapshot = PowerSourcesSnapshot::make();
    if (!snapshot) return nullptr;
    for (const ObjcRef<NSDictionary>& description :
         current_battery_provider()->copy_power_source_descriptions()) {
        snapshot->add(description.get());
    }
    return snapshot.take();
}

CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef blob) {
    const PowerSourcesSnapshot* snapshot = as_snapshot(blob);
    if (!snapshot) return nullptr;
    std::vector<id> sources;
    sources.reserve(snapshot->count());
    for (const DictionaryEntry& entry : *snapshot)
        sources.push_back(entry.key.get());
    return NSArray::make(sources).take();
}

CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef blob, CFTypeRef ps) {
    const PowerSourcesSnapshot* snapshot = as_snapshot(blob);
    if (!snapshot || !ps) return nullptr;
    return dynamic_cast<const NSDictionary*>(snapshot->objectForKey(cf_object(ps)));
}
