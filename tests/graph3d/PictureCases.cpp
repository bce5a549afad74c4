#include "tests/graph3d/PictureCases.h"

#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3D.h"

#include <QPainter>

namespace graph3d_pictures {

std::vector<TCase> Cases() {
  std::vector<TCase> cases;
  for (int n : {30, 300}) {
    const QString size = QString::number(n);
    cases.push_back({.Name = size + "-default", .N = n});
    cases.push_back({.Name = size + "-30-330", .N = n, .Theta = 30, .Phi = 330});
    cases.push_back({.Name = size + "-200-300", .N = n, .Theta = 200, .Phi = 300});
    cases.push_back({.Name = size + "-open", .N = n, .Hidden = false});
    cases.push_back({.Name = size + "-bands", .N = n, .Colors = true});
    cases.push_back({.Name = size + "-water-above", .N = n, .Colors = true, .WaterMode = 1, .WaterLevel = 40});
    cases.push_back({.Name = size + "-water-below", .N = n, .Theta = 200, .Phi = 300, .Colors = true,
                     .WaterMode = 2, .WaterLevel = 60});
    cases.push_back({.Name = size + "-holes", .N = n, .Theta = 120, .Phi = 320, .Holes = true});
  }
  cases.push_back({.Name = "30-part", .N = 30, .Theta = 300, .Phi = 340, .ViewPercentage = 60, .FirstLine = 5,
                   .LastLine = 20});
  cases.push_back({.Name = "300-zoomed-moved", .N = 300, .Theta = 10, .Phi = 350, .Hidden = false, .ZoomX = 1.6f,
                   .ZoomY = 0.9f, .MoveX = -70, .MoveY = 45});
  cases.push_back({.Name = "300-bands-x2", .N = 300, .Theta = 250, .Phi = 315, .Colors = true, .Scale = 2});
  // Shaded faces: alone, with bands and water, with holes, and on a dense grid.
  cases.push_back({.Name = "30-shaded", .N = 30, .Shaded = true});
  cases.push_back({.Name = "30-shaded-bands-water", .N = 30, .Theta = 200, .Phi = 300, .Colors = true, .WaterMode = 1,
                   .WaterLevel = 40, .Shaded = true});
  cases.push_back({.Name = "300-shaded-holes", .N = 300, .Theta = 120, .Phi = 320, .Holes = true, .Shaded = true});
  cases.push_back({.Name = "300-shaded-below-x2", .N = 300, .Theta = 250, .Phi = 315, .Colors = true, .WaterMode = 2,
                   .WaterLevel = 60, .Scale = 2, .Shaded = true});
  cases.push_back({.Name = "1000-default", .N = 1000});
  cases.push_back({.Name = "1000-water-below", .N = 1000, .Theta = 200, .Phi = 300, .Colors = true,
                   .WaterMode = 2, .WaterLevel = 60});
  return cases;
}

QImage Render(const TCase& c) {
  TGraph3D plot;
  plot.resize(523, 400);
  QPalette palette = plot.palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
  palette.setColor(QPalette::Light, Qt::white);
  plot.setPalette(palette);
  plot.SetDataColor(0xFF0000);
  plot.SetAxesColor(0x0080FF);
  plot.SetLabelX(QString());
  plot.SetLabelY(QString());
  plot.SetLabelZ(QString());
  const long double peak = ((c.N / 2) * (c.N / 2) + (c.N / 2) * (c.N / 2)) * 1.1L;
  int L = 0;
  for (auto& line : graph3d::GenerateSurface(c.N, c.N, peak)) {
    if (c.Holes) {
      for (int i = 0; i < c.N; ++i) {
        const bool block = L >= c.N / 3 && L < c.N / 3 + c.N / 10 && i >= c.N / 2 && i < c.N / 2 + c.N / 8;
        if (block || (i * 7 + L * 3) % 23 == 0) line->SetMissing(i);
      }
    }
    plot.AddLine(std::move(line));
    ++L;
  }
  plot.SetTheta(c.Theta);
  plot.SetPhi(c.Phi);
  plot.SetDrawHiddenLines(c.Hidden);
  plot.SetShaded(c.Shaded);
  plot.SetUseColors(c.Colors);
  if (c.WaterMode != 0) {
    plot.SetWaterLevel(static_cast<uint8_t>(c.WaterMode), c.WaterLevel);
    plot.SetIsodose(9, KeepColor, c.WaterLevel);
  }
  plot.SetViewPercentage(c.ViewPercentage);
  if (c.ZoomX > 0) plot.SetZoomX(c.ZoomX);
  if (c.ZoomY > 0) plot.SetZoomY(c.ZoomY);
  plot.Prepare();
  if (c.FirstLine >= 0) plot.SetFirstLine(c.FirstLine);
  if (c.LastLine >= 0) plot.SetLastLine(c.LastLine);
  if (c.MoveX != 0 || c.MoveY != 0) plot.SetOffset({plot.Offset().X + c.MoveX, plot.Offset().Y + c.MoveY});
  if (c.Scale == 1) return plot.CopyToBitmap(12).convertToFormat(QImage::Format_RGB32);
  QImage image(plot.size() * c.Scale, QImage::Format_RGB32);
  image.setDevicePixelRatio(c.Scale);
  {
    QPainter p(&image);
    plot.Redraw(p, false);
  }
  image.setDevicePixelRatio(1);
  return image;
}

}  // namespace graph3d_pictures
