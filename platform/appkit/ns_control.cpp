#include "platform/appkit/ns_control.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_font.h"
#include "platform/objc/message_send.h"

#include <atomic>
#include <climits>
#include <string>

namespace {

bool is_blank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r';
}

// Reads like strtol over UTF-16, saturating at the limits of int.
int decimal_prefix(std::u16string_view text) {
    std::size_t at = 0;
    while (at < text.size() && is_blank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
    long long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

uint64_t NSControl::next_creation_serial() {
    static std::atomic<uint64_t> s_serial{0};
    return ++s_serial;
}

NSString* NSControl::stringValue() const {
    if (m_string_value) return m_string_value.get();
    return NSString::make(u"").autorelease();
}

// Copied, so that a string changed later does not change the control.
void NSControl::setStringValue(NSString* value) {
    m_string_value = NSString::make(units_of(value));
}

int NSControl::intValue() const {
    return decimal_prefix(units_of(stringValue()));
}

void NSControl::setIntValue(int value) {
    const std::string digits = std::to_string(value);
    m_string_value = NSString::from_utf8(digits);
}

NSFont* NSControl::font() const {
    if (m_font) return m_font.get();
    return NSFont::systemFontOfSize(native_class<NSFont>(), NSFont::systemFontSize(nil));
}

void NSControl::setFont(NSFont* font) {
    m_font = ObjcRef<NSFont>::retain(font);
}

// By message, so that an application subclass that routes actions itself is honoured.
BOOL NSControl::sendActionTo(SEL action, id target) {
    if (!action || !NSApp) return NO;
    return msg_send<BOOL>(NSApp, "sendAction:to:from:", action, target, static_cast<id>(this));
}

void register_ns_control_class() {
    register_native_class<NSControl>(
        "NSControl", "NSView",
        {
            instance_method<&NSControl::tag>("tag"),
            instance_method<&NSControl::setTag>("setTag:"),
            instance_method<&NSControl::target>("target"),
            instance_method<&NSControl::setTarget>("setTarget:"),
            instance_method<&NSControl::action>("action"),
            instance_method<&NSControl::setAction>("setAction:"),
            instance_method<&NSControl::isEnabled>("isEnabled"),
            instance_method<&NSControl::setEnabled>("setEnabled:"),
            instance_method<&NSControl::stringValue>("stringValue"),
            instance_method<&NSControl::setStringValue>("setStringValue:"),
            instance_method<&NSControl::intValue>("intValue"),
            instance_method<&NSControl::setIntValue>("setIntValue:"),
            instance_method<&NSControl::font>("font"),
            instance_method<&NSControl::setFont>("setFont:"),
            instance_method<&NSControl::alignment>("alignment"),
            instance_method<&NSControl::setAlignment>("setAlignment:"),
            instance_method<&NSControl::validateEditing>("validateEditing"),
            instance_method<&NSControl::sendActionTo>("sendAction:to:"),
        });
}
