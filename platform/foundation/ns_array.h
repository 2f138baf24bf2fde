#pragma once
// NSArray and NSMutableArray: ordered lists of objects, each held by one reference. Arrays
// never hold nil: nil elements are left out when an array is made, and adding nil changes
// nothing (the platform raises an exception in both cases).

#include "platform/objc/native_class.h"

#include <limits>
#include <span>
#include <vector>

class NSArray : public NSObject {
  public:
    NSArray() = default;

    // A new array holding one reference, with the non-nil elements of `objects`.
    static ObjcRef<NSArray> make(std::span<const id> objects);

    const std::vector<ObjcRef<>>& objects() const { return m_objects; }
    auto begin() const { return m_objects.begin(); }
    auto end() const { return m_objects.end(); }

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSArray* array(Class self);

    NSUInteger count() const { return m_objects.size(); }
    // Nil past the end (the platform raises an exception).
    id objectAtIndex(NSUInteger index) const;
    id firstObject() const;
    id lastObject() const;
    // By isEqual:; NSNotFound when absent.
    NSUInteger indexOfObject(id object) const;
    // Same count and pairwise equal elements.
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override { return m_objects.size(); }

  protected:
    std::vector<ObjcRef<>> m_objects;
};

class NSMutableArray : public NSArray {
  public:
    NSMutableArray() = default;

    // A new, empty mutable array holding one reference.
    static ObjcRef<NSMutableArray> make();

    void addObject(id object);
    // An index past the end changes nothing.
    void removeObjectAtIndex(NSUInteger index);
    void removeAllObjects() { m_objects.clear(); }
};

// The index that answers "absent".
inline constexpr NSUInteger NSNotFound =
    static_cast<NSUInteger>(std::numeric_limits<NSInteger>::max());

void register_ns_array_class();
void register_ns_mutable_array_class();
