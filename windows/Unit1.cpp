// The splash window, shown at start before the main menu.
#include "windows/Unit1.h"

#include "platform/Application.h"
#include "windows/FormTools.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <qdrawutil.h>

namespace {

// A yellow panel framed by two lowered bevels, each two pixels wide.
class TBevelPanel : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::yellow);
    const QRect outer = rect();
    qDrawShadePanel(&painter, outer, palette(), true, 2);
    qDrawShadePanel(&painter, outer.adjusted(2, 2, -2, -2), palette(), true, 2);
  }
};

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setFixedSize(279, 100);

  StatusPanel = new TBevelPanel(this);
  StatusPanel->setCursor(Qt::WaitCursor);
  wowlabel1 = new QLabel(QStringLiteral("One Moment Please..."), StatusPanel);
  wowlabel1->setAlignment(Qt::AlignCenter);
  QFont font = wowlabel1->font();
  font.setPointSize(16);
  font.setBold(true);
  wowlabel1->setFont(font);
  QPalette palette = wowlabel1->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  wowlabel1->setPalette(palette);
  auto* panelLayout = new QVBoxLayout(StatusPanel);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  panelLayout->addWidget(wowlabel1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StatusPanel);

  Timer1 = new QTimer(this);
  Timer1->setInterval(1500);
  connect(Timer1, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
  Timer1->start();

  FormCreate();
}

void TForm1::FormCreate() {
  TickCount = 0;
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/matrikon/matrikon.png")));
}

void TForm1::Timer1Timer() {
  if (TickCount == 0 && MenuWindow) MenuWindow->show();
  ++TickCount;
  hide();
  Timer1->stop();
}

void TForm1::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CentreOnScreen(this);
  QWidget::showEvent(event);
}
