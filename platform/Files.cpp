#include "platform/Files.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(const QFileDevice& file) {
  return file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(EIO);
}

// What a file system entry that holds no data of its own is.
QString NotAFileReason(mode_t mode) {
  if (S_ISDIR(mode)) return QStringLiteral("это папка, а не файл");
  if (S_ISFIFO(mode)) return QStringLiteral("это именованный канал, а не файл");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("это устройство, а не файл");
  if (S_ISSOCK(mode)) return QStringLiteral("это сокет, а не файл");
  return QStringLiteral("это не обычный файл");
}

}  // namespace

TSaveResult SaveFileContents(const QString& fileName, QByteArrayView data) {
  return SaveFileInPieces(fileName, [data](const TWritePiece& write) { return write(data); });
}

TSaveResult SaveFileInPieces(const QString& fileName, const std::function<bool(const TWritePiece& write)>& produce) {
  // The new file would take the place of a pipe or a device, and a folder
  // cannot be replaced: refused as an open refuses them. A link is followed
  // to what it names, as the save itself does.
  const QByteArray path = QFile::encodeName(fileName);
  struct stat status {};
  if (::stat(path.constData(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) return {TSaveResult::TFailure::NotAFile, NotAFileReason(status.st_mode)};
    // The save refuses a file it may not write, in words of its own: the
    // system's ("Read-only file system") say why.
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
      return {TSaveResult::TFailure::Create, qt_error_string(errno)};
  }
  QSaveFile file(fileName);
  // Written in place, a failure would leave the old file damaged.
  file.setDirectWriteFallback(false);
  // Unbuffered, so that every write reaches the system here and its failure
  // is seen: a failed write buffered until the commit goes unnoticed.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return {TSaveResult::TFailure::Create, SystemReason(file)};
  // A full disk takes the part that fits and refuses the rest: the refusal
  // of the next write is what names the cause.
  std::optional<QString> refused;
  const TWritePiece write = [&](QByteArrayView data) {
    if (refused) return false;
    for (qsizetype done = 0; done < data.size();) {
      const qint64 written = file.write(data.data() + done, data.size() - done);
      if (written <= 0) {
        refused = SystemReason(file);
        return false;
      }
      done += written;
    }
    return true;
  };
  const bool complete = produce(write);
  if (!complete || refused) {
    file.cancelWriting();
    file.commit();  // drops the new file
    if (refused) return {TSaveResult::TFailure::Write, *refused};
    return {TSaveResult::TFailure::Stopped, QString()};
  }
  if (!file.commit()) return {TSaveResult::TFailure::Write, SystemReason(file)};
  return {};
}

int64_t FreeBytesFor(const QString& fileName) {
  const QStorageInfo storage(QFileInfo(fileName).absolutePath());
  if (!storage.isValid() || !storage.isReady()) return -1;
  return storage.bytesAvailable();
}

TOpenResult OpenForReading(QFile& file) {
  const QByteArray path = QFile::encodeName(file.fileName());
  struct stat status {};
  if (::stat(path.constData(), &status) != 0) return {TOpenResult::TFailure::Open, qt_error_string(errno)};
  if (!S_ISREG(status.st_mode)) return {TOpenResult::TFailure::NotAFile, NotAFileReason(status.st_mode)};
  // Without blocking, and checked again once open: the name may have been
  // given to a pipe in the meantime.
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {TOpenResult::TFailure::Open, qt_error_string(errno)};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    const TOpenResult refused{TOpenResult::TFailure::NotAFile, NotAFileReason(status.st_mode)};
    ::close(fd);
    return refused;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return {TOpenResult::TFailure::Open, SystemReason(file)};
  }
  return {};
}

std::optional<QString> ChooseSaveFile(const TFileDialogRequest& request, const QString& extension,
                                      TAppendExtension append) {
  const std::optional<QString> chosen = Platform().SaveFileDialog(request);
  if (!chosen) return std::nullopt;
  const bool has = chosen->endsWith(extension, Qt::CaseInsensitive);
  const QString fileName = append == TAppendExtension::WhenMissing && has ? *chosen : *chosen + extension;
  // Only a regular file is worth the question: anything else is refused by the save.
  struct stat status {};
  if (::stat(QFile::encodeName(fileName).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
      !Platform().Question(QStringLiteral("Файл %1 уже существует. Заменить его?").arg(QDir::toNativeSeparators(fileName))))
    return std::nullopt;
  return fileName;
}
