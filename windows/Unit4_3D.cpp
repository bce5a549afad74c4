#include "Unit4_3D.h"

TForm4_3D::TForm4_3D(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Построение 3D графиков"));
  resize(800, 600);
}
