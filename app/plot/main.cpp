// matrikon-plot: a plot of either window drawn into a file, without a display.
#include "app/plot/PlotCli.h"
#include "platform/Application.h"
#include "platform/ConsolePlatform.h"
#include "platform/EngineMessages.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Qt's own notes about the offscreen platform and the environment are for
// developers; the user reads only the program's messages.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(message.toUtf8().constData(), stderr);
    std::abort();
  }
}

void Print(std::FILE* to, const QString& text) {
  const QByteArray bytes = text.toUtf8() + (text.endsWith(u'\n') ? "" : "\n");
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const auto parsed = plotcli::ParseArguments(arguments);
  if (const auto* text = std::get_if<plotcli::TText>(&parsed)) {
    Print(text->Status == 0 ? stdout : stderr, text->Text);
    return text->Status;
  }
  // No display is needed, nor used when there is one.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietQt);
  TApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("matrikon-plot"));
  TConsolePlatform console;
  SetPlatform(&console);
  ConnectEngineMessages();
  const int status = plotcli::Run(std::get<plotcli::TOptions>(parsed), console);
  SetPlatform(nullptr);
  return status;
}
