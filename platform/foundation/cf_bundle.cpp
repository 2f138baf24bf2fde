#include "platform/foundation/cf_bundle.h"

#include <cstring>

CFBundleRef CFBundleGetMainBundle(void) {
    return NSBundle::mainBundle(nil);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    if (!bundle || !bundle->bundlePath()) return nullptr;
    return NSURL::make_file(bundle->bundlePath()->utf8(), true).take();
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer,
                                         CFIndex max_buffer_length) {
    if (!url || !buffer || max_buffer_length <= 0) return false;
    const char* path = url->fileSystemRepresentation();
    if (!path) return false;
    std::size_t size = std::strlen(path) + 1;
    if (size > static_cast<std::size_t>(max_buffer_length)) return false;
    std::memcpy(buffer, path, size);
    return true;
}
