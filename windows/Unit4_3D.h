// The 3D plot window (a stand-in with its caption for now).
#pragma once

#include <QWidget>

class TForm4_3D : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4_3D(QWidget* parent = nullptr);
};
