#pragma once
// The hardware registry, as far as a battery indicator uses it: a matching dictionary for a class
// name, the one service that matches it, and that service's properties. The only service is the
// battery ("AppleSmartBattery"), served by the current battery provider (battery_provider.h);
// a machine without a battery has no service, so the lookup answers 0.
//
// Service objects are numbers that stay valid until IOObjectRelease. Their properties are read
// from the provider at each IORegistryEntryCreateCFProperties, as a live registry would give
// them.

#include "platform/foundation/core_foundation.h"

#include <cstdint>

using kern_return_t = int;
using mach_port_t = unsigned int;
using io_object_t = mach_port_t;
using io_service_t = io_object_t;
using io_registry_entry_t = io_object_t;
using IOOptionBits = std::uint32_t;
using IOReturn = kern_return_t;

// The default main port; the only one there is.
inline constexpr mach_port_t kIOMainPortDefault = 0;
inline constexpr mach_port_t kIOMasterPortDefault = kIOMainPortDefault;
inline constexpr io_object_t IO_OBJECT_NULL = 0;

inline constexpr kern_return_t KERN_SUCCESS = 0;
inline constexpr IOReturn kIOReturnSuccess = 0;
inline constexpr IOReturn kIOReturnBadArgument = static_cast<IOReturn>(0xE00002C2u);
inline constexpr IOReturn kIOReturnNoDevice = static_cast<IOReturn>(0xE00002C0u);

// The matching dictionary's key for the class name.
inline constexpr const char* kIOProviderClassKey = "IOProviderClass";

extern "C" {

// A matching dictionary {"IOProviderClass": name}, which the caller owns; null for a null name.
// For the battery it may be one that a lookup consumed, as it was made.
CFMutableDictionaryRef IOServiceMatching(const char* name);

// The service matching the dictionary, or 0 for none (also for a main port other than the
// default). Consumes one reference to `matching`, as on the platform, whatever the answer.
io_service_t IOServiceGetMatchingService(mach_port_t main_port, CFDictionaryRef matching);

// A new dictionary of the entry's properties in `*properties`, which the caller releases.
// kIOReturnBadArgument for a null `properties` or an entry that is not a live service,
// kIOReturnNoDevice when the battery has gone since the lookup; `*properties` is then null. The
// allocator and options are not used.
kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry,
                                                CFMutableDictionaryRef* properties,
                                                CFAllocatorRef allocator, IOOptionBits options);

// Ends a service object; kIOReturnBadArgument for one that is not live.
kern_return_t IOObjectRelease(io_object_t object);
}
