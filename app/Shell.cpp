#include "app/Shell.h"

std::unique_ptr<TWindows> CreateWindows() {
  auto w = std::make_unique<TWindows>();
  w->Form1 = std::make_unique<TForm1>();
  w->Form4 = std::make_unique<TForm4>();
  w->Form6 = std::make_unique<TForm6>();
  w->Form7 = std::make_unique<TForm7>();
  w->Form4_3D = std::make_unique<TForm4_3D>();
  w->Form1->SetMenuWindow(w->Form6.get());
  w->Form6->SetToolWindows(w->Form4.get(), w->Form7.get(), w->Form4_3D.get());
  return w;
}
