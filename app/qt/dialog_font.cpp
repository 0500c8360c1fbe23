#include "app/qt/dialog_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

namespace morvik {
namespace {

constexpr const char* kJapaneseFallbacks[] = {"VL PGothic", "VL Gothic"};

QString ChooseFamily(std::string_view wanted) {
  const QStringList installed = QFontDatabase::families();
  const QString named = QString::fromUtf8(wanted.data(), static_cast<qsizetype>(wanted.size()));
  if (installed.contains(named)) return named;
  for (const char* fallback : kJapaneseFallbacks) {
    if (installed.contains(QLatin1String(fallback))) return QLatin1String(fallback);
  }
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  return japanese.isEmpty() ? QString() : japanese.front();
}

int LogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 96;
}

}  // namespace

QFont DialogFont(std::string_view family, int pointSize) {
  QFont font;
  const QString chosen = ChooseFamily(family);
  if (!chosen.isEmpty()) font.setFamily(chosen);
  font.setPixelSize(MulDiv(pointSize, LogicalDpi(), 72));
  font.setWeight(QFont::Normal);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnitsFromFont(alphabet, metrics.height());
}

}  // namespace morvik

namespace morvik {

void ApplyDialogStyle() {
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(style);
}

}  // namespace morvik
