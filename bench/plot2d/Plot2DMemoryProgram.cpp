// plot2d-memory [CURVES]: the plane plot window as a user drives it, for its
// memory: CURVES builds of 10 000 000 points each (the longest one, from
// -500000 to 499999,9 by 0,1), each but the last kept with "Оставить на
// графике", the chart drawn after each; then the peak resident size of the
// whole program. Run it under /usr/bin/time -v for the same figure.
#include "platform/Application.h"
#include "platform/EngineMessages.h"
#include "plot2d/LineChart.h"
#include "windows/Unit7.h"

#include <QAction>
#include <QLineEdit>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const int curves = argc > 1 ? std::atoi(argv[1]) : 2;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  ConnectEngineMessages();
  TForm7 form;
  form.show();
  const char* formulas[] = {"sin(x)*x^2+sqrt(abs(x))", "cos(x)*x^2"};
  for (int c = 0; c < curves; ++c) {
    if (c > 0) form.N13->trigger();
    form.Edit2->setText(QStringLiteral("-500000"));
    form.Edit3->setText(QStringLiteral("499999,9"));
    form.Edit4->setText(QStringLiteral("0,1"));
    form.Edit1->setText(QString::fromLatin1(formulas[c % 2]));
    form.N6->trigger();
    form.Chart1->Render();
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("curves: %d, points: %lld, peak resident size: %.0f MB\n", form.Chart1->CurveCount(),
              static_cast<long long>(form.Chart1->TotalPointCount()), usage.ru_maxrss / 1024.0);
  return 0;
}
