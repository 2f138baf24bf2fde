#include "platform/iokit/power_sources.h"

#include "platform/foundation/ns_number.h"
#include "platform/iokit/battery_provider.h"

#include <mutex>
#include <span>
#include <vector>

namespace {

// The snapshot: a dictionary from each source (a number, in list order) to its description, of
// a class of its own so that other dictionaries are not taken for one.
class PowerSourcesSnapshot final : public NSDictionary {
  public:
    PowerSourcesSnapshot() = default;

    static ObjcRef<PowerSourcesSnapshot> make(std::span<const ObjcRef<NSDictionary>> descriptions) {
        static Class cls = register_native_class<PowerSourcesSnapshot>("IOPSPowerSourcesSnapshot",
                                                                       "NSDictionary", {});
        if (!cls) return {};
        ObjcRef<PowerSourcesSnapshot> snapshot = make_native<PowerSourcesSnapshot>();
        if (!snapshot) return {};
        for (const ObjcRef<NSDictionary>& description : descriptions) {
            ObjcRef<NSNumber> source = NSNumber::make(static_cast<std::int64_t>(snapshot->count()));
            snapshot->set(description.get(), source.get());
        }
        return snapshot;
    }

    // Holds the shared `false` in place of each description, so that their makers see nobody
    // else holding them.
    void let_go() {
        for (std::size_t i = 0; i < count(); ++i)
            set(NSBoolean::shared(false), entries()[i].key.get());
    }
    // The same sources with new descriptions; false, changing nothing, for another number of
    // sources.
    bool refill(std::span<const ObjcRef<NSDictionary>> descriptions) {
        if (descriptions.size() != count()) return false;
        for (std::size_t i = 0; i < count(); ++i)
            set(descriptions[i].get(), entries()[i].key.get());
        return true;
    }
};

const PowerSourcesSnapshot* as_snapshot(CFTypeRef blob) {
    return dynamic_cast<const PowerSourcesSnapshot*>(cf_object(blob));
}

ObjcRef<NSArray> make_list(const PowerSourcesSnapshot& snapshot) {
    std::vector<id> sources;
    sources.reserve(snapshot.count());
    for (const DictionaryEntry& entry : snapshot)
        sources.push_back(entry.key.get());
    return NSArray::make(sources);
}

// The last snapshot and its list, asked for at every refresh: once nobody else holds them, the
// snapshot is filled again and the list handed out again instead of making new ones.
class KeptSnapshot {
  public:
    ObjcRef<PowerSourcesSnapshot> copy(BatteryProvider& provider) {
        std::lock_guard lock(m_mutex);
        const bool reusable = m_snapshot && m_snapshot->retainCount() == 1;
        if (reusable) m_snapshot->let_go();
        provider.copy_power_source_descriptions_into(m_descriptions);
        if (!reusable || !m_snapshot->refill(m_descriptions)) {
            m_snapshot = PowerSourcesSnapshot::make(m_descriptions);
            m_list = {};
        }
        // Only the snapshot holds them now, so that their maker may hand them out again.
        m_descriptions.clear();
        return m_snapshot;
    }

    ObjcRef<NSArray> copy_list(const PowerSourcesSnapshot& snapshot) {
        std::lock_guard lock(m_mutex);
        if (&snapshot != m_snapshot.get()) return make_list(snapshot);
        if (!m_list || m_list->retainCount() != 1) m_list = make_list(snapshot);
        return m_list;
    }

  private:
    std::mutex m_mutex;
    ObjcRef<PowerSourcesSnapshot> m_snapshot;
    ObjcRef<NSArray> m_list;
    // Room for the provider's answer, kept between calls.
    std::vector<ObjcRef<NSDictionary>> m_descriptions;
};

KeptSnapshot& kept_snapshot() {
    static KeptSnapshot kept;
    return kept;
}

} // namespace

CFTypeRef IOPSCopyPowerSourcesInfo(void) {
    return kept_snapshot().copy(*current_battery_provider()).take();
}

CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef blob) {
    const PowerSourcesSnapshot* snapshot = as_snapshot(blob);
    if (!snapshot) return nullptr;
    return kept_snapshot().copy_list(*snapshot).take();
}

CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef blob, CFTypeRef ps) {
    const PowerSourcesSnapshot* snapshot = as_snapshot(blob);
    if (!snapshot || !ps) return nullptr;
    return dynamic_cast<const NSDictionary*>(snapshot->objectForKey(cf_object(ps)));
}
