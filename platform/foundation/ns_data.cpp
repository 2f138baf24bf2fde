#include "platform/foundation/ns_data.h"

#include "platform/foundation/instance_of.h"

#include <algorithm>

ObjcRef<NSData> NSData::make(std::span<const std::uint8_t> bytes) {
    return make_native<NSData>(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

NSData* NSData::data(Class self) {
    return make_instance_of<NSData>(self).autorelease();
}

BOOL NSData::isEqualToData(NSData* other) const {
    return other && other->m_bytes == m_bytes ? YES : NO;
}

BOOL NSData::isEqual(id other) const {
    if (other == this) return YES;
    return isEqualToData(dynamic_cast<NSData*>(other));
}

// FNV-1a over at most the first 80 bytes: long blocks hash quickly and equal data alike.
NSUInteger NSData::hash() const {
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t hashed = std::min<std::size_t>(m_bytes.size(), 80);
    for (std::size_t i = 0; i < hashed; ++i)
        hash = (hash ^ m_bytes[i]) * 1099511628211ull;
    return hash ^ m_bytes.size();
}

void register_ns_data_class() {
    register_native_class<NSData>("NSData", "NSObject",
                                  {
                                      class_method<&NSData::data>("data"),

                                      instance_method<&NSData::length>("length"),
                                      instance_method<&NSData::bytes>("bytes"),

                                  });
}
