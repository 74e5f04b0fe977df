// The picture widget: shows the canvas and takes every mouse event over it and file drops.
#pragma once
#include <FL/Fl_Box.H>

class MyBox : public Fl_Box {
 public:
  MyBox(int x, int y, int w, int h, const char* l = nullptr) : Fl_Box(x, y, w, h, l) {}
  int handle(int event) override;
};
