// POSIX: the C library words errno values in the language of a locale. The
// process keeps the "C" locale (numbers and character classes stay as the
// tool parses and prints them); a Japanese reason comes from a locale object
// of its own, ja_JP.UTF-8, so the text is UTF-8 whatever the user's codeset.
#include <locale.h>
#include <string.h>

#include <system_error>

#include "files/file_access.h"

namespace morvik {

std::string SystemReasonIn(int errorNumber, Language language) {
  if (language == Language::kJapanese) {
    // Made once and kept for the process; null when the locale is not
    // installed, and the reason is then said in English.
    static const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", static_cast<locale_t>(nullptr));
    if (japanese != static_cast<locale_t>(nullptr)) return strerror_l(errorNumber, japanese);
  }
  return std::generic_category().message(errorNumber);
}

}  // namespace morvik
