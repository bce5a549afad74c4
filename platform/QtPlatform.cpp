#include "platform/QtPlatform.h"

#include "platform/Application.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The toolkit's dialogs keep their last folder, history and colours in a
// settings file of their own under ~/.config. The program has no settings:
// their settings go to a place where nothing can be written, and the file
// dialogs remember the last folder for the session only, in memory.
void KeepDialogSettingsForTheSession() {
  static const bool done = [] {
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
      QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null/matrikon"));
    return true;
  }();
  (void)done;
}

// Icons and type names from a file's name alone. The toolkit's own provider
// reads the first bytes of every file listed to tell its type, and a read of
// /proc/kmsg or of a named pipe never returns.
class TNameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;

  QIcon icon(const QFileInfo& info) const override {
    if (info.isRoot()) return icon(Drive);
    if (info.isDir()) return icon(Folder);
    const QIcon themed = QIcon::fromTheme(TypeByName(info).iconName());
    return themed.isNull() ? icon(File) : themed;
  }
  QString type(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::type(info);  // reads nothing for folders and links
    const QMimeType mime = TypeByName(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
  }

 private:
  QMimeType TypeByName(const QFileInfo& info) const {
    return Types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  }
  QMimeDatabase Types;
};

QAbstractFileIconProvider* NameOnlyIcons() {
  static TNameOnlyIconProvider provider;
  return &provider;
}

// Every file model of a dialog (its list, the completion of typed names) gets
// icons without looking into the files.
void LookIntoNoFile(QWidget& dialog) {
  for (QFileSystemModel* model : dialog.findChildren<QFileSystemModel*>()) model->setIconProvider(NameOnlyIcons());
}

// "*.*" means every file to a user; to the dialog's file model it means names
// with a dot. The filter keeps its text, and the model lists every file.
void ListEveryFileForStarDotStar(QFileDialog& dialog) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (!model) return;  // the desktop's own dialog
  const auto apply = [model] {
    QStringList patterns = model->nameFilters();
    if (!patterns.contains(QStringLiteral("*.*"))) return;
    for (QString& pattern : patterns)
      if (pattern == u"*.*") pattern = QStringLiteral("*");
    model->setNameFilters(patterns);
  };
  // The dialog sets the model's patterns itself before it reports a choice.
  QObject::connect(&dialog, &QFileDialog::filterSelected, model, apply);
  apply();
}

std::optional<QString> RunFileDialog(QFileDialog::AcceptMode mode, const TFileDialogRequest& request) {
  KeepDialogSettingsForTheSession();
  QFileDialog dialog(DialogParent(), request.Title);
  dialog.setIconProvider(NameOnlyIcons());
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The caller appends its own extension, so a question about the chosen name would be about the wrong file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = QtFilterList(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[std::clamp(request.FilterIndex, 1, int(filters.size())) - 1]);
  }
  ListEveryFileForStarDotStar(dialog);
  if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

// The progress window of long work. "Прервать", Esc and the window's close
// button all ask the work to stop; the window stays until the work has ended.
class TProgressDialog : public QDialog {
 public:
  TProgressDialog(QWidget* parent, const QString& title, TWorkControl& control)
      : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), Control(control) {
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    auto* text = new QLabel(QStringLiteral("Идет расчет…"), this);
    Bar = new QProgressBar(this);
    Bar->setRange(0, kSteps);
    Bar->setMinimumWidth(280);
    Stop = new QPushButton(QStringLiteral("Прервать"), this);
    Stop->setAutoDefault(false);
    connect(Stop, &QPushButton::clicked, this, &TProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(Bar);
    layout->addWidget(Stop, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }
  void SetProgress(double fraction) { Bar->setValue(int(std::clamp(fraction, 0.0, 1.0) * kSteps)); }
  void reject() override {
    Control.RequestStop();
    Stop->setEnabled(false);
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    reject();
  }

 private:
  static constexpr int kSteps = 1000;
  TWorkControl& Control;
  QProgressBar* Bar;
  QPushButton* Stop;
};

class TQtProgressWindow : public TProgressWindow {
 public:
  TQtProgressWindow(QWidget* window, const QString& title, TWorkControl& control)
      : Dialog(new TProgressDialog(window, title, control)) {
    Dialog->show();
  }
  ~TQtProgressWindow() override { delete Dialog.data(); }
  void SetProgress(double fraction) override {
    if (Dialog) Dialog->SetProgress(fraction);
  }

 private:
  QPointer<TProgressDialog> Dialog;
};

}  // namespace

