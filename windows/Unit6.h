// The main menu window "Матрикон": opens the three tools modally and ends the program.
#pragma once

#include <QWidget>

class QPushButton;
class TClickLabel;

class TForm6 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm6(QWidget* parent = nullptr);

  // The tool windows the buttons open; they are created after this window.
  // Each is a top-level QWidget (or QDialog) shown with ShowModal: it resets
  // what it must in its own showEvent and ends the showing by hiding or closing.
  void SetToolWindows(QWidget* calculator, QWidget* plot2d, QWidget* plot3d);

  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QPushButton* Button4;
  TClickLabel* Label1;

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Label1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  // Closing the menu ends the program: it is the only way back to the tools.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* Calculator = nullptr;
  QWidget* Plot2D = nullptr;
  QWidget* Plot3D = nullptr;
};
