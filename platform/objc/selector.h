#pragma once
// Selectors: method names interned once for the life of the process, so that equal names give
// the same SEL and selectors compare by pointer. Interning is thread-safe.

#include "platform/objc/objc_types.h"

struct objc_selector {
    const char* name;
};

extern "C" {
// Null for a null name.
SEL sel_registerName(const char* name);
SEL sel_getUid(const char* name);
// "<null selector>" for a null selector, as the platform answers.
const char* sel_getName(SEL selector);
BOOL sel_isEqual(SEL a, SEL b);
}