QWidget* DialogParent() { return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                                      : QApplication::activeWindow(); }

void TQtPlatform::ShowMessage(TMessageBoxIcon icon, const QString& text) {
  const QMessageBox::Icon qtIcon = icon == TMessageBoxIcon::Error         ? QMessageBox::Critical
                                   : icon == TMessageBoxIcon::Information ? QMessageBox::Information
                                                                          : QMessageBox::NoIcon;
  QMessageBox box(qtIcon, MessageTitle.isEmpty() ? QApplication::applicationName() : MessageTitle, text, QMessageBox::Ok, DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool TQtPlatform::Question(const QString& text) {
  QMessageBox box(QMessageBox::Question, MessageTitle.isEmpty() ? QApplication::applicationName() : MessageTitle, text,
                  QMessageBox::Yes | QMessageBox::No, DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void TQtPlatform::Beep() { QApplication::beep(); }

std::optional<QString> TQtPlatform::OpenFileDialog(const TFileDialogRequest& request) {
  return RunFileDialog(QFileDialog::AcceptOpen, request);
}

std::optional<QString> TQtPlatform::SaveFileDialog(const TFileDialogRequest& request) {
  return RunFileDialog(QFileDialog::AcceptSave, request);
}

std::optional<QColor> TQtPlatform::ColorDialog(const QColor& initial) {
  KeepDialogSettingsForTheSession();
  const QColor chosen = QColorDialog::getColor(initial, DialogParent());
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

bool TQtPlatform::PrintDialog(QPrinter& printer) {
  KeepDialogSettingsForTheSession();
  QPrintDialog dialog(&printer, DialogParent());
  LookIntoNoFile(dialog);
  return dialog.exec() == QDialog::Accepted;
}

namespace {

enum class TOpener { Started, Missing, Failed };

// Starts the desktop's opener (xdg-open) on the address. The toolkit alone
// would only learn that an opener started; whether it found a program, the
// opener tells by its exit status when it ends: failed runs then, under the
// general error report.
TOpener StartDesktopOpener(const QUrl& url, std::function<void()> failed) {
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) return TOpener::Missing;
  auto* process = new QProcess(qApp);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(process, &QProcess::finished, process,
                   [process, failed = std::move(failed)](int code, QProcess::ExitStatus status) {
                     process->deleteLater();
                     if (status != QProcess::NormalExit || code != 0) Guarded(failed)();
                   });
  process->start(opener, {url.toString(QUrl::FullyEncoded)});
  if (!process->waitForStarted()) {
    delete process;
    return TOpener::Failed;
  }
  return TOpener::Started;
}

}  // namespace

void TQtPlatform::OpenWebPage(const QString& address) {
  const QUrl url = QUrl::fromUserInput(address);
  if (url.isValid()) {
    switch (StartDesktopOpener(url, [address] { throw EPlatformError::WebPageFailed(address); })) {
      case TOpener::Started: return;
      case TOpener::Missing:
        if (QDesktopServices::openUrl(url)) return;
        break;
      case TOpener::Failed: break;
    }
  }
  throw EPlatformError::WebPageFailed(address);
}

void TQtPlatform::OpenDocument(const QString& fileName, std::function<void()> noProgram) {
  const QUrl url = QUrl::fromLocalFile(fileName);
  const TOpener opener = StartDesktopOpener(url, noProgram);
  if (opener == TOpener::Started || (opener == TOpener::Missing && QDesktopServices::openUrl(url))) return;
  noProgram();
}

QString TQtPlatform::HomeFolder() { return QDir::homePath(); }

int TQtPlatform::ProgressDelay() { return 500; }

std::unique_ptr<TProgressWindow> TQtPlatform::ShowProgress(QWidget* window, TWorkControl& control) {
  return std::make_unique<TQtProgressWindow>(
      window, MessageTitle.isEmpty() ? QApplication::applicationName() : MessageTitle, control);
}

void TQtPlatform::SetBusyCursor(bool busy) {
  // Balanced, so a stray "off" never pops a cursor that somebody else set.
  if (busy) {
    ++BusyDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (BusyDepth > 0) {
    --BusyDepth;
    QApplication::restoreOverrideCursor();
  }
}
