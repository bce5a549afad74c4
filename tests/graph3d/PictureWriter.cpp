// graph3d-pictures DIR: writes the pinned pictures of PictureCases.h into DIR
// as NAME.png. Run by scripts/graph3d-pictures.sh.
#include "tests/graph3d/PictureCases.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: graph3d-pictures DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  for (const graph3d_pictures::TCase& c : graph3d_pictures::Cases()) {
    const QString file = dir.filePath(c.Name + ".png");
    if (!graph3d_pictures::Render(c).save(file, "PNG", 0)) {
      std::fprintf(stderr, "graph3d-pictures: cannot write %s\n", qPrintable(file));
      return 1;
    }
    std::printf("%s\n", qPrintable(file));
  }
  return 0;
}
