#include "platform/ConsolePlatform.h"

#include <QDir>

void TConsolePlatform::WriteLine(const QString& text) {
  // A message box breaks its lines at a carriage return too; a terminal would
  // write the next line over the last one.
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  const QByteArray line = lines.toUtf8() + '\n';
  std::fwrite(line.constData(), 1, size_t(line.size()), Out);
  std::fflush(Out);
}

void TConsolePlatform::ShowMessage(TMessageBoxIcon icon, const QString& text) {
  ++MessageCount;
  if (icon == TMessageBoxIcon::Error) ++ErrorCount;
  WriteLine(text);
}

bool TConsolePlatform::Question(const QString& text) {
  WriteLine(text);
  return false;
}

void TConsolePlatform::OpenWebPage(const QString& address) { throw EPlatformError::WebPageFailed(address); }

QString TConsolePlatform::HomeFolder() { return QDir::homePath(); }
