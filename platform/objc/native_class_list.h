#pragma once
// The platform's native classes are registered once, on the first lookup of a class by name
// (objc_lookUpClass, objc_getClass, objc_allocateClassPair, native_class<T>, make_native and
// register_native_class all call ensure_native_classes first). The list of registration
// functions is in native_class_list.cpp; native_class.h says how to add a class to it.

// Registers every native class of the platform on its first call. Later calls, and calls made on
// the registering thread while the list runs, return at once; other threads wait for the list to
// finish. Thread-safe.
void ensure_native_classes();
