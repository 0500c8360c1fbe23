// Code page 932 through Qt's converter, which gives the Windows bytes. A fresh
// converter per text: its error mark stays set once raised. Stateless, so that
// a text ending inside a character is an error rather than pending state.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include "window/cp932.h"

namespace morvik {
namespace {
constexpr const char* kCodePageName = "windows-31j";
constexpr QStringConverter::Flags kWholeText = QStringConverter::Flag::Stateless;
}  // namespace

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  // Keep a leading U+FEFF as a character: dropping it would change the text
  // without a word, and code page 932 has no such character to refuse it with.
  QStringDecoder fromUtf8(QStringDecoder::Utf8,
                          kWholeText | QStringConverter::Flag::ConvertInitialBom);
  const QString text = fromUtf8(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
  if (fromUtf8.hasError()) return std::nullopt;
  QStringEncoder toCp932(kCodePageName, kWholeText);
  if (!toCp932.isValid()) return std::nullopt;
  const QByteArray bytes = toCp932(text);
  if (toCp932.hasError()) return std::nullopt;
  return bytes.toStdString();
}

std::optional<std::string> DecodeCp932(std::string_view cp932) {
  QStringDecoder fromCp932(kCodePageName, kWholeText);
  if (!fromCp932.isValid()) return std::nullopt;
  const QString text =
      fromCp932(QByteArrayView(cp932.data(), static_cast<qsizetype>(cp932.size())));
  if (fromCp932.hasError()) return std::nullopt;
  return text.toUtf8().toStdString();
}

}  // namespace morvik
