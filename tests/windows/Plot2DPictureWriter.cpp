// plot2d-pictures DIR: writes the pinned pictures of Plot2DPictureCases.h and
// the text probe into DIR as NAME.png. Run by scripts/plot2d-pictures.sh.
#include "platform/Application.h"
#include "platform/EngineMessages.h"
#include "tests/windows/Plot2DPictureCases.h"

#include <QDir>

#include <cstdio>

namespace {

bool Write(const QImage& image, const QString& file) {
  if (!image.save(file, "PNG", 0)) {
    std::fprintf(stderr, "plot2d-pictures: cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: plot2d-pictures DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  ConnectEngineMessages();
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  for (const plot2d_pictures::TCase& c : plot2d_pictures::Cases())
    if (!Write(plot2d_pictures::Render(c), dir.filePath(c.Name + ".png"))) return 1;
  return Write(plot2d_pictures::TextProbe(), dir.filePath(plot2d_pictures::ProbeName + ".png")) ? 0 : 1;
}
