// A small window that drags a text, as a file manager drags a file: pressed, it offers its
// command line argument (a file:// URI list) to whatever window the button is released over.
// The end-to-end checks use it to drop files on the viewer. usage: e2e_drag_source <text>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>

#include <cstring>

namespace {

const char* offered = "";

class Source : public Fl_Box {
 public:
  Source(int x, int y, int w, int h) : Fl_Box(x, y, w, h, "drag me") {}
  int handle(int event) override {
    if (event == FL_PUSH) {
      Fl::copy(offered, (int)strlen(offered), 0);
      Fl::dnd();
      return 1;
    }
    return Fl_Box::handle(event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  offered = argv[1];
  Fl_Window w(120, 80, "drag source");
  Source s(0, 0, 120, 80);
  w.end();
  w.show();
  return Fl::run();
}
