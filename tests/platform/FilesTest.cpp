// The save of contents made a piece at a time: the pieces in order, and a
// producer that gives up leaves the old file as it was and nothing beside it.
#include "platform/Files.h"
#include "tests/support/WidgetTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray Contents(const QString& name) {
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

TEST(SaveFileInPieces, WritesThePiecesOrKeepsTheOldFileWhenStopped) {
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("mesh.stl"));
  const auto pieces = [](int count, bool finish) {
    return [count, finish](const TWritePiece& write) {
      for (int k = 0; k < count; ++k)
        if (!write(QByteArray::number(k) + ';')) return false;
      return finish;
    };
  };
  EXPECT_TRUE(SaveFileInPieces(name, pieces(4, true)));
  EXPECT_EQ(Contents(name), "0;1;2;3;");
  const TSaveResult stopped = SaveFileInPieces(name, pieces(2, false));
  EXPECT_EQ(stopped.Failure, TSaveResult::TFailure::Stopped);
  EXPECT_EQ(Contents(name), "0;1;2;3;");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("mesh.stl")});
  // Stopped before any piece, the file is not made at all.
  const QString other = dir.filePath(QStringLiteral("other.obj"));
  EXPECT_EQ(SaveFileInPieces(other, pieces(0, false)).Failure, TSaveResult::TFailure::Stopped);
  EXPECT_FALSE(QFile::exists(other));
  EXPECT_GT(FreeBytesFor(name), 0);
}

}  // namespace
