#include "tests/windows/Plot2DPictureCases.h"

#include "engine/Formula_math.h"
#include "plot2d/LineChart.h"
#include "plot2d/PlotSampling.h"
#include "windows/Unit7.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>

namespace plot2d_pictures {

std::vector<TCase> Cases() {
  return {
      // The window's own defaults.
      {.Name = "default", .Formula = "sin(x)", .Start = "-200", .End = "200", .Step = "1"},
      // The first point clamped to the band, then heights held below it and above it.
      {.Name = "held", .Formula = "x^3", .Start = "-100", .End = "100", .Step = "0,5"},
      // The longest build: -500000 .. 499999 by 0,1.
      {.Name = "long", .Width = 320, .Height = 240},
  };
}

QImage Render(const TCase& c) {
  if (c.Formula.isEmpty()) {
    TLineChart chart;
    chart.resize(c.Width, c.Height);
    chart.show();
    const std::u16string text = u"sin(x)*x^2+sqrt(abs(x))";
    TFormula formula(text, -1, 1);
    formula.Parse(text);
    const TPlotRange range = MeasurePlotRange(-500000.0L, 499999.0L, 0.1L, MaxPlotPoints);
    TChartPoints points(range.Count);
    SamplePlot(formula, text, range, points);
    chart.SetPoints(std::move(points));
    chart.Redraw();
    return chart.Render().convertToFormat(QImage::Format_RGB32);
  }
  TForm7 form;
  form.show();
  form.Edit1->setText(c.Formula);
  form.Edit2->setText(c.Start);
  form.Edit3->setText(c.End);
  form.Edit4->setText(c.Step);
  form.N6->trigger();
  return form.Chart1->Render().convertToFormat(QImage::Format_RGB32);
}

QImage TextProbe() {
  // The fonts the window and the chart use: the group boxes' and fields',
  // the bold titles of the axes and the tick labels.
  QGroupBox box;
  QFont bold = box.font();
  bold.setBold(true);
  QFont titles = bold;
  titles.setPixelSize(13);
  const QString sample = QStringLiteral("-0123456789,.E+ X F(X) Формула 2D график Диапазон графика (по х)");
  QImage image(560, 90, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  int y = 16;
  for (const QFont& font : {box.font(), bold, titles}) {
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, y, sample);
    y += 22;
  }
  const QPalette palette = box.palette();
  int x = 4;
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Light, QPalette::Midlight,
                                   QPalette::Mid, QPalette::Dark, QPalette::Shadow, QPalette::Base}) {
    painter.fillRect(x, 74, 14, 12, palette.color(role));
    x += 16;
  }
  return image;
}

}  // namespace plot2d_pictures
