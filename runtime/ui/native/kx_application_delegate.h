#pragma once
// KXApplicationDelegate: the application never terminates by itself. A termination request (the
// Quit item of the system, log-out, shut-down) becomes the Quit menu event and is cancelled; the
// program decides when it sees that event.

#include "platform/objc/native_class.h"

#include <cstdint>

class NSApplication;
class NSArray;

namespace rt {

// Receives the names of files the system asks the application to open, joined with tabs, as
// UTF-8. None is installed in this program.
using OpenFilesHook = void (*)(const char* names);
void set_open_files_hook(OpenFilesHook hook);

class KXApplicationDelegate : public NSObject {
  public:
    KXApplicationDelegate() = default;

    void applicationOpenFiles(NSApplication* application, NSArray* names);
    // Posts EventKindMenu for Quit (object -4, window -1) and answers NSTerminateCancel.
    uint64_t applicationShouldTerminate(NSApplication* application);
    void theadedAction(id argument);
};

void register_kx_application_delegate_class();

} // namespace rt
