#include "platform/appkit/ns_image_rep.h"

#include "platform/objc/message_send.h"

NSString* const NSDeviceRGBColorSpace = NSString::make_constant(u"NSDeviceRGBColorSpace");
NSString* const NSCalibratedRGBColorSpace = NSString::make_constant(u"NSCalibratedRGBColorSpace");
NSString* const NSDeviceWhiteColorSpace = NSString::make_constant(u"NSDeviceWhiteColorSpace");
NSString* const NSCalibratedWhiteColorSpace =
    NSString::make_constant(u"NSCalibratedWhiteColorSpace");

bool same_color_space_name(NSString* a, NSString* b) {
    return a && b && a->units() == b->units();
}

NSString* NSImageRep::colorSpaceName() const {
    return m_color_space_name ? m_color_space_name.get() : NSDeviceRGBColorSpace;
}

void NSImageRep::setColorSpaceName(NSString* name) {
    m_color_space_name = ObjcRef<NSString>::retain(name);
}

std::string NSImageRep::file_name() const {
    std::size_t slash = m_file_path.find_last_of('/');
    return slash == std::string::npos ? m_file_path : m_file_path.substr(slash + 1);
}

BOOL NSImageRep::draw() {
    return NO;
}

BOOL NSImageRep::drawAtPoint(NSPoint) {
    return msg_send<BOOL>(this, "draw");
}

BOOL NSImageRep::drawInRect(NSRect) {
    return msg_send<BOOL>(this, "draw");
}

void register_ns_image_rep_class() {
    for (NSString* constant : {NSDeviceRGBColorSpace, NSCalibratedRGBColorSpace,
                               NSDeviceWhiteColorSpace, NSCalibratedWhiteColorSpace}) {
        NSString::give_constant_class(constant);
    }
    register_native_class<NSImageRep>(
        "NSImageRep", "NSObject",
        {
            instance_method<&NSImageRep::size>("size"),
            instance_method<&NSImageRep::setSize>("setSize:"),
            instance_method<&NSImageRep::pixelsWide>("pixelsWide"),
            instance_method<&NSImageRep::pixelsHigh>("pixelsHigh"),
            instance_method<&NSImageRep::hasAlpha>("hasAlpha"),
            instance_method<&NSImageRep::bitsPerSample>("bitsPerSample"),
            instance_method<&NSImageRep::colorSpaceName>("colorSpaceName"),
            instance_method<&NSImageRep::draw>("draw"),
            instance_method<&NSImageRep::drawAtPoint>("drawAtPoint:"),
            instance_method<&NSImageRep::drawInRect>("drawInRect:"),
        });
}
