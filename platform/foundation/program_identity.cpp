#include "platform/foundation/program_identity.h"

#include "platform/foundation/ns_bundle.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_string.h"

#include <string_view>

namespace {

const ProgramIdentity k_own_identity{"Zerarazi", "org.zerarazi.Zerarazi"};

bool is_usable_file_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// Info.plist's text for `key`; empty when absent or not a text.
std::string info_text(const NSBundle& bundle, const char16_t* key) {
    const NSDictionary* info = bundle.infoDictionary();
    if (!info) return {};
    const auto* text = dynamic_cast<const NSString*>(info->objectForKey(NSString::make(key).get()));
    return text ? text->utf8() : std::string();
}

} // namespace

ProgramIdentity program_identity_of(const NSBundle* bundle) {
    if (!bundle) return k_own_identity;
    ProgramIdentity identity{info_text(*bundle, u"CFBundleName"),
                             info_text(*bundle, u"CFBundleIdentifier")};
    if (!is_usable_file_name(identity.name)) identity.name = k_own_identity.name;
    if (!is_usable_file_name(identity.identifier)) identity.identifier = k_own_identity.identifier;
    return identity;
}

const ProgramIdentity& main_program_identity() {
    static const ProgramIdentity identity = program_identity_of(NSBundle::mainBundle(nil));
    return identity;
}
