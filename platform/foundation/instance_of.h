#pragma once
// Class methods such as +stringWithString: make an instance of the class that received them, so
// that subclasses (NSMutableArray's +array, classes made at run time) get their own kind.

#include "platform/objc/native_class.h"

// A new instance of `cls` holding one reference, provided its objects are C++ objects of T;
// empty otherwise. A nil class stands for T's own class, so that C++ code may call class
// methods with nil for `self`.
template <class T>
ObjcRef<T> make_instance_of(Class cls) {
    if (!cls) cls = native_class<T>();
    ObjcRef<> object = ObjcRef<>::adopt(class_createInstance(cls, 0));
    T* typed = dynamic_cast<T*>(object.get());
    if (!typed) return {};
    (void)object.take();
    return ObjcRef<T>::adopt(typed);
}
