// The files the program saves and opens.
//
// A save replaces a file only once every byte of the new contents is on the
// disk; otherwise the old file stays whole and the failure names the system's
// reason ("No space left on device"). An open refuses anything that is not a
// regular file before opening it: a named pipe or a device would block the
// program for good.
//
//   if (const TSaveResult saved = SaveFileContents(name, bytes); !saved) ... saved.Reason ...
//   QFile file(name);
//   if (const TOpenResult opened = OpenForReading(file); !opened) ... opened.Reason ...
#pragma once

#include <QByteArrayView>
#include <QString>

class QFile;

struct TSaveResult {
  enum class TFailure { None, Create, Write };
  TFailure Failure = TFailure::None;
  QString Reason;  // why it failed, in the system's words
  explicit operator bool() const { return Failure == TFailure::None; }
};

// Writes the data beside the file and puts it in the file's place when it is
// complete. With directWriteFallback, a folder where nothing can be created
// gets the data written into the existing file itself (which a failure then
// leaves damaged).
TSaveResult SaveFileContents(const QString& fileName, QByteArrayView data, bool directWriteFallback = false);

struct TOpenResult {
  enum class TFailure { None, NotAFile, Open };
  TFailure Failure = TFailure::None;
  QString Reason;  // NotAFile: what it is instead, in Russian; Open: the system's words
  explicit operator bool() const { return Failure == TFailure::None; }
};

// Opens the file named by file.fileName() for reading.
TOpenResult OpenForReading(QFile& file);
