// morvik-card-line: the production window, writing a list of cards on
// several writers.
#include <QApplication>
#include <cstdio>

#include "app/line/line_app.h"
#include "app/qt/display.h"
#include "app/qt/qt_application.h"
#include "app/qt/qt_dialog_host.h"

int main(int argc, char** argv) {
  // --help and a command line the window cannot take are said on the
  // terminal, and in a box when there is a screen to show one on.
  const std::optional<morvik::CommandLineAnswer> answer = morvik::AnswerCommandLine({argv + 1, argv + argc});
  if (answer) std::fputs(answer->text.c_str(), answer->error ? stderr : stdout);
  if (!morvik::DisplayAvailable()) {
    if (answer) return answer->status;
    std::fputs((std::string("morvik-card-line: ") + morvik::kNoDisplay).c_str(), stderr);
    return 1;
  }

  QApplication application(argc, argv);
  morvik::SetUpApplication(application, QStringLiteral("morvik-card-line"));

  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
  // What escapes is a fault of ours: the process ends with a failure's
  // status, not with an abort.
  try {
    morvik::QtDialogHost host;
    return morvik::RunLineWindow(host, arguments);
  } catch (...) {
    return 1;
  }
}
