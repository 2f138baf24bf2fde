#pragma once
// Sleep and wake from logind: PrepareForSleep(true) becomes the workspace's will-sleep
// notification and PrepareForSleep(false) its did-wake notification, both posted on the main
// thread. While awake a delay inhibitor is held, so the machine waits for the will-sleep
// notification (and the refresh timer it stops) before it sleeps; the inhibitor is let go once
// that notification has been delivered, and taken again after waking.
//
// Lives on the system bus's thread: made, called back and destroyed in its main context.

struct _GDBusConnection;
struct _GCancellable;
struct _GVariant;
struct _GObject;
struct _GAsyncResult;
struct _GError;

class SleepWatcher {
  public:
    // Subscribes to PrepareForSleep and asks for the inhibitor. Without logind, one line goes to
    // standard error and no notice ever comes. `bus` is borrowed and outlives the watcher.
    explicit SleepWatcher(_GDBusConnection* bus);
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
    _GCancellable* m_cancellable;
    unsigned m_subscription = 0;
    int m_inhibitor = -1; // the delay lock's descriptor; -1 while none is held
    bool m_refusal_told = false;
};
