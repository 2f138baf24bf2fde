#pragma once
// NSRunningApplication: a running application as the system sees it. Only the current one is
// known to the model.

#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

class NSRunningApplication : public NSObject {
  public:
    NSRunningApplication() = default;

    // Immortal.
    static NSRunningApplication* currentApplication(Class self);
    // Activates NSApp when there is one; YES.
    BOOL activateWithOptions(NSUInteger options);
};

void register_ns_running_application_class();
