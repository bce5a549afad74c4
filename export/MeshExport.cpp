#include "export/MeshExport.h"

#include "geometry/MeshFile.h"
#include "memory/SystemMemory.h"
#include "platform/Files.h"
#include "platform/LongWork.h"
#include "platform/Platform.h"

#include <QDir>

#include <cerrno>

namespace {

const QString ProgramName = QStringLiteral("Матрикон");

// A size as people read it: whole kilobytes below a megabyte, else megabytes.
QString Size(uint64_t bytes) {
  if (bytes < (uint64_t(1) << 20)) return QStringLiteral("%1 КБ").arg((bytes + 1023) >> 10);
  return QStringLiteral("%1 МБ").arg((bytes + (uint64_t(1) << 20) - 1) >> 20);
}

}  // namespace

void SaveMeshFile(QWidget* window, TMeshFormat format, const geometry::TGridSurface& surface,
                  const QString& description) {
  const bool stl = format == TMeshFormat::Stl;
  const geometry::TMeshCount count = geometry::CountMesh(surface);
  if (count.Triangles == 0) {
    Platform().Error(QStringLiteral("У поверхности нет ни одной ячейки со всеми четырьмя углами: в файл нечего записать."));
    return;
  }
  if (stl && count.Triangles > 0xFFFFFFFFu) {
    Platform().Error(QStringLiteral("В файле STL помещается не больше 4294967295 треугольников, а у поверхности их %1.")
                         .arg(count.Triangles));
    return;
  }
  const std::optional<QString> chosen =
      stl ? ChooseSaveFile({QStringLiteral("Сохранение 3D графика в файл STL"), QStringLiteral("Файлы STL (*.stl)|*.stl|"), 1},
                           QStringLiteral(".stl"))
          : ChooseSaveFile({QStringLiteral("Сохранение 3D графика в файл OBJ"), QStringLiteral("Файлы OBJ (*.obj)|*.obj|"), 1},
                           QStringLiteral(".obj"));
  if (!chosen) return;
  const QString& fileName = *chosen;
  const QString shownName = QDir::toNativeSeparators(fileName);

  const QByteArray header = (ProgramName + QStringLiteral(": ") + description).toUtf8();
  const QByteArray comment = (ProgramName + u'\n' + description).toUtf8();
  // The new file is written beside the old one: the disk must hold it whole.
  const uint64_t bytes = stl ? geometry::StlBytes(count) : geometry::ObjBytesAtMost(count, size_t(comment.size()));
  const int64_t free = FreeBytesFor(fileName);
  if (free >= 0 && uint64_t(free) < bytes) {
    Platform().Error((stl ? QStringLiteral("Не удалось записать файл %1 размером %2, на диске свободно %3: %4")
                          : QStringLiteral("Не удалось записать файл %1 размером до %2, на диске свободно %3: %4"))
                         .arg(shownName, Size(bytes), Size(uint64_t(free)), qt_error_string(ENOSPC)));
    return;
  }
  const uint64_t work = geometry::MeshWorkBytes(surface.Values());
  if (const uint64_t budget = memory::MemoryBudget(); work > budget) {
    Platform().Error(QStringLiteral("Не удалось записать файл %1: для записи нужно %2 памяти, а свободно %3.")
                         .arg(shownName, Size(work), Size(budget)));
    return;
  }

  TSaveResult saved;
  const bool done = RunLongWork(window, [&](TWorkControl& control) {
    saved = SaveFileInPieces(fileName, [&](const TWritePiece& write) {
      const geometry::TMeshSink sink = [&](const char* data, size_t size) {
        return write(QByteArrayView(data, qsizetype(size)));
      };
      const geometry::TMeshProgress going = [&](double share) {
        control.SetProgress(share);
        return !control.Stopped();
      };
      const std::string_view text = stl ? std::string_view(header.constData(), size_t(header.size()))
                                        : std::string_view(comment.constData(), size_t(comment.size()));
      return stl ? geometry::WriteStl(surface, text, sink, going) : geometry::WriteObj(surface, text, sink, going);
    });
  });
  // Stopped: the old file, if any, is as it was.
  if (!done || saved.Failure == TSaveResult::TFailure::Stopped) return;
  if (!saved) throw EPlatformError(QStringLiteral("Не удалось записать файл %1: %2").arg(shownName, saved.Reason));
}
