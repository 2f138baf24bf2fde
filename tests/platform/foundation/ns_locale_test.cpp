#include "platform/foundation/ns_locale.h"

#include "platform/foundation/ns_array.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : " ") + part;
    return text;
}

std::string describe(const LocaleEnvironment& e) {
    auto show = [](const char* value) { return value ? '"' + std::string(value) + '"' : "unset"; };
    return "LANGUAGE=" + show(e.language) + " LC_ALL=" + show(e.lc_all) +
           " LC_MESSAGES=" + show(e.lc_messages) + " LANG=" + show(e.lang);
}

} // namespace

TEST(NSLocale, IdentifierComesFromTheFirstLocaleVariableSet) {
    struct Case {
        LocaleEnvironment environment;
        const char* expected;
    };
    const Case cases[] = {
        {{nullptr, nullptr, nullptr, "de_DE.UTF-8"}, "de_DE"},
        {{nullptr, nullptr, nullptr, "de_DE@euro"}, "de_DE"},
        {{nullptr, nullptr, nullptr, "sr_RS.UTF-8@latin"}, "sr_RS"},
        {{nullptr, nullptr, nullptr, "fr"}, "fr"},
        {{nullptr, nullptr, nullptr, "C"}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, "C.UTF-8"}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, "POSIX"}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, nullptr}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, ""}, "en_US_POSIX"},
        {{nullptr, "it_IT.UTF-8", "fr_FR", "de_DE"}, "it_IT"},
        {{nullptr, "", "fr_FR", "de_DE"}, "fr_FR"},
        {{nullptr, nullptr, "", "de_DE"}, "de_DE"},
        // The first variable set decides, even when it names the POSIX locale.
        {{nullptr, "C", nullptr, "de_DE"}, "en_US_POSIX"},
        // LANGUAGE names languages, not the locale.
        {{"fr", nullptr, nullptr, "de_DE"}, "de_DE"},
        {{nullptr, nullptr, nullptr, "/usr/lib/locale/x"}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, "de DE"}, "en_US_POSIX"},
        {{nullptr, nullptr, nullptr, "de-DE"}, "de_DE"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(locale_identifier_for(row.environment), row.expected)
            << describe(row.environment);
}

TEST(NSLocale, PreferredLanguagesListLanguageThenTheLocale) {
    struct Case {
        LocaleEnvironment environment;
        const char* expected;
    };
    const Case cases[] = {
        {{nullptr, nullptr, nullptr, "de_DE.UTF-8"}, "de-DE"},
        {{"fr_FR:de", nullptr, nullptr, "de_DE.UTF-8"}, "fr-FR de de-DE"},
        {{"de_DE:de_DE.UTF-8:de", nullptr, nullptr, "de_DE@euro"}, "de-DE de"},
        {{"it::C:POSIX:es_ES", nullptr, nullptr, nullptr}, "it es-ES"},
        {{"", nullptr, "pt_BR.UTF-8", "de_DE"}, "pt-BR"},
        {{"sr_RS@latin", nullptr, nullptr, "C"}, "sr-RS"},
        {{nullptr, "C", nullptr, "de_DE"}, "en-US"},
        {{nullptr, nullptr, nullptr, nullptr}, "en-US"},
        {{":", nullptr, nullptr, "POSIX"}, "en-US"},
        {{"zh_Hant_TW", nullptr, nullptr, nullptr}, "zh-Hant-TW"},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(joined(preferred_languages_for(row.environment)), row.expected)
            << describe(row.environment);
    }
}

TEST(NSLocale, SplitsLanguageAndCountryCodes) {
    struct Case {
        const char* identifier;
        const char* language;
        const char* country;
    };
    const Case cases[] = {
        {"de_DE", "de", "DE"},      {"en_US_POSIX", "en", "US"}, {"fr", "fr", ""},
        {"zh_Hant_TW", "zh", "TW"}, {"es_419", "es", "419"},     {"", "", ""},
        {"sr_Latn", "sr", ""},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(language_code_of(row.identifier), row.language) << row.identifier;
        EXPECT_EQ(country_code_of(row.identifier), row.country) << row.identifier;
    }
}

TEST(NSLocale, AnswersByNameFromTheProcessEnvironment) {
    EnvironmentScope language("LANGUAGE", "fr_CH:fr");
    EnvironmentScope all("LC_ALL", nullptr);
    EnvironmentScope messages("LC_MESSAGES", nullptr);
    EnvironmentScope lang("LANG", "de_DE.UTF-8");
    AutoreleasePoolScope pool;
    Class cls = class_named("NSLocale");
    id locale = msg_send<id>(cls, "currentLocale");
    ASSERT_TRUE(locale);
    EXPECT_EQ(text_of(msg_send<id>(locale, "localeIdentifier")), "de_DE");
    EXPECT_EQ(text_of(msg_send<id>(locale, "objectForKey:", static_cast<id>(NSLocaleLanguageCode))),
              "de");
    EXPECT_EQ(text_of(msg_send<id>(locale, "objectForKey:", static_cast<id>(NSLocaleCountryCode))),
              "DE");
    EXPECT_EQ(msg_send<id>(locale, "objectForKey:", static_cast<id>(NSString::make(u"x").get())),
              nil);

    auto* languages = msg_send<NSArray*>(cls, "preferredLanguages");
    ASSERT_TRUE(languages);
    ASSERT_EQ(languages->count(), 3u);
    EXPECT_EQ(text_of(languages->objectAtIndex(0)), "fr-CH");
    EXPECT_EQ(text_of(languages->objectAtIndex(1)), "fr");
    EXPECT_EQ(text_of(languages->objectAtIndex(2)), "de-DE");
}

// The key constants may be made before the string class exists; they must still be strings,
// even when asking for a constant's class is the first thing a program does.
TEST(NSLocale, KeyConstantsAreStringsWithThePlatformValues) {
    Class first_asked = object_getClass(NSLocaleLanguageCode);
    EXPECT_EQ(first_asked, class_named("NSString"));
    EXPECT_EQ(text_of(NSLocaleLanguageCode), "kCFLocaleLanguageCodeKey");
    EXPECT_EQ(text_of(NSLocaleCountryCode), "kCFLocaleCountryCodeKey");
    EXPECT_EQ(text_of(NSLocaleIdentifier), "kCFLocaleIdentifierKey");
    NSLocaleLanguageCode->release();
    EXPECT_EQ(text_of(NSLocaleLanguageCode), "kCFLocaleLanguageCodeKey");
}
