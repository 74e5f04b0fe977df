// The fit of a new scene: over extents from 1 to 100,000 units and shapes wide, tall and deep,
// the drawn scene is centred on the canvas and fills 50 to 85 % of its limiting side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "render_fixture.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"

using namespace scene3d;

namespace {

// The box of the cells that show an object, as fractions of the frame.
struct Drawn {
  double cx, cy, fill;
};

Drawn drawn() {
  int x0 = Axres, x1 = -1, y0 = Ayres, y1 = -1;
  for (int y = 0; y < Ayres; y++)
    for (int x = 0; x < Axres; x++)
      if (Abuffer[(size_t)y * Axres + x]) {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  if (x1 < 0) return {0, 0, 0};
  const double w = (x1 - x0 + 1.0) / Axres, h = (y1 - y0 + 1.0) / Ayres;
  return {(x0 + x1 + 1) / 2.0 / Axres, (y0 + y1 + 1) / 2.0 / Ayres, std::max(w, h)};
}

TEST(Fit, CentredAndFilledForEveryExtentAndShape) {
  struct Shape {
    const char* name;
    std::function<int(double)> show;  // shows the shape at the given extent
  } shapes[] = {
      {"ball cloud", [](double e) { return show_spheres(ball_cloud(300, 5, e / 2, e / 30)); }},
      {"off-centre balls",
       [](double e) {
         std::vector<Ball> b = ball_cloud(100, 6, e / 4, e / 40);
         for (Ball& x : b) x.x += e, x.y -= e / 3;
         return show_spheres(b);
       }},
      {"tall mesh",
       [](double e) {
         std::vector<tri> t = tetrahedron(e / 10);
         for (tri& q : t)
           for (double* p : {q.a, q.b, q.c}) p[1] *= 10;
         return show_mesh(t);
       }},
      {"wide grid",
       [](double e) {
         std::vector<float> z = cone(41, e / 20);
         return show_grid(41, 41, e / 40, e / 160, z, false);
       }},
      {"rod along the view",
       [](double e) {
         std::vector<Ball> b;
         for (int i = 0; i < 50; i++) b.push_back({0, 0, e * i / 50, e / 100, 6});
         return show_spheres(b);
       }},
  };
  for (const Shape& s : shapes)
    for (double extent : {1.0, 37.0, 1000.0, 1e5}) {
      SCOPED_TRACE(s.name);
      SCOPED_TRACE(extent);
      for (auto size : {std::pair<int, int>{300, 200}, {200, 300}}) {
        renderer_at(size.first, size.second);
        ASSERT_EQ(s.show(extent), 0);
        EXPECT_EQ(magn, 2.7f);
        EXPECT_GT(ClipDist, 0);
        Drawn d = drawn();
        EXPECT_NEAR(d.cx, 0.5, 0.02);
        EXPECT_NEAR(d.cy, 0.5, 0.02);
        EXPECT_GE(d.fill, 0.5);
        EXPECT_LE(d.fill, 0.85);
      }
    }
}

}  // namespace
