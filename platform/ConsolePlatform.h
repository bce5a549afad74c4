// The platform layer of a program without windows (matrikon-plot): message
// boxes become lines of plain text on standard error, questions are answered
// "Нет", dialogs are cancelled, nothing beeps and long work shows no progress.
#pragma once

#include "platform/Platform.h"

#include <cstdio>
#include <functional>
#include <memory>

class TConsolePlatform : public TPlatform {
 public:
  explicit TConsolePlatform(std::FILE* out = stderr) : Out(out) {}

  void ShowMessage(TMessageBoxIcon icon, const QString& text) override;
  bool Question(const QString& text) override;
  void Beep() override {}
  std::optional<QString> OpenFileDialog(const TFileDialogRequest&) override { return std::nullopt; }
  std::optional<QString> SaveFileDialog(const TFileDialogRequest&) override { return std::nullopt; }
  std::optional<QColor> ColorDialog(const QColor&) override { return std::nullopt; }
  bool PrintDialog(QPrinter&) override { return false; }
  void OpenWebPage(const QString& address) override;
  void OpenDocument(const QString&, std::function<void()> noProgram) override {
    if (noProgram) noProgram();
  }
  QString HomeFolder() override;
  void SetBusyCursor(bool) override {}
  // Long work shows no progress: nobody could press "Прервать".
  int ProgressDelay() override { return -1; }
  std::unique_ptr<TProgressWindow> ShowProgress(QWidget*, TWorkControl&) override { return nullptr; }

  // How many messages were written, and how many of them with the error icon.
  int Messages() const { return MessageCount; }
  int Errors() const { return ErrorCount; }
  // Writes one line of text.
  void WriteLine(const QString& text);

 private:
  std::FILE* Out;
  int MessageCount = 0;
  int ErrorCount = 0;
};
