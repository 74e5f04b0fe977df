#include "render_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"
#include "view/canvas.h"

using namespace scene3d;

void renderer_at(int w, int h) {
  headless_viewer(w, h);
  DoInit();
  force_bands = 0;
  rot_x = 90, rot_y = 0, rot_z = 0;
  UpdateAngles();
}

std::vector<Ball> ball_cloud(int n, unsigned seed, double spread, double radius) {
  std::vector<Ball> b;
  unsigned s = seed;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return (s >> 8) / double(1 << 24) * 2 - 1;
  };
  const int elements[] = {6, 7, 8, 16, 1, 26};
  for (int i = 0; i < n; i++) {
    double x = next() * spread, y = next() * spread, z = next() * spread;
    int e = elements[i % 6];
    b.push_back({x, y, z, radius, i % 7 == 3 ? -e : e});
  }
  return b;
}

std::vector<tri> tetrahedron(double size) {
  const double a = size / (2 * std::sqrt(2.0));
  const double p[4][3] = {{a, a, a}, {a, -a, -a}, {-a, a, -a}, {-a, -a, a}};
  const int f[4][3] = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
  std::vector<tri> t;
  for (auto& face : f) {
    tri q;
    for (int k = 0; k < 3; k++) {
      q.a[k] = p[face[0]][k];
      q.b[k] = p[face[1]][k];
      q.c[k] = p[face[2]][k];
    }
    // The outward normal: the opposite corner's direction, negated.
    int opposite = 6 - face[0] - face[1] - face[2];
    double len = std::sqrt(3.0) * a;
    for (int k = 0; k < 3; k++) q.n[k] = -p[opposite][k] / len;
    t.push_back(q);
  }
  return t;
}

std::vector<float> cone(int n, double height) {
  std::vector<float> z((size_t)n * n);
  const double r0 = n / 2.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      double r = std::hypot(i - n / 2, j - n / 2);
      z[(size_t)i * n + j] = (float)std::max(0.0, height * (1 - r / r0));
    }
  return z;
}

Frame grab_frame() {
  Frame f;
  const size_t cells = (size_t)Axres * Ayres;
  f.ids.assign(Abuffer, Abuffer + cells);
  f.depths.assign(Dbuffer, Dbuffer + cells);
  const int H = Ayres / 2, W = Axres / 2;
  for (int y = 0; y < H; y++) {
    const uint16_t* row = gimage + (size_t)(y + 2) * use_x24_3;
    f.lit.insert(f.lit.end(), row, row + 3 * W);
  }
  f.picture.assign(img_content, img_content + 4 * (size_t)width * height);
  return f;
}

std::vector<uint8_t> object_mask() {
  std::vector<uint8_t> m((size_t)Axres * Ayres);
  for (size_t i = 0; i < m.size(); i++) m[i] = Abuffer[i] != 0;
  return m;
}

std::vector<uint8_t> reference_mask(const std::vector<Ball>& balls,
                                    const std::vector<Polygon>& polygons, std::string* error) {
  TempDir dir("projection");
  const std::string scene = dir.path + "/scene.txt", mask = dir.path + "/mask.pgm";
  {
    std::ofstream f(scene);
    f.precision(17);
    // The centre and the projection factor of the rasterising step.
    f << rot_x << " " << rot_y << " " << rot_z << " " << camera_pos << " " << ClipDist << " "
      << width * magn << " " << Axres / 2 + dispX << " " << Ayres / 2 + dispY << " " << Axres << " "
      << Ayres << "\n";
    for (const Ball& b : balls)
      f << "S " << b.x << " " << b.y << " " << b.z << " " << b.radius << "\n";
    for (const Polygon& p : polygons) {
      f << "P " << p.xyz.size() / 3;
      for (double c : p.xyz) f << " " << c;
      f << "\n";
    }
  }
  const char* src = std::getenv("SUNCALC_SOURCE_DIR");
  std::string cmd = std::string(python()) + " " + (src ? src : ".") +
                    "/tests/scene3d/projection_reference.py " + scene + " " + mask;
  if (sh(cmd) != 0) {
    *error = "failed: " + cmd;
    return {};
  }
  Bytes pgm = read_file(mask);
  const size_t cells = (size_t)Axres * Ayres;
  if (pgm.size() < cells) {
    *error = "short mask from " + cmd;
    return {};
  }
  std::vector<uint8_t> m(cells);
  const size_t header = pgm.size() - cells;
  for (size_t i = 0; i < cells; i++) m[i] = pgm[header + i] != 0;
  return m;
}

std::vector<Polygon> mesh_polygons(const std::vector<tri>& triangles) {
  std::vector<Polygon> p;
  for (const tri& t : triangles)
    p.push_back({{t.a[0], t.a[1], t.a[2], t.b[0], t.b[1], t.b[2], t.c[0], t.c[1], t.c[2]}});
  return p;
}

std::vector<Polygon> grid_polygons(int nx, int ny, double dx, double dy,
                                   const std::vector<float>& z) {
  std::vector<Polygon> p;
  auto node = [&](int i, int j, std::vector<double>* out) {
    out->push_back((j - nx / 2) * dx);
    out->push_back((i - ny / 2) * dy);
    out->push_back((float)z[(size_t)i * nx + j]);
  };
  for (int i = 1; i < ny; i++)
    for (int j = 0; j + 1 < nx; j++) {
      Polygon q;
      node(i - 1, j, &q.xyz);
      node(i - 1, j + 1, &q.xyz);
      node(i, j + 1, &q.xyz);
      node(i, j, &q.xyz);
      p.push_back(q);
    }
  return p;
}

double iou(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  size_t both = 0, either = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); i++) {
    both += a[i] && b[i];
    either += a[i] || b[i];
  }
  return either ? (double)both / either : 1.0;
}
