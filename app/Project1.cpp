// The start of the program: the application, the real platform layer, the
// engine's messages, the five windows, then the message loop.
#include "platform/Application.h"
#include "platform/EngineMessages.h"
#include "platform/QtPlatform.h"
#include "app/Shell.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("matrikon"));
  QGuiApplication::setDesktopFileName(QStringLiteral("matrikon"));
  // The splash is hidden, never closed, and the menu window ends the program itself.
  QGuiApplication::setQuitOnLastWindowClosed(false);

  // The user interface is Russian throughout, the standard dialogs included
  // (file, colour and print dialogs, message box buttons), whatever the locale.
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTranslator);

  TQtPlatform platform(QStringLiteral("Матрикон"));
  SetPlatform(&platform);
  ConnectEngineMessages();

  std::unique_ptr<TWindows> windows = CreateWindows();
  windows->Form1->show();
  const int result = application.exec();
  windows.reset();
  SetPlatform(nullptr);
  return result;
}
