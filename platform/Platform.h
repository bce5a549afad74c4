// The platform layer: every modal interaction of the program goes through here.
//
// Windows never call QMessageBox, QFileDialog, QColorDialog, QPrintDialog,
// QApplication::beep, QDesktopServices or the override cursor themselves; they
// ask the current platform, Platform(). The program installs a TQtPlatform at
// start-up (real dialogs); tests install a TScriptedPlatform, which answers
// dialogs from queues and records everything in one ordered log, so no test
// waits for a person.
//
//   Platform().Error(u"Неправильная запись ...");      // error icon, one OK
//   Platform().Beep();
//   if (Platform().Question(u"Сохранить ...?")) ...     // "Да" / "Нет"
//   if (auto name = Platform().SaveFileDialog({u"Title", u"Файлы BMP (*.bmp)|*.bmp|", 1})) ...
//   { TBusyCursor busy; ...long work... }               // normal cursor restored on every exit
//   RunLongWork(window, work)  (LongWork.h) shows the progress window through here
//   Platform().OpenWebPage(address);                    // throws EPlatformError on failure
//   Platform().OpenDocument(Platform().HomeFolder() + u"/ex.odt", [] { ...no program for it... });
//   if (Platform().Question(u"Файл ... уже существует. Заменить его?")) ...
#pragma once

#include "platform/WorkControl.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QPrinter;
class QWidget;

// The icon of a message box; every message box has exactly one OK button.
enum class TMessageBoxIcon { Plain, Error, Information };

// One file dialog. Filter is written as "Описание (*.ext)|*.ext|Другое|*.a;*.b"
// (description|patterns pairs, a trailing "|" allowed); FilterIndex counts the
// pairs from 1 and picks the one selected when the dialog opens.
struct TFileDialogRequest {
  TFileDialogRequest(QString title, QString filter, int filterIndex = 1, QString fileName = QString())
      : Title(std::move(title)), Filter(std::move(filter)), FilterIndex(filterIndex), FileName(std::move(fileName)) {}
  QString Title;
  QString Filter;
  int FilterIndex = 1;
  QString FileName;  // the name offered at first, may be empty
};

// A platform operation that failed (for example no browser could be started).
// Its what() is UTF-8 text meant for the user.
class EPlatformError : public std::runtime_error {
 public:
  explicit EPlatformError(const QString& text);
  // The failure to open a web page.
  static EPlatformError WebPageFailed(const QString& address);
};

// The small window of long work: "Идет расчет…", a progress bar and
// "Прервать" (Esc presses it), which asks the work to stop. It goes when the
// object is destroyed.
class TProgressWindow {
 public:
  virtual ~TProgressWindow() = default;
  // The bar: how far the work is, 0..1.
  virtual void SetProgress(double fraction) = 0;
};

class TPlatform {
 public:
  virtual ~TPlatform() = default;

  // A modal message box with one OK button; returns when it is closed.
  virtual void ShowMessage(TMessageBoxIcon icon, const QString& text) = 0;
  // A modal question with the buttons "Да" and "Нет" ("Нет" by default): true
  // when the user answered "Да".
  virtual bool Question(const QString& text) = 0;
  // The system beep.
  virtual void Beep() = 0;
  // File dialogs: the chosen file name, or nothing when the user cancelled.
  // The save dialog never asks about overwriting: callers decide the final name.
  virtual std::optional<QString> OpenFileDialog(const TFileDialogRequest& request) = 0;
  virtual std::optional<QString> SaveFileDialog(const TFileDialogRequest& request) = 0;
  // The colour dialog: the chosen colour, or nothing when cancelled.
  virtual std::optional<QColor> ColorDialog(const QColor& initial) = 0;
  // The print dialog set up on the given printer: true when the user confirmed.
  virtual bool PrintDialog(QPrinter& printer) = 0;
  // Opens the address in the desktop's browser; throws EPlatformError on
  // failure. A failure the desktop's opener reports only when it ends goes to
  // the general error report then.
  virtual void OpenWebPage(const QString& address) = 0;
  // Opens a saved document in the desktop's program for its kind. When there
  // is no program for it, noProgram runs: at once, or when the desktop's
  // opener ends and says so.
  virtual void OpenDocument(const QString& fileName, std::function<void()> noProgram) = 0;
  // The user's home folder, where the report document is saved.
  virtual QString HomeFolder() = 0;
  // The application-wide busy cursor on or off. Prefer TBusyCursor.
  virtual void SetBusyCursor(bool busy) = 0;
  // How long work runs, in milliseconds, before its progress window shows
  // (negative: it never does).
  virtual int ProgressDelay() = 0;
  // Shows the progress window of long work for window (may be null); its
  // "Прервать" asks control to stop. Called and destroyed on the window's thread.
  virtual std::unique_ptr<TProgressWindow> ShowProgress(QWidget* window, TWorkControl& control) = 0;

  // Shorthands for the three kinds of message box.
  void Message(const QString& text) { ShowMessage(TMessageBoxIcon::Plain, text); }
  void Error(const QString& text) { ShowMessage(TMessageBoxIcon::Error, text); }
  void Information(const QString& text) { ShowMessage(TMessageBoxIcon::Information, text); }
};

// The current platform. Before anything is installed this is a TQtPlatform.
TPlatform& Platform();
// Installs a platform (not owned; nullptr goes back to the default) and
// returns the one installed before.
TPlatform* SetPlatform(TPlatform* platform);

// Busy cursor for the lifetime of the object, restored however the scope ends.
class TBusyCursor {
 public:
  TBusyCursor() { Platform().SetBusyCursor(true); }
  ~TBusyCursor() { Platform().SetBusyCursor(false); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A filter "Описание (*.ext)|*.ext|..." in Qt's form: one entry per pair,
// each "Описание (patterns)". The description is kept as written when it
// already ends in its own pattern list in parentheses.
QStringList QtFilterList(const QString& filter);
