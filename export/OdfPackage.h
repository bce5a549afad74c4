// The document title in an ODF package.
//
// Qt's ODF writer keeps the document's title to itself: its packages have no
// meta.xml. This adds one, with the title, and lists it in the manifest. The
// entries already there are copied byte for byte, so nothing is unpacked.
#pragma once

#include <QByteArray>
#include <QString>

// The package with a meta.xml holding the title. A package this code does not
// understand (not a zip, a zip64, already titled) comes back unchanged.
QByteArray AddOdfTitle(const QByteArray& package, const QString& title);
