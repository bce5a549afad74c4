// The five windows of the program, created once at start and kept to the end.
#pragma once

#include "windows/Unit1.h"
#include "windows/Unit4.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"

#include <memory>

struct TWindows {
  // Members in creation order; they are destroyed in the reverse order.
  std::unique_ptr<TForm1> Form1;  // the splash, the first window shown
  std::unique_ptr<TForm4> Form4;
  std::unique_ptr<TForm6> Form6;
  std::unique_ptr<TForm7> Form7;
  std::unique_ptr<TForm4_3D> Form4_3D;
};

// Creates the windows in order and wires the splash to the menu and the
// menu to the tools. Nothing is shown yet.
std::unique_ptr<TWindows> CreateWindows();
