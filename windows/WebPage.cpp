#include "windows/WebPage.h"

#include "platform/Platform.h"

QString MakerFooterText() { return QStringLiteral("Пример программы с сайта ") + QString::fromLatin1(MakerWebAddress); }

void OpenWebPage(const QString& address) { Platform().OpenWebPage(address); }
