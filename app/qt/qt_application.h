// What every window program of ours sets up on its application object.
#pragma once

#include <QLocale>
#include <QString>

class QApplication;
class QTranslator;

namespace morvik {

// The classic look, the program's icon for each of its windows, the name of
// its desktop entry, and Qt's own dialogs in the user's language.
void SetUpApplication(QApplication& application, const QString& desktopName);

// Qt's catalog for the locale's language, when one is installed (Debian:
// qt6-translations-l10n): the file dialog and the buttons Qt names itself
// then speak it. The catalog installed, owned by the application; nullptr
// when there is none.
QTranslator* InstallQtTranslations(QApplication& application, const QLocale& locale);

}  // namespace morvik
