// Message sends of one trivial method beside a direct C++ call of it: objc_msgSend, the typed
// msg_send (with a selector, and by name), an NSInvocation built once, and a whole send through
// an invocation built from the method's encoding, each step by message, as a send by name does.

#include "platform/foundation/ns_invocation.h"
#include "platform/objc/objc.h"

#include <benchmark/benchmark.h>

namespace {

class Adder : public NSObject {
  public:
    [[gnu::noinline]] NSInteger add(NSInteger value) {
        m_total += value;
        return m_total;
    }

  private:
    NSInteger m_total = 0;
};

ObjcRef<Adder> make_adder() {
    static Class cls = register_native_class<Adder>("BenchAdder", "NSObject",
                                                    {instance_method<&Adder::add>("add:")});
    benchmark::DoNotOptimize(cls);
    return make_native<Adder>();
}

void BM_DirectCall(benchmark::State& state) {
    ObjcRef<Adder> adder = make_adder();
    for (auto _ : state)
        benchmark::DoNotOptimize(adder->add(1));
}
BENCHMARK(BM_DirectCall);

void BM_ObjcMsgSend(benchmark::State& state) {
    ObjcRef<Adder> adder = make_adder();
    SEL selector = sel_registerName("add:");
    for (auto _ : state)
        benchmark::DoNotOptimize(objc_msgSend(adder.get(), selector, 1L));
}
BENCHMARK(BM_ObjcMsgSend);

void BM_MsgSendWithSelector(benchmark::State& state) {
    ObjcRef<Adder> adder = make_adder();
    SEL selector = sel_registerName("add:");
    for (auto _ : state) {
        benchmark::DoNotOptimize(msg_send<NSInteger>(adder.get(), selector, NSInteger{1}));
    }
}
BENCHMARK(BM_MsgSendWithSelector);

void BM_MsgSendByName(benchmark::State& state) {
    ObjcRef<Adder> adder = make_adder();
    for (auto _ : state) {
        benchmark::DoNotOptimize(msg_send<NSInteger>(adder.get(), "add:", NSInteger{1}));
    }
}
BENCHMARK(BM_MsgSendByName);

void BM_InvocationInvoke(benchmark::State& state) {
    AutoreleasePoolScope pool;
    ObjcRef<Adder> adder = make_adder();
    NSMethodSignature* signature =
        NSMethodSignature::signatureWithObjCTypes(objc_getClass("NSMethodSignature"), "q@:q");
    NSInvocation* invocation =
        NSInvocation::invocationWithMethodSignature(objc_getClass("NSInvocation"), signature);
    invocation->setSelector(sel_registerName("add:"));
    invocation->setTarget(adder.get());
    NSInteger one = 1;
    invocation->setArgument(&one, 2);
    for (auto _ : state) {
        invocation->invoke();
        NSInteger result;
        invocation->getReturnValue(&result);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_InvocationInvoke);

// What a send by name with an argument given by address costs when every step is a message.
void BM_InvocationSendByName(benchmark::State& state) {
    ObjcRef<Adder> adder = make_adder();
    Class signature_class = objc_lookUpClass("NSMethodSignature");
    Class invocation_class = objc_lookUpClass("NSInvocation");
    SEL with_types = sel_registerName("signatureWithObjCTypes:");
    SEL with_signature = sel_registerName("invocationWithMethodSignature:");
    SEL set_selector = sel_registerName("setSelector:");
    SEL set_argument = sel_registerName("setArgument:atIndex:");
    SEL invoke_with_target = sel_registerName("invokeWithTarget:");
    SEL method_signature = sel_registerName("methodSignature");
    SEL return_length = sel_registerName("methodReturnLength");
    SEL get_return_value = sel_registerName("getReturnValue:");
    for (auto _ : state) {
        void* pool = objc_autoreleasePoolPush();
        SEL selector = sel_registerName("add:");
        Method method = class_getInstanceMethod(object_getClass(adder.get()), selector);
        id signature = objc_msgSend(signature_class, with_types, method_getTypeEncoding(method));
        id invocation = objc_msgSend(invocation_class, with_signature, signature);
        objc_msgSend(invocation, set_selector, selector);
        std::int64_t argument = 1;
        objc_msgSend(invocation, set_argument, &argument, NSInteger{2});
        objc_msgSend(invocation, invoke_with_target, adder.get());
        std::int64_t result = 0;
        id returned_signature = objc_msgSend(invocation, method_signature);
        if (objc_msgSend(returned_signature, return_length)) {
            objc_msgSend(invocation, get_return_value, &result);
        }
        benchmark::DoNotOptimize(result);
        objc_autoreleasePoolPop(pool);
    }
}
BENCHMARK(BM_InvocationSendByName);

} // namespace
