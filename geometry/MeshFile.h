// A grid surface (GridSurface.h) as a mesh file: two triangles for every cell
// whose four corners have a value, none for the others, in the surface's own
// coordinates.
//
// STL: binary; an 80-byte header (the given text, cut at a whole character
// and filled with zeros), the triangle count, then per triangle its unit
// normal, three corners and a zero attribute, all little-endian.
// OBJ: text; the given text as comment lines, each point with a value once
// ("v x y z", in the grid's order), then the triangles by the points'
// numbers ("f a b c", from 1).
//
// Triangles of cell (j, i), corners 0 = (j, i), 1 = (j, i + 1),
// 2 = (j + 1, i + 1), 3 = (j + 1, i): (0, 1, 2) and (0, 2, 3); over a grid
// whose X grows along a line and Y from line to line they face up.
//
// The file is made in pieces handed to a sink, which returns false to stop;
// the writers then return false too. `going` is told the share done, 0..1,
// after each line and returns false to stop.
#pragma once

#include "geometry/GridSurface.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace geometry {

using TMeshSink = std::function<bool(const char* data, size_t size)>;
using TMeshProgress = std::function<bool(double done)>;

struct TMeshCount {
  uint64_t Triangles = 0;
  uint64_t Points = 0;  // with a value
};
TMeshCount CountMesh(const TGridSurface& surface);

// The STL file's exact size, and a size the OBJ file does not exceed.
uint64_t StlBytes(const TMeshCount& count);
uint64_t ObjBytesAtMost(const TMeshCount& count, size_t commentBytes);
// Memory the writers take besides the sink's (rows and their pieces).
uint64_t MeshWorkBytes(int32_t values);

bool WriteStl(const TGridSurface& surface, std::string_view header, const TMeshSink& sink,
              const TMeshProgress& going = {});
bool WriteObj(const TGridSurface& surface, std::string_view comment, const TMeshSink& sink,
              const TMeshProgress& going = {});

}  // namespace geometry
