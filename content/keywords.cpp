#include "content/keywords.h"

#include <initializer_list>

#include "window/cp932_bytes.h"

namespace morvik {
namespace {

constexpr std::string_view kKeywordCaption = "Error";
constexpr std::string_view kCounterPlacementFormat =
    "キーワード%sは必ず%sの直後に配置する必要があります。"
    "このまま書込を続行すると%sはそのまま表示されます";
constexpr std::string_view kTitleAndBodyFormat =
    "キーワード%sおよび%sはメールタイトルもしくは本文のどちらか一方にのみ設定が可能です。"
    "このまま書込を続行すると本文の分が無効になります";

// Fills each "%s" of a format with the next argument, in order.
std::string FillFormat(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string text;
  auto next = args.begin();
  std::size_t start = 0;
  for (std::size_t mark = format.find("%s"); mark != std::string_view::npos;
       mark = format.find("%s", start)) {
    text.append(format.substr(start, mark - start));
    if (next != args.end()) text.append(*next++);
    start = mark + 2;
  }
  text.append(format.substr(start));
  return text;
}

bool OperatorAgrees(WindowServices& window, const std::string& question) {
  const OperatorMessage message(question, std::string(kKeywordCaption), kMbQuestion, {MessageKind::kQuestion, {}});
  return window.ShowMessage(message) != kIdCancel;
}

// The first keyword that starts on a character boundary: the trail byte of a
// double-byte character ("ー" is 81 5B) is no "[".
std::optional<std::size_t> Find(std::string_view text, std::string_view keyword) {
  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at).starts_with(keyword)) return at;
    at += IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return std::nullopt;
}

struct MailKeywords {
  bool proceed = true;
  KeywordCode code = KeywordCode::kNone;
  std::string* text = nullptr;
  std::size_t position = 0;
  bool inTitle = false;
};

template <typename Result>
Result Cancelled() {
  Result result;
  result.proceed = false;
  return result;
}

MailKeywords FindMailKeywords(WindowServices& window, ContentSettings& settings) {
  const IdmCounterSearch title = FindIdmCounter(window, settings.mailTitle);
  if (!title.proceed) return Cancelled<MailKeywords>();
  const IdmCounterSearch body = FindIdmCounter(window, settings.mailBody);
  if (!body.proceed) return Cancelled<MailKeywords>();
  const bool inTitle = title.code != KeywordCode::kNone;
  const bool inBody = body.code != KeywordCode::kNone;
  if (inTitle && inBody &&
      !OperatorAgrees(window, FillFormat(kTitleAndBodyFormat, {kIdmKeyword, kCounterKeyword}))) {
    return Cancelled<MailKeywords>();
  }
  if (inTitle) return {true, title.code, &settings.mailTitle, *title.idmPosition, true};
  if (inBody) return {true, body.code, &settings.mailBody, *body.idmPosition, false};
  return {};
}

// Offset of the first mail blank counted from the first byte of the mail
// section, minus 8: six header bytes, then To, cc, title and body, each
// behind a two-byte length.
std::int32_t MailIdmOffset(const ContentSettings& settings, const MailKeywords& found) {
  const std::size_t addresses = settings.mailTo.size() + settings.mailCc.size();
  const std::size_t before =
      found.inTitle ? addresses + 4 : addresses + settings.mailTitle.size() + 6;
  return static_cast<std::int32_t>(before + found.position);
}

void OverwriteFirst(std::string& text, std::string_view keyword, std::string_view digits) {
  if (const std::optional<std::size_t> position = Find(text, keyword)) {
    text.replace(*position, keyword.size(), digits);
  }
}

}  // namespace

IdmCounterSearch FindIdmCounter(WindowServices& window, std::string_view text) {
  const std::optional<std::size_t> idm = Find(text, kIdmKeyword);
  std::optional<std::size_t> counter = Find(text, kCounterKeyword);
  if (counter && (!idm || *counter != *idm + kIdmKeyword.size())) {
    const std::string question =
        FillFormat(kCounterPlacementFormat, {kCounterKeyword, kIdmKeyword, kCounterKeyword});
    if (!OperatorAgrees(window, question)) return Cancelled<IdmCounterSearch>();
    counter.reset();
  }
  if (!idm) return {};
  return {true, idm, counter ? KeywordCode::kIdmCounter : KeywordCode::kIdm};
}

void PutKeywordBlanks(std::string& text, std::size_t position, KeywordCode code) {
  if (code == KeywordCode::kNone) return;
  const bool withCounter = code == KeywordCode::kIdmCounter;
  const std::size_t keywordBytes = withCounter ? 8 : 4;
  const std::size_t blanks = withCounter ? 20 : 16;
  if (position > text.size() || text.size() - position < keywordBytes) return;
  text.replace(position, keywordBytes, blanks, ' ');
}

bool ApplyIdmCounterKeywords(WindowServices& window, ContentSettings& settings) {
  settings.urlHasIdm = settings.urlHasCounter = 0;
  settings.mailHasIdm = settings.mailHasCounter = 0;
  settings.urlIdmOffset = settings.mailIdmOffset = 0;

  const IdmCounterSearch url = FindIdmCounter(window, settings.url);
  if (!url.proceed) return false;
  MailKeywords mail;
  if (settings.mailEnabled != 0) {
    mail = FindMailKeywords(window, settings);
    if (!mail.proceed) return false;
  }
  settings.urlHasIdm = url.code != KeywordCode::kNone;
  settings.urlHasCounter = url.code == KeywordCode::kIdmCounter;
  settings.mailHasIdm = mail.code != KeywordCode::kNone;
  settings.mailHasCounter = mail.code == KeywordCode::kIdmCounter;

  if (settings.urlHasIdm != 0) {
    settings.urlIdmOffset = static_cast<std::int32_t>(*url.idmPosition);
    PutKeywordBlanks(settings.url, *url.idmPosition, url.code);
  }
  if (settings.mailHasIdm != 0) {
    settings.mailIdmOffset = MailIdmOffset(settings, mail);
    PutKeywordBlanks(*mail.text, mail.position, mail.code);
  }
  return true;
}

std::string CustomerIdDigits(const std::array<std::uint8_t, 2>& customerId) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string digits;
  for (const std::uint8_t byte : customerId) {
    digits.push_back(kHex[byte >> 4]);
    digits.push_back(kHex[byte & 0x0F]);
  }
  return digits;
}

void ReplaceCustomerIdKeyword(ContentSettings& settings,
                              const std::array<std::uint8_t, 2>& customerId,
                              std::int32_t serviceCid) {
  const std::string digits =
      CustomerIdDigits(serviceCid != 0 ? std::array<std::uint8_t, 2>{} : customerId);
  for (std::string* text : {&settings.url, &settings.mailTitle, &settings.mailBody}) {
    OverwriteFirst(*text, kCustomerIdKeyword, digits);
  }
}

}  // namespace morvik
