#include "words/language.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace morvik {

Language LanguageOfLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang) {
  for (const std::string_view name : {lcAll, lcMessages, lang}) {
    if (name.empty()) continue;
    return name.starts_with("ja") ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

#ifdef _WIN32
Language UserLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::kJapanese : Language::kEnglish;
}
#else
Language UserLanguage() {
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string_view(value == nullptr ? "" : value);
  };
  return LanguageOfLocale(variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"));
}
#endif

}  // namespace morvik
