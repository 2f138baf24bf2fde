// Sends by name through SendNativeMessage beside a direct C++ call of the same method: a simple
// call (sent directly) and invocation calls (an argument by address, a text converted to a native
// string, a structure result copied into a buffer).

#include "runtime/ui/native_message.h"

#include "platform/objc/native_class.h"
#include "platform/objc/objc.h"

#include <benchmark/benchmark.h>

namespace {

struct Version {
    long long major, minor, patch;
};

} // namespace

template <>
struct ObjcStructEncoding<Version> {
    static constexpr std::string_view value = "{NSOperatingSystemVersion=qqq}";
};

namespace {

class Counter : public NSObject {
  public:
    [[gnu::noinline]] NSInteger add(NSInteger value) { return m_total += value; }
    [[gnu::noinline]] void setLength(double length) { m_length = length; }
    [[gnu::noinline]] NSUInteger setTitle(id title) {
        m_title = title;
        return title != nil;
    }
    [[gnu::noinline]] Version version() const { return {12, 0, static_cast<long long>(m_length)}; }

  private:
    NSInteger m_total = 0;
    double m_length = 0;
    id m_title = nil;
};

ObjcRef<Counter> make_counter() {
    static Class cls = register_native_class<Counter>(
        "BenchCounter", "NSObject",
        {instance_method<&Counter::add>("add:"), instance_method<&Counter::setLength>("setLength:"),
         instance_method<&Counter::setTitle>("setTitle:"),
         instance_method<&Counter::version>("operatingSystemVersion")});
    benchmark::DoNotOptimize(cls);
    return make_native<Counter>();
}

void BM_DirectCall(benchmark::State& state) {
    ObjcRef<Counter> counter = make_counter();
    for (auto _ : state)
        benchmark::DoNotOptimize(counter->add(1));
}
BENCHMARK(BM_DirectCall);

void BM_SendSimpleCall(benchmark::State& state) {
    ObjcRef<Counter> counter = make_counter();
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::SendNativeMessage(nullptr, counter.get(), u"add:", 1));
}
BENCHMARK(BM_SendSimpleCall);

void BM_SendInvocationByAddress(benchmark::State& state) {
    ObjcRef<Counter> counter = make_counter();
    const double length = 22;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            rt::SendNativeMessage(nullptr, counter.get(), u"setLength:@", &length));
    }
}
BENCHMARK(BM_SendInvocationByAddress);

void BM_SendInvocationWithText(benchmark::State& state) {
    ObjcRef<Counter> counter = make_counter();
    for (auto _ : state) {
        AutoreleasePoolScope pool;
        benchmark::DoNotOptimize(
            rt::SendNativeMessage(nullptr, counter.get(), u"setTitle:$", u"Battery"));
    }
}
BENCHMARK(BM_SendInvocationWithText);

void BM_SendInvocationIntoBuffer(benchmark::State& state) {
    ObjcRef<Counter> counter = make_counter();
    Version version{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            rt::SendNativeMessage(&version, counter.get(), u"operatingSystemVersion"));
    }
    benchmark::DoNotOptimize(version);
}
BENCHMARK(BM_SendInvocationIntoBuffer);

} // namespace
