// The language the user reads: Japanese or English.
#pragma once

#include <string_view>

namespace morvik {

enum class Language { kEnglish, kJapanese };

// As gettext chooses: the first non-empty of LC_ALL, LC_MESSAGES and LANG;
// a name starting "ja" is Japanese, anything else ("C", "POSIX", none) English.
Language LanguageOfLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);

// The user's language: on Windows the user's interface language, elsewhere
// the environment's locale variables.
Language UserLanguage();

}  // namespace morvik
