// A small reader of the mesh files the program writes, of its own, for the
// tests: binary STL (80-byte header, 32-bit count, 50 bytes a triangle) and
// OBJ text ("v x y z", "f a b c", "#" comments). Whatever does not fit the
// format is named in Error.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace mesh_reader {

using TPoint = std::array<float, 3>;
using TTriangle = std::array<TPoint, 3>;

struct TMesh {
  std::string Header;  // STL: the 80 bytes; OBJ: the comment lines
  std::vector<TTriangle> Triangles;
  std::vector<TPoint> Normals;  // STL only
  size_t Points = 0;            // OBJ only: the "v" lines
  std::string Error;
  // The smallest and largest of each coordinate over every corner.
  std::array<TPoint, 2> Bounds() const {
    std::array<TPoint, 2> b{};
    if (Triangles.empty()) return b;
    b[0] = b[1] = Triangles[0][0];
    for (const TTriangle& t : Triangles)
      for (const TPoint& p : t)
        for (size_t c = 0; c < 3; ++c) b[0][c] = std::min(b[0][c], p[c]), b[1][c] = std::max(b[1][c], p[c]);
    return b;
  }
};

inline TMesh ReadStl(const std::string& bytes) {
  TMesh mesh;
  auto take = [&](size_t at, auto& v) { std::memcpy(&v, bytes.data() + at, sizeof v); };
  if (bytes.size() < 84) {
    mesh.Error = "shorter than a header and a count";
    return mesh;
  }
  mesh.Header = bytes.substr(0, 80);
  uint32_t count = 0;
  take(80, count);
  if (bytes.size() != 84 + 50 * size_t(count)) {
    mesh.Error = "the count does not match the size";
    return mesh;
  }
  for (uint32_t k = 0; k < count; ++k) {
    const size_t at = 84 + 50 * size_t(k);
    TPoint normal;
    TTriangle t;
    for (size_t c = 0; c < 3; ++c) take(at + 4 * c, normal[c]);
    for (size_t v = 0; v < 3; ++v)
      for (size_t c = 0; c < 3; ++c) take(at + 12 + 12 * v + 4 * c, t[v][c]);
    uint16_t attribute = 0;
    take(at + 48, attribute);
    if (attribute != 0) mesh.Error = "an attribute is not zero";
    mesh.Normals.push_back(normal);
    mesh.Triangles.push_back(t);
  }
  return mesh;
}

inline TMesh ReadObj(const std::string& text) {
  TMesh mesh;
  std::vector<TPoint> v;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "#") {
      mesh.Header += line.substr(std::min<size_t>(2, line.size())) + "\n";
    } else if (kind == "v") {
      TPoint p;
      if (!(in >> p[0] >> p[1] >> p[2])) mesh.Error = "a point without three numbers: " + line;
      v.push_back(p);
    } else if (kind == "f") {
      size_t a = 0, b = 0, c = 0;
      if (!(in >> a >> b >> c) || a < 1 || b < 1 || c < 1 || a > v.size() || b > v.size() || c > v.size()) {
        mesh.Error = "a face without three known points: " + line;
        continue;
      }
      mesh.Triangles.push_back({v[a - 1], v[b - 1], v[c - 1]});
    } else {
      mesh.Error = "an unexpected line: " + line;
    }
  }
  mesh.Points = v.size();
  return mesh;
}

}  // namespace mesh_reader
