#include "QtPlatform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QUrl>

#include <algorithm>

namespace {

std::optional<QString> RunFileDialog(QFileDialog::AcceptMode mode, const TFileDialogRequest& request) {
  QFileDialog dialog(DialogParent(), request.Title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The caller appends its own extension, so a question about the chosen name would be about the wrong file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = QtFilterList(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[std::clamp(request.FilterIndex, 1, int(filters.size())) - 1]);
  }
  if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

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

void TQtPlatform::Beep() { QApplication::beep(); }

std::optional<QString> TQtPlatform::OpenFileDialog(const TFileDialogRequest& request) {
  return RunFileDialog(QFileDialog::AcceptOpen, request);
}

std::optional<QString> TQtPlatform::SaveFileDialog(const TFileDialogRequest& request) {
  return RunFileDialog(QFileDialog::AcceptSave, request);
}

std::optional<QColor> TQtPlatform::ColorDialog(const QColor& initial) {
  const QColor chosen = QColorDialog::getColor(initial, DialogParent());
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

bool TQtPlatform::PrintDialog(QPrinter& printer) {
  QPrintDialog dialog(&printer, DialogParent());
  return dialog.exec() == QDialog::Accepted;
}

void TQtPlatform::OpenWebPage(const QString& address) {
  const QUrl url = QUrl::fromUserInput(address);
  if (!url.isValid() || !QDesktopServices::openUrl(url))
    throw EPlatformError::WebPageFailed(address);
}

bool TQtPlatform::OpenDocument(const QString& fileName) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

QString TQtPlatform::HomeFolder() { return QDir::homePath(); }

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
