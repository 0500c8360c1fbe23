#include "app/qt/qt_application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/qt/dialog_font.h"
#include "app/qt/qt_icon.h"

namespace morvik {

void SetUpApplication(QApplication& application, const QString& desktopName) {
  QApplication::setQuitOnLastWindowClosed(false);
  ApplyDialogStyle();
  QApplication::setWindowIcon(AppIcon());
  QGuiApplication::setDesktopFileName(desktopName);
  InstallQtTranslations(application, QLocale::system());
}

QTranslator* InstallQtTranslations(QApplication& application, const QLocale& locale) {
  auto* translator = new QTranslator(&application);
  if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator)) {
    return translator;
  }
  delete translator;
  return nullptr;
}

}  // namespace morvik
