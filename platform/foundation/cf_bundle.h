#pragma once
// Core Foundation's bundle and URL functions over NSBundle and NSURL: a CFBundleRef is an
// NSBundle, a CFURLRef an NSURL. Ownership as in core_foundation.h: Copy means the caller
// releases with CFRelease, Get means borrowed.

#include "platform/foundation/core_foundation.h"
#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_url.h"

using CFBundleRef = const NSBundle*;
using CFURLRef = const NSURL*;

extern "C" {

// The main bundle (NSBundle's +mainBundle), borrowed and never freed; null when the
// executable's path cannot be read.
CFBundleRef CFBundleGetMainBundle(void);
// A new file URL of the bundle's folder, ending in "/"; null for a null bundle.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// Writes the path of a file URL, percent-escapes decoded and without a trailing "/", with a
// terminating zero into `buffer`. False, writing nothing, for a null URL or buffer, a URL that
// names no local file, or a buffer of fewer than the path's length plus one bytes. Relative
// URLs do not exist here, so `resolve_against_base` changes nothing.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolve_against_base, UInt8* buffer,
                                         CFIndex max_buffer_length);
}
