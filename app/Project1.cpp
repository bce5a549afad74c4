// The start of the program: the application, the real platform layer, the
// engine's messages, the five windows, then the message loop.
#include "platform/Application.h"
#include "platform/EngineMessages.h"
#include "platform/QtPlatform.h"
#include "app/CommandLine.h"
#include "app/Shell.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv) {
  // --help and --version answer before any window, also without a display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (const std::optional<QString> answer = CommandLineAnswer(arguments)) {
    const QByteArray text = answer->toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
  }

  TApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("matrikon"));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.matrikon"));
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
