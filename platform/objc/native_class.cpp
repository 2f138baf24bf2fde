#include "platform/objc/native_class.h"

#include "platform/foundation/problem_report.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/selector.h"

#include <algorithm>

namespace {

// Registration mistakes are programming errors: say which, loudly, then fail softly in release.
void report(const char* what, const char* class_name, const char* detail) {
    say_line({"native class ", class_name ? class_name : "(null)", ": ", what, " ",
              detail ? detail : ""});
    assert(!"native class registration failed");
}

bool colons_match(const MethodEntry& entry) {
    std::string_view selector(entry.selector);
    auto colons = static_cast<std::size_t>(std::count(selector.begin(), selector.end(), ':'));
    return entry.variadic ? colons <= entry.parameter_count : colons == entry.parameter_count;
}

bool add_entry(Class cls, const MethodEntry& entry) {
    if (!colons_match(entry)) {
        report("has a selector whose colons do not match its parameters:", cls->name(),
               entry.selector);
        return false;
    }
    Class target = entry.is_class_method ? cls->isa() : cls;
    if (!target->add_method(sel_registerName(entry.selector), entry.implementation,
                            entry.types.c_str(), entry.implementation_type, entry.word_entry)) {
        report("already has a method", cls->name(), entry.selector);
        return false;
    }
    return true;
}

} // namespace

Class register_native_class_with_layout(const char* name, const char* superclass_name,
                                        const NativeLayout& layout,
                                        std::span<const MethodEntry> methods) {
    ensure_native_classes();
    Class superclass = superclass_name ? find_registered_class(superclass_name) : nil;
    if (superclass_name && !superclass) {
        report("is listed before its superclass", name, superclass_name);
        return nil;
    }
    Class cls = make_class_pair(superclass, name, &layout, 0);
    if (!cls) {
        report("cannot be made: the name is in use", name, nullptr);
        return nil;
    }
    for (const MethodEntry& entry : methods)
        add_entry(cls, entry);
    objc_registerClassPair(cls);
    return cls;
}

std::size_t add_native_methods(Class cls, std::initializer_list<MethodEntry> methods) {
    if (!cls || cls->is_metaclass()) return 0;
    std::size_t added = 0;
    for (const MethodEntry& entry : methods)
        added += add_entry(cls, entry) ? 1 : 0;
    return added;
}
