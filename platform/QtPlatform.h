// The platform layer on real Qt dialogs (see Platform.h).
#pragma once

#include "platform/Platform.h"

class QWidget;

class TQtPlatform : public TPlatform {
 public:
  // MessageTitle is the title of every message box (the application name when empty).
  explicit TQtPlatform(QString messageTitle = QString()) : MessageTitle(std::move(messageTitle)) {}

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
  int ProgressDelay() override;
  std::unique_ptr<TProgressWindow> ShowProgress(QWidget* window, TWorkControl& control) override;

 private:
  QString MessageTitle;
  int BusyDepth = 0;
};

// The window a modal dialog belongs to: the active window, if any.
QWidget* DialogParent();
