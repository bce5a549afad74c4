#include "platform/ScriptedPlatform.h"

#include <QPrinter>

namespace {

template <typename T>
T TakeAnswer(std::deque<T>& queue, T answer) {
  if (!queue.empty()) {
    std::swap(answer, queue.front());
    queue.pop_front();
  }
  return answer;
}

TPlatformEvent FileDialogEvent(TPlatformEvent::TKind kind, const TFileDialogRequest& request) {
  TPlatformEvent event(kind, request.Title);
  event.Filter = request.Filter;
  event.FilterIndex = request.FilterIndex;
  return event;
}

}  // namespace

std::string TPlatformEvent::ToString() const {
  QString line;
  switch (Kind) {
    case TKind::Message:
      line = (Icon == TMessageBoxIcon::Error         ? QStringLiteral("error: ")
              : Icon == TMessageBoxIcon::Information ? QStringLiteral("information: ")
                                                     : QStringLiteral("message: ")) + Text;
      break;
    case TKind::Question: line = QStringLiteral("question: ") + Text; break;
    case TKind::Beep: line = QStringLiteral("beep"); break;
    case TKind::OpenFileDialog:
    case TKind::SaveFileDialog:
      line = QStringLiteral("%1 file dialog: %2 | %3 | %4")
                 .arg(Kind == TKind::OpenFileDialog ? u"open" : u"save", Text, Filter)
                 .arg(FilterIndex);
      break;
    case TKind::ColorDialog: line = QStringLiteral("colour dialog"); break;
    case TKind::PrintDialog: line = QStringLiteral("print dialog"); break;
    case TKind::WebPage: line = QStringLiteral("web page: ") + Text; break;
    case TKind::Document: line = QStringLiteral("document: ") + Text; break;
    case TKind::Cursor: line = Busy ? QStringLiteral("busy cursor") : QStringLiteral("normal cursor"); break;
    case TKind::Progress: line = QStringLiteral("progress window"); break;
  }
  return line.toStdString();
}

void TScriptedPlatform::Record(TPlatformEvent event) {
  Events.push_back(std::move(event));
  if (OnEvent) OnEvent(Events.back());
}

void TScriptedPlatform::ShowMessage(TMessageBoxIcon icon, const QString& text) {
  TPlatformEvent event(TPlatformEvent::TKind::Message, text);
  event.Icon = icon;
  Record(std::move(event));
}

bool TScriptedPlatform::Question(const QString& text) {
  Record(TPlatformEvent(TPlatformEvent::TKind::Question, text));
  return TakeAnswer(QuestionAnswers, false);
}

void TScriptedPlatform::Beep() { Record(TPlatformEvent(TPlatformEvent::TKind::Beep)); }

std::optional<QString> TScriptedPlatform::OpenFileDialog(const TFileDialogRequest& request) {
  Record(FileDialogEvent(TPlatformEvent::TKind::OpenFileDialog, request));
  return TakeAnswer(OpenFileAnswers, std::optional<QString>());
}

std::optional<QString> TScriptedPlatform::SaveFileDialog(const TFileDialogRequest& request) {
  Record(FileDialogEvent(TPlatformEvent::TKind::SaveFileDialog, request));
  return TakeAnswer(SaveFileAnswers, std::optional<QString>());
}

std::optional<QColor> TScriptedPlatform::ColorDialog(const QColor&) {
  Record(TPlatformEvent(TPlatformEvent::TKind::ColorDialog));
  return TakeAnswer(ColorAnswers, std::optional<QColor>());
}

bool TScriptedPlatform::PrintDialog(QPrinter& printer) {
  Record(TPlatformEvent(TPlatformEvent::TKind::PrintDialog));
  const bool confirmed = TakeAnswer(PrintAnswers, false);
  if (confirmed && !PrintOutputFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(PrintOutputFile);
  }
  return confirmed;
}

void TScriptedPlatform::OpenWebPage(const QString& address) {
  Record(TPlatformEvent(TPlatformEvent::TKind::WebPage, address));
  if (FailWebPage) throw EPlatformError::WebPageFailed(address);
}

void TScriptedPlatform::OpenDocument(const QString& fileName, std::function<void()> noProgram) {
  Record(TPlatformEvent(TPlatformEvent::TKind::Document, fileName));
  if (FailOpenDocument) noProgram();
}

QString TScriptedPlatform::HomeFolder() {
  if (!Home.isEmpty()) return Home;
  if (!OwnHome) OwnHome = std::make_unique<QTemporaryDir>();
  return OwnHome->path();
}

void TScriptedPlatform::SetBusyCursor(bool busy) {
  if (busy) ++BusyDepth;
  else if (BusyDepth > 0) --BusyDepth;
  TPlatformEvent event(TPlatformEvent::TKind::Cursor);
  event.Busy = busy;
  Record(std::move(event));
}

namespace {

class TScriptedProgress : public TProgressWindow {
 public:
  void SetProgress(double) override {}
};

}  // namespace

std::unique_ptr<TProgressWindow> TScriptedPlatform::ShowProgress(QWidget*, TWorkControl& control) {
  Record(TPlatformEvent(TPlatformEvent::TKind::Progress));
  if (StopAt == 0) control.RequestStop();
  else if (StopAt > 0) control.StopAtProgress(StopAt);
  return std::make_unique<TScriptedProgress>();
}

std::vector<std::string> TScriptedPlatform::Lines() const {
  std::vector<std::string> lines;
  for (const TPlatformEvent& e : Events) lines.push_back(e.ToString());
  return lines;
}

std::vector<std::string> TScriptedPlatform::MessageLines() const {
  std::vector<std::string> lines;
  for (const TPlatformEvent& e : Events)
    if (e.Kind == TPlatformEvent::TKind::Message || e.Kind == TPlatformEvent::TKind::Question) lines.push_back(e.ToString());
  return lines;
}

void TScriptedPlatform::Clear() {
  OpenFileAnswers.clear();
  SaveFileAnswers.clear();
  ColorAnswers.clear();
  QuestionAnswers.clear();
  PrintAnswers.clear();
  PrintOutputFile.clear();
  FailWebPage = false;
  FailOpenDocument = false;
  Home.clear();
  ProgressAfter = -1;
  StopAt = -1;
  OnEvent = nullptr;
  Events.clear();
  BusyDepth = 0;
}
