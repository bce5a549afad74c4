// One picture of the 3D control as drawing steps on any QPainter, in the
// order the control draws: background, frame, caption, the axes behind the
// surface (dashed), the surface, the axes in front. The widget draws its
// screen and its bitmaps with them; a vector file (SVG, PDF) is drawn with
// them from a copy of what the control shows, which needs nothing of the
// widget and may be drawn on another thread.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class TWorkControl;

namespace graph3d {

// Lines are one device pixel wide: on a high-density screen the mesh stays as
// fine as the screen allows, and at one pixel per unit nothing changes.
QPen LinePen(const QColor& color, Qt::PenStyle style = Qt::SolidLine);

struct TAxisShape {
  QPoint From, To;   // projected ends
  QString Label;     // empty: none
  int LabelDx = 0;   // the height label sits beside its axis
  bool Behind = false;
};

struct TScene {
  QSize Size;
  QColor Background, FrameDark, FrameLight, TextColor, AxesColor;
  QFont Font;  // of labels and caption, where the painter's own does not serve
  bool ShowFrame = true;
  QString Caption;
  bool Surface = false;  // cells and axes; false after a failed build
  bool DrawAxes = true;
  TAxisShape Axes[5];
  // Vector media: lines at the centres of the pixels they cover on screen,
  // which a smoothing viewer then draws one pixel wide, not two half ones.
  bool PixelCentres = false;
};

void ClearBackground(QPainter& painter, QSize size, const QColor& background);
// The sunken border, edges one unit wide: left and top in one colour, right
// and bottom in the other. Filled, so that on a high-density canvas they
// reach the last device pixel.
void FramePath(QPainter& painter, QSize size, const QColor& topLeft, const QColor& bottomRight);
void DrawCaption(QPainter& painter, const QString& caption, const QColor& color);
// One axis line and its label; the pen is solid again afterwards.
void DrawAxisLine(QPainter& painter, const TAxisShape& axis, const QColor& color, Qt::PenStyle style,
                  bool pixelCentres = false);
// Background, frame and caption.
void DrawHead(QPainter& painter, const TScene& scene);
// The axes behind the surface, the surface (drawn by `surface`), the axes in front.
void DrawBody(QPainter& painter, const TScene& scene, const std::function<void(QPainter&)>& surface);

// ---- the vector back end

// One cell as a vector file holds it, in the colours TCellLook gave it.
struct TVectorCell {
  TPoint Corners[4];
  TColor Pen, Fill;
};

// The drawn cells, farthest first.
struct TVectorCells {
  std::vector<TVectorCell> Cells;
  bool Filled = false;
};

// Takes the cells the pixel back end draws, in its order and with its
// colours (on the thread that may read the model).
TVectorCells CollectCells(const TGraph3DModel& model, TColor background, bool hidden);
// How many cells that is.
int64_t DrawnCells(const TGraph3DModel& model);
// Each cell a closed polygon outlined in its pen colour, filled first when
// Filled: what the pixel back end draws, exact in any viewer. With a control
// it reports progress and returns false as soon as it is stopped.
bool DrawVectorCells(QPainter& painter, const TVectorCells& cells, bool pixelCentres, TWorkControl* control = nullptr);

}  // namespace graph3d
