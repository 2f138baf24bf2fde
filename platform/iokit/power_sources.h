#pragma once
// The power-source list: a snapshot of the power sources' descriptions taken by
// IOPSCopyPowerSourcesInfo, its list of sources, and each source's description. The sources
// come from the current battery provider (battery_provider.h); a machine without a battery has
// an empty list.

#include "platform/foundation/core_foundation.h"

extern "C" {

// A snapshot taken now, which the caller releases; never null. An earlier snapshot that nobody
// holds any more may come back filled anew, and so may its list.
CFTypeRef IOPSCopyPowerSourcesInfo(void);
// An array of the snapshot's sources, the battery first, which the caller releases; null for a
// null snapshot or something that is not one.
CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef blob);
// The description of a source of the snapshot, borrowed: valid while the snapshot lives. Null
// when the source is not in the snapshot.
CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef blob, CFTypeRef ps);
}
