#pragma once
// The power-profiles service's ActiveProfile, kept current in power_saver_state(): asked once
// when the service's name appears, then followed through its PropertiesChanged signal; unknown
// again when the name vanishes. The service answers under its present name or its older one;
// the present one wins when both answer.
//
// Lives on the system bus's thread: made, called back and destroyed in its main context.

#include "platform/iokit/power_saver_state.h"

#include <array>
#include <cstdint>

struct _GDBusConnection;
struct _GCancellable;
struct _GVariant;
struct _GObject;
struct _GAsyncResult;

class PowerProfileWatcher {
  public:
    // `bus` is borrowed and outlives the watcher.
    explicit PowerProfileWatcher(_GDBusConnection* bus);
    ~PowerProfileWatcher();
    PowerProfileWatcher(const PowerProfileWatcher&) = delete;
    PowerProfileWatcher& operator=(const PowerProfileWatcher&) = delete;

  private:
    struct Service {
        const char* name;
        const char* path;
        const char* interface;
    };
    // The present name first.
    static const std::array<Service, 2> k_services;

    struct Watch {
        PowerProfileWatcher* owner = nullptr;
        const Service* service = nullptr;
        PowerSaver state = PowerSaver::unknown;
        uint64_t changes = 0; // signals seen; a reply asked for before the last one is stale
        unsigned name_watch = 0;
        unsigned subscription = 0;
    };
    struct Request;

    static void on_appeared(_GDBusConnection* bus, const char* name, const char* owner,
                            void* watch);
    static void on_vanished(_GDBusConnection* bus, const char* name, void* watch);
    static void on_properties_changed(_GDBusConnection* bus, const char* sender, const char* path,
                                      const char* interface, const char* signal,
                                      _GVariant* parameters, void* watch);
    static void on_profile_reply(_GObject* source, _GAsyncResult* result, void* request);

    void ask_profile(Watch& watch);
    void set_state(Watch& watch, PowerSaver state);
    void publish() const;

    _GDBusConnection* m_bus;
    _GCancellable* m_cancellable;
    std::array<Watch, 2> m_watches;
};
