#include "WebPage.h"

#include "Platform.h"

QString MakerFooterText() { return QStringLiteral("Пример программы с сайта ") + QString::fromLatin1(MakerWebAddress); }

void OpenWebPage(const QString& address) { Platform().OpenWebPage(address); }
