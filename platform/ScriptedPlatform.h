// The platform layer for tests: dialogs are answered from queues, nothing is
// shown, and every interaction is recorded in one ordered log.
//
//   TScriptedPlatform p;  SetPlatform(&p);      // the shared test main does this
//   p.SaveFileAnswers.push_back(u"/tmp/plot"_s); // next save dialog: that name
//   p.SaveFileAnswers.push_back(std::nullopt);   // the one after: cancelled
//   ... drive the window ...
//   EXPECT_THAT(p.Lines(), ElementsAre("error: Ошибка! ...", "beep"));
//
// An empty answer queue answers "cancelled" (a print dialog: not confirmed).
#pragma once

#include "platform/Platform.h"

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TPlatformEvent {
  enum class TKind {
    Message, Question, Beep, OpenFileDialog, SaveFileDialog, ColorDialog, PrintDialog, WebPage, Document, Cursor,
    Progress
  };
  explicit TPlatformEvent(TKind kind, QString text = QString()) : Kind(kind), Text(std::move(text)) {}
  TKind Kind;
  TMessageBoxIcon Icon = TMessageBoxIcon::Plain;  // Message
  QString Text;         // Message, Question: its text; file dialogs: the title; WebPage: the address; Document: the file
  QString Filter;       // file dialogs
  int FilterIndex = 0;  // file dialogs
  bool Busy = false;    // Cursor: true for the busy cursor, false for the normal one

  // One line of text, as Lines() gives it:
  //   "message: T", "error: T", "information: T", "question: T", "beep",
  //   "open file dialog: TITLE | FILTER | INDEX", "save file dialog: ...",
  //   "colour dialog", "print dialog", "web page: ADDRESS", "document: FILE", "busy cursor", "normal cursor",
  //   "progress window"
  std::string ToString() const;
};

class TScriptedPlatform : public TPlatform {
 public:
  std::deque<std::optional<QString>> OpenFileAnswers;
  std::deque<std::optional<QString>> SaveFileAnswers;
  std::deque<std::optional<QColor>> ColorAnswers;
  std::deque<bool> PrintAnswers;
  // Answers to questions: true for "Да"; an empty queue answers "Нет".
  std::deque<bool> QuestionAnswers;
  // A confirmed print dialog sets the printer to write a PDF to this file, when not empty.
  QString PrintOutputFile;
  // When set, OpenWebPage records the address and then throws EPlatformError.
  bool FailWebPage = false;
  // When set, OpenDocument records the file and runs its noProgram at once.
  bool FailOpenDocument = false;
  // The home folder the program sees. Left empty, a temporary folder of the
  // scripted platform's own, so that no test writes into the real one.
  QString Home;
  // The progress window of long work shows after this many milliseconds of
  // it (0: before the work begins); negative: never, so that a slow machine
  // writes nothing more into the log.
  int ProgressAfter = -1;
  // "Прервать" is pressed in the progress window once the work reports this
  // fraction done (0: at once); negative: never.
  double StopAt = -1;
  // Called after every recorded event, while the "dialog" would be open.
  std::function<void(const TPlatformEvent&)> OnEvent;

  void ShowMessage(TMessageBoxIcon icon, const QString& text) override;
  bool Question(const QString& text) override;
  void Beep() override;
  std::optional<QString> OpenFileDialog(const TFileDialogRequest& request) override;
  std::optional<QString> SaveFileDialog(const TFileDialogRequest& request) override;
  std::optional<QColor> ColorDialog(const QColor& initial) override;
  bool PrintDialog(QPrinter& printer) override;
  void OpenWebPage(const QString& address) override;
  void OpenDocument(const QString& fileName, std::function<void()> noProgram) override;
  QString HomeFolder() override;
  void SetBusyCursor(bool busy) override;
  int ProgressDelay() override { return ProgressAfter; }
  std::unique_ptr<TProgressWindow> ShowProgress(QWidget* window, TWorkControl& control) override;

  const std::vector<TPlatformEvent>& Log() const { return Events; }
  // The log as text lines (UTF-8), see TPlatformEvent::ToString.
  std::vector<std::string> Lines() const;
  // Only the message boxes (questions included), as lines.
  std::vector<std::string> MessageLines() const;
  // Whether the busy cursor is on now (more "on" than "off" so far).
  bool Busy() const { return BusyDepth > 0; }
  // Forgets the log, the queued answers and the settings above.
  void Clear();

 private:
  void Record(TPlatformEvent event);
  std::vector<TPlatformEvent> Events;
  int BusyDepth = 0;
  std::unique_ptr<QTemporaryDir> OwnHome;
};
