// The splash window: shown at start, it hands over to the main menu window
// after one and a half seconds and stays hidden from then on.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);

  // The window the timer shows (the main menu).
  void SetMenuWindow(QWidget* menu) { MenuWindow = menu; }

  QWidget* StatusPanel;
  QLabel* wowlabel1;
  QTimer* Timer1;
  int TickCount = 0;

  void FormCreate();
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* MenuWindow = nullptr;
};
