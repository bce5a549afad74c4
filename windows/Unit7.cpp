#include "Unit7.h"

TForm7::TForm7(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Построение плоских графиков"));
  resize(647, 670);
}
