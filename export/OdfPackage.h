// Finishing touches to the ODF package Qt's writer makes.
//
// Qt's writer keeps the document's title to itself (its packages have no
// meta.xml), and it writes a single blank that begins or ends a paragraph as
// plain text, which readers drop. This adds a meta.xml with the title, lists
// it in the manifest, and writes such blanks so that they stay. The other entries
// are copied byte for byte.
#pragma once

#include <QByteArray>
#include <QString>

// The package with a meta.xml holding the title and the blanks that begin and
// end its paragraphs kept. A package this code does not understand (not a zip, a
// zip64, already titled) comes back unchanged.
QByteArray FinishOdfPackage(const QByteArray& package, const QString& title);
