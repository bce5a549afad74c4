// The files the program saves and opens.
//
// A save replaces a file only once every byte of the new contents is on the
// disk; otherwise the old file stays whole and the failure names the system's
// reason ("No space left on device"). Both a save and an open refuse anything
// that is not a regular file: a named pipe or a device would block the
// program for good or be replaced by a file.
//
//   const std::optional<QString> name = ChooseSaveFile({title, filter, 1}, QStringLiteral(".bmp"));
//   if (!name) return;   // cancelled, or the user keeps the file there
//   if (const TSaveResult saved = SaveFileContents(*name, bytes); !saved) ... saved.Reason ...
//   QFile file(name);
//   if (const TOpenResult opened = OpenForReading(file); !opened) ... opened.Reason ...
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QFile;
struct TFileDialogRequest;

struct TSaveResult {
  // Stopped: the contents were given up on before they were complete.
  enum class TFailure { None, NotAFile, Create, Write, Stopped };
  TFailure Failure = TFailure::None;
  QString Reason;  // NotAFile: what it is instead, in Russian; otherwise the system's words
  explicit operator bool() const { return Failure == TFailure::None; }
};

// Writes the data beside the file and puts it in the file's place when it is
// complete. A folder where nothing can be created fails the save (the old
// file is never written in place).
TSaveResult SaveFileContents(const QString& fileName, QByteArrayView data);

// The same for contents made a piece at a time, too large to hold at once:
// produce(write) hands every piece to write in order and returns true once
// the contents are complete; write returns false once the file refused a
// piece, and produce should then return false soon. Produce returning false
// leaves the old file as it was (Stopped when no write failed).
using TWritePiece = std::function<bool(QByteArrayView piece)>;
TSaveResult SaveFileInPieces(const QString& fileName, const std::function<bool(const TWritePiece& write)>& produce);

// Bytes the file system that would hold the file has free for it, or -1
// when that cannot be told.
int64_t FreeBytesFor(const QString& fileName);

// The save dialog for a file of one kind: the chosen name with the extension
// appended, always (or only where the name lacks it, in any case). The
// dialog asks nothing about existing files, since the name it was given is
// not the one written: an existing regular file of the final name is
// replaced only when the user answers "Да" to the question. Nothing when the
// dialog or the question was declined.
enum class TAppendExtension { Always, WhenMissing };
std::optional<QString> ChooseSaveFile(const TFileDialogRequest& request, const QString& extension,
                                      TAppendExtension append = TAppendExtension::Always);

struct TOpenResult {
  enum class TFailure { None, NotAFile, Open };
  TFailure Failure = TFailure::None;
  QString Reason;  // NotAFile: what it is instead, in Russian; Open: the system's words
  explicit operator bool() const { return Failure == TFailure::None; }
};

// Opens the file named by file.fileName() for reading.
TOpenResult OpenForReading(QFile& file);
