#include "scene_view.h"

#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <algorithm>

#include "scene3d/frame_state.h"
#include "support/headless.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

using namespace scene3d;

std::string window_title() {
  const char* t = screen_window ? screen_window->label() : nullptr;
  return t ? t : "";
}

ShownScene ShownScene::now() {
  ShownScene s;
  s.picture.assign(img_content, img_content + 4 * (size_t)image_xres * image_yres);
  s.points.assign(at_r, at_r + n_atoms);
  s.title = window_title();
  s.kind = ::content;
  return s;
}

bool ShownScene::same_as(const ShownScene& o) const {
  return picture == o.picture && title == o.title && kind == o.kind &&
         points.size() == o.points.size() &&
         std::equal(points.begin(), points.end(), o.points.begin(),
                    [](const point3& a, const point3& b) {
                      return a.x == b.x && a.y == b.y && a.z == b.z;
                    });
}

void expect_fitted_and_centred(const std::vector<uint8_t>& cells) {
  int x0 = Axres, x1 = -1, y0 = Ayres, y1 = -1;
  for (int y = 0; y < Ayres; y++)
    for (int x = 0; x < Axres; x++)
      if (cells[(size_t)y * Axres + x])
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  ASSERT_GE(x1, 0) << "nothing drawn";
  EXPECT_NEAR((x0 + x1) / 2.0, Axres / 2.0, Axres * 0.05);
  EXPECT_NEAR((y0 + y1) / 2.0, Ayres / 2.0, Ayres * 0.05);
  EXPECT_GT(std::max((x1 - x0) / (double)Axres, (y1 - y0) / (double)Ayres), 0.5);
}

void expect_refused(const std::vector<RefusedFile>& files) {
  for (const RefusedFile& c : files) {
    SCOPED_TRACE(c.name);
    if (!c.data.empty()) write_file(c.path, c.data);
    ShownScene before = ShownScene::now();
    set_status("");
    open_as_user(c.path);
    EXPECT_NE(status_text().find(c.says), std::string::npos) << status_text();
    EXPECT_TRUE(ShownScene::now().same_as(before)) << "the view changed";
  }
}
