// The pinned pictures of the 3D control: surfaces, views, bands and water
// levels whose pictures are kept as PNG files in pictures/ and compared pixel
// for pixel by PictureTest.cpp. scripts/graph3d-pictures.sh writes the files
// (graph3d-pictures DIR) from the same list.
//
// The pictures hold no text (labels and caption are empty) and the frame has
// fixed colours, so they do not depend on the fonts or the style installed.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace graph3d_pictures {

struct TCase {
  QString Name;
  int N;  // the built-in surface on N × N values
  int Theta = 60, Phi = 330;
  bool Hidden = true;
  bool Colors = false;
  int WaterMode = 0;
  float WaterLevel = 95;
  bool Holes = false;  // some points without a value
  int ViewPercentage = 100;
  int FirstLine = -1, LastLine = -1;  // -1: the whole range
  float ZoomX = 0, ZoomY = 0;         // 0: the default
  int MoveX = 0, MoveY = 0;
  int Scale = 1;  // 2: drawn as on a screen of two device pixels per unit
  bool Shaded = false;
};

std::vector<TCase> Cases();
// The picture of one case on a 523 × 400 control: CopyToBitmap, or for a
// Scale of 2 the control's Redraw onto an image of twice its size.
QImage Render(const TCase& c);

}  // namespace graph3d_pictures
