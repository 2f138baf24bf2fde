#pragma once
// Structures, a native class and helpers shared by the object-runtime tests.

#include "platform/objc/native_class.h"
#include "platform/objc/objc.h"

#include <atomic>
#include <string>
#include <string_view>

struct TestPoint {
    double x, y;
};
struct TestSize {
    double width, height;
};
struct TestRect {
    TestPoint origin;
    TestSize size;
};
struct TestVersion {
    long long major, minor, patch;
};

template <>
struct ObjcStructEncoding<TestPoint> {
    static constexpr std::string_view value = "{CGPoint=dd}";
};
template <>
struct ObjcStructEncoding<TestRect> {
    static constexpr std::string_view value = "{CGRect={CGPoint=dd}{CGSize=dd}}";
};
template <>
struct ObjcStructEncoding<TestVersion> {
    static constexpr std::string_view value = "{NSOperatingSystemVersion=qqq}";
};

// A native class whose instances count their destruction.
class TestProbe : public NSObject {
  public:
    static inline std::atomic<int> s_destroyed{0};
    explicit TestProbe(long long value = 0) : m_value(value) {}
    ~TestProbe() override { ++s_destroyed; }

    static id probeWithValue(Class, long long value) {
        return make_native<TestProbe>(value).autorelease();
    }
    long long value() const { return m_value; }
    TestRect rectByMoving(TestRect rect, double dx) const {
        rect.origin.x += dx;
        return rect;
    }
    float half(float x) const { return x / 2; }

  private:
    long long m_value;
};

inline Class test_probe_class() {
    static Class cls = register_native_class<TestProbe>(
        "TestProbe", "NSObject",
        {class_method<&TestProbe::probeWithValue>("probeWithValue:"),
         instance_method<&TestProbe::value>("value"),
         instance_method<&TestProbe::rectByMoving>("rectByMoving:by:"),
         instance_method<&TestProbe::half>("half:")});
    return cls;
}

// A class name with a serial number, so that repeated test runs in one process make fresh classes.
inline std::string unique_class_name(const std::string& base) {
    static std::atomic<int> serial{0};
    return base + "_" + std::to_string(++serial);
}

// A registered class made at run time, with NSObject as superclass unless another is given.
inline Class make_runtime_class(const std::string& name, Class superclass = nil) {
    if (!superclass) superclass = objc_getClass("NSObject");
    Class cls = objc_allocateClassPair(superclass, unique_class_name(name).c_str(), 0);
    if (cls) objc_registerClassPair(cls);
    return cls;
}

template <class F>
IMP as_imp(F* function) {
    return reinterpret_cast<IMP>(function);
}
