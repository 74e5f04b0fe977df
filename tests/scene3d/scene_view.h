// What a scene opened as a user opens it leaves behind, for the tests of the openers: the
// window's title, the picture and the points, whether the scene is fitted and centred, and files
// that must be refused without touching any of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scene3d/scene.h"
#include "support/image_fixtures.h"

std::string window_title();

// What the window shows and the renderer holds.
struct ShownScene {
  std::vector<float> picture;
  std::vector<scene3d::point3> points;
  std::string title;
  int kind;
  static ShownScene now();
  bool same_as(const ShownScene& o) const;
};

// The box of the frame cells set in `cells` (object_mask()) is centred on the frame and spans
// more than half of it along one side.
void expect_fitted_and_centred(const std::vector<uint8_t>& cells);

// A file the openers refuse: written to path first when data is not empty; the status line then
// holds `says`.
struct RefusedFile {
  const char* name;
  std::string path;
  Bytes data;
  const char* says;
};
// Opens each file over the scene shown, as a user would, and expects its reason on the status line
// and the view as it was.
void expect_refused(const std::vector<RefusedFile>& files);
