#include "platform/foundation/ns_locale.h"

#include "platform/foundation/ns_array.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <string>

TEST(NSLocale, IdentifierAndPreferredLanguagesComeFromTheLocaleVariables) {
    const struct {
        LocaleEnvironment environment; // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        const char* identifier;
        const char* languages;
    } rows[] = {
        {{nullptr, nullptr, nullptr, "de_DE.UTF-8"}, "de_DE", "de-DE"},
        {{nullptr, nullptr, nullptr, "C.UTF-8"}, "en_US_POSIX", "en-US"},
        {{nullptr, "it_IT.UTF-8", "fr_FR", "de_DE"}, "it_IT", "it-IT"},
        // The first variable set decides, even when it names the POSIX locale.
        {{nullptr, "C", nullptr, "de_DE"}, "en_US_POSIX", "en-US"},
        // LANGUAGE names languages, not the locale, and counts even under "C".
        {{"fr_FR:de", nullptr, nullptr, "de_DE.UTF-8"}, "de_DE", "fr-FR de de-DE"},
        {{"it::C:POSIX:es_ES", nullptr, nullptr, nullptr}, "en_US_POSIX", "it es-ES"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.identifier) + " / " + row.languages);
        EXPECT_EQ(locale_identifier_for(row.environment), row.identifier);
        std::string languages;
        for (const std::string& tag : preferred_languages_for(row.environment))
            languages += (languages.empty() ? "" : " ") + tag;
        EXPECT_EQ(languages, row.languages);
    }
}
