// The 3D surface as a mesh file for other programs (slicers of 3D printers,
// modelling programs): binary STL or OBJ text (geometry/MeshFile.h).
//
//   SaveMeshFile(this, TMeshFormat::Stl, graph3d::TLinesGrid(plot->Model()), u"Z(X;Y) = sin(x)*cos(y)");
//
// It asks for a file name, refuses with a message a file the disk or the
// memory would not hold, and writes through the atomic save as long work
// with its progress: stopped, it leaves everything as it was. A file that
// cannot be written throws EPlatformError.
#pragma once

#include "geometry/GridSurface.h"

#include <QString>

class QWidget;

enum class TMeshFormat { Stl, Obj };

// description names the surface in the file ("Z(X;Y) = ...").
void SaveMeshFile(QWidget* window, TMeshFormat format, const geometry::TGridSurface& surface,
                  const QString& description);
