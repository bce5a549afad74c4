// The maker's web page, which every window's footer label shows and opens.
#pragma once

#include <QString>

// The maker's web address: the one place it is written.
inline constexpr char MakerWebAddress[] = "https://matrikon.example.org";

// The footer text of every window: the fixed words followed by the address.
QString MakerFooterText();

// Opens the address in a browser window through the platform layer. A failure
// is thrown (EPlatformError) and so reaches the general error report.
void OpenWebPage(const QString& address);
