#pragma once
// The object runtime's C interface under the platform's names: classes by name, selectors,
// methods with type encodings, classes made at run time, instances, reference counting,
// autorelease pools and objc_msgSend. C++ code also has msg_send<R> (message_send.h), ObjcRef
// (objc_ref.h) and native classes (native_class.h).

#include "platform/objc/autorelease_pool.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/method.h"
#include "platform/objc/ns_object.h"
#include "platform/objc/objc_class.h"
#include "platform/objc/objc_types.h"
#include "platform/objc/selector.h"
