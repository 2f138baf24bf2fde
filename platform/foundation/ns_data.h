#pragma once
// NSData: an immutable block of bytes.

#include "platform/objc/native_class.h"

#include <cstdint>
#include <span>
#include <vector>

class NSData : public NSObject {
  public:
    NSData() = default;
    explicit NSData(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    // A new data object holding one reference, with a copy of `bytes`.
    static ObjcRef<NSData> make(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> span() const { return m_bytes; }

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSData* data(Class self);

    NSUInteger length() const { return m_bytes.size(); }
    // Valid as long as the object; null for empty data.
    const void* bytes() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    BOOL isEqualToData(NSData* other) const;
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    std::vector<std::uint8_t> m_bytes;
};

void register_ns_data_class();
