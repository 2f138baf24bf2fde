#include "platform/foundation/ns_locale.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_name_character(char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '_';
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// The value of the first locale variable that is set and not empty.
std::string_view locale_variable(const LocaleEnvironment& environment) {
    for (const char* value : {environment.lc_all, environment.lc_messages, environment.lang}) {
        if (value && *value) return value;
    }
    return {};
}

std::string language_tag_of(std::string_view value) {
    std::string tag = locale_name_of(value);
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

} // namespace

LocaleEnvironment LocaleEnvironment::of_process() {
    return {std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
            std::getenv("LANG")};
}

std::string locale_name_of(std::string_view value) {
    std::string name(value.substr(0, value.find_first_of(".@")));
    // "de-DE" is taken for the locale name it stands for.
    std::replace(name.begin(), name.end(), '-', '_');
    if (name == "C" || name == "POSIX" || name.empty() || !is_letter(name[0])) return {};
    if (!std::all_of(name.begin(), name.end(), is_name_character)) return {};
    return name;
}

std::string locale_identifier_for(const LocaleEnvironment& environment) {
    std::string name = locale_name_of(locale_variable(environment));
    return name.empty() ? std::string(k_posix_locale_identifier) : name;
}

std::vector<std::string> preferred_languages_for(const LocaleEnvironment& environment) {
    std::vector<std::string_view> candidates;
    if (environment.language) candidates = split(environment.language, ':');
    candidates.push_back(locale_variable(environment));
    std::vector<std::string> languages;
    for (std::string_view candidate : candidates) {
        std::string tag = language_tag_of(candidate);
        if (tag.empty() || std::find(languages.begin(), languages.end(), tag) != languages.end()) {
            continue;
        }
        languages.push_back(std::move(tag));
    }
    if (languages.empty()) languages.emplace_back(k_fallback_language);
    return languages;
}

NSLocale* NSLocale::make_autoreleased(Class cls, std::string identifier) {
    ObjcRef<NSLocale> locale = make_instance_of<NSLocale>(cls);
    if (!locale) return nil;
    locale->m_identifier = std::move(identifier);
    return locale.autorelease();
}

NSLocale* NSLocale::currentLocale(Class self) {
    return make_autoreleased(self, locale_identifier_for(LocaleEnvironment::of_process()));
}

NSArray* NSLocale::preferredLanguages(Class) {
    std::vector<ObjcRef<>> tags;
    std::vector<id> elements;
    for (const std::string& tag : preferred_languages_for(LocaleEnvironment::of_process())) {
        elements.push_back(tags.emplace_back(NSString::from_utf8(tag)).get());
    }
    return NSArray::make(elements).autorelease();
}

NSString* NSLocale::localeIdentifier() const {
    return NSString::from_utf8(m_identifier).autorelease();
}

void register_ns_locale_class() {
    register_native_class<NSLocale>(
        "NSLocale", "NSObject",
        {
            class_method<&NSLocale::currentLocale>("currentLocale"),
            instance_method<&NSLocale::localeIdentifier>("localeIdentifier"),
        });
}
