#include "platform/Platform.h"

#include "platform/QtPlatform.h"

#include <QRegularExpression>

EPlatformError::EPlatformError(const QString& text) : std::runtime_error(text.toStdString()) {}

EPlatformError EPlatformError::WebPageFailed(const QString& address) {
  return EPlatformError(QStringLiteral("Не удалось открыть веб-страницу %1 в браузере.").arg(address));
}

namespace {

TPlatform* Installed = nullptr;

TPlatform& DefaultPlatform() {
  static TQtPlatform qt;
  return qt;
}

// "*.*" stays as the user reads it; the dialog lists every file for it.
QString QtPatterns(const QString& patterns) {
  QStringList out;
  for (QString p : patterns.split(u';', Qt::SkipEmptyParts)) {
    p = p.trimmed();
    if (!p.isEmpty()) out << p;
  }
  return out.isEmpty() ? QStringLiteral("*") : out.join(u' ');
}

}  // namespace

TPlatform& Platform() { return Installed ? *Installed : DefaultPlatform(); }

TPlatform* SetPlatform(TPlatform* platform) {
  TPlatform* before = Installed;
  Installed = platform;
  return before;
}

QStringList QtFilterList(const QString& filter) {
  // Qt takes the patterns from the last parenthesised group of each entry, so
  // the group is rebuilt from the pattern half of the pair.
  static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)\\s*$"));
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
    if (description.isEmpty() && patterns.trimmed().isEmpty()) continue;
    description.remove(trailingGroup);
    const QString qtPatterns = QtPatterns(patterns);
    entries << (description.isEmpty() ? qtPatterns
                                      : description + QStringLiteral(" (") + qtPatterns + u')');
  }
  return entries;
}
