#pragma once
// NSLocale: the user's locale and languages, taken from the POSIX locale variables. The locale
// identifier comes from the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty
// ("de_DE.UTF-8" and "de_DE@euro" give "de_DE"; "C", "POSIX", nothing or a value that is not a
// locale name gives "en_US_POSIX"). The preferred languages are the entries of LANGUAGE (a
// colon-separated list), then the locale variable chosen above, as language tags ("de-DE"),
// without duplicates and without "C" or "POSIX"; "en-US" when none is usable. LANGUAGE counts
// even when the locale is "C". The variables are read at each call.

#include "platform/objc/native_class.h"

#include <string>
#include <string_view>
#include <vector>

class NSArray;
class NSString;

// The variables that decide the locale; null for an unset variable.
struct LocaleEnvironment {
    const char* language = nullptr; // LANGUAGE
    const char* lc_all = nullptr;
    const char* lc_messages = nullptr;
    const char* lang = nullptr;

    static LocaleEnvironment of_process();
};

inline constexpr std::string_view k_posix_locale_identifier = "en_US_POSIX";
inline constexpr std::string_view k_fallback_language = "en-US";

// The locale name of one variable's value without its codeset and modifier ("de_DE"); empty
// for "C", "POSIX", an empty value, or text that is not a locale name (letters, digits and '_',
// starting with a letter).
std::string locale_name_of(std::string_view value);
std::string locale_identifier_for(const LocaleEnvironment& environment);
std::vector<std::string> preferred_languages_for(const LocaleEnvironment& environment);

class NSLocale : public NSObject {
  public:
    NSLocale() = default;

    // Class methods; locales are autoreleased, made anew at each call.
    static NSLocale* currentLocale(Class self);
    // Never empty.
    static NSArray* preferredLanguages(Class self);

    NSString* localeIdentifier() const;

  private:
    static NSLocale* make_autoreleased(Class cls, std::string identifier);

    std::string m_identifier;
};

void register_ns_locale_class();
