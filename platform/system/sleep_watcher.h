#pragma once
// Sleep and wake from logind: PrepareForSleep(true) becomes SystemSleep and PrepareForSleep(false)
// SystemWake, handed to the notice sink that start-up connects (the route of the displays' own
// sleep and wake). While awake a delay inhibitor is held, so the machine waits for the sleep
// notice to be delivered (and the refresh timer it stops) before it sleeps; the inhibitor is let
// go once that notice has been delivered, and taken again after waking.
//
// Lives on the system bus's thread: made, called back and destroyed in its main context.

#include "platform/display/display.h"

#include <functional>
#include <string>

// Where sleep and wake go, called on the system bus's thread with SystemSleep or SystemWake. The
// notice counts as delivered once `delivered` has run or been dropped, on whatever thread.
using SleepNoticeSink = std::function<void(const Input& notice, std::function<void()> delivered)>;

struct _GDBusConnection;
struct _GCancellable;
struct _GVariant;
struct _GObject;
struct _GAsyncResult;
struct _GError;

class SleepWatcher {
  public:
    // Subscribes to PrepareForSleep and asks for the inhibitor. Without logind, one line goes to
    // standard error and no notice ever comes. `bus` is borrowed and outlives the watcher; `who`
    // names the inhibitor's holder.
    SleepWatcher(_GDBusConnection* bus, SleepNoticeSink notices, std::string who);
    ~SleepWatcher();
    SleepWatcher(const SleepWatcher&) = delete;
    SleepWatcher& operator=(const SleepWatcher&) = delete;

  private:
    static void on_prepare_for_sleep(_GDBusConnection* bus, const char* sender, const char* path,
                                     const char* interface, const char* signal,
                                     _GVariant* parameters, void* self);
    static void on_inhibit_reply(_GObject* source, _GAsyncResult* result, void* self);

    void request_inhibitor();
    void keep_inhibitor(int fd);
    void inhibitor_refused(const _GError* error);
    void will_sleep();
    void did_wake();

    _GDBusConnection* m_bus;
    SleepNoticeSink m_notices;
    std::string m_who;
    _GCancellable* m_cancellable;
    unsigned m_subscription = 0;
    int m_inhibitor = -1; // the delay lock's descriptor; -1 while none is held
    bool m_refusal_told = false;
};
