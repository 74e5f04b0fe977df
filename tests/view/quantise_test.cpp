#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "app/startup.h"
#include "view/canvas.h"
#include "view/quantise.h"

namespace {

// The diffusion written out the plain way, with explicit edge tests and no padding, to check the
// fast one bit for bit.
std::vector<unsigned char> reference(const std::vector<float>& pic, int w, int h, int cls, bool a8) {
  std::vector<unsigned char> out(3 * w * h);
  for (int k = 0; k < 3; k++) {
    std::vector<float> r0(w, 0), r1(w, 0), r2(w, 0);
    for (int y = 0; y < h; y++) {
      float e1 = 0, e2 = 0;
      for (int i = 0; i < w; i++) {
        int x = (y % 2 == 0) ? i : w - 1 - i;
        float p = pic[4 * (y * w + x) + k];
        auto R1 = [&](int xx) { return (xx >= 0 && xx < w) ? r1[xx] : 0.0f; };
        auto R2 = [&](int xx) { return (xx >= 0 && xx < w) ? r2[xx] : 0.0f; };
        float s = 26.0f * p + 5.0f * e1;
        s = s + 3.0f * e2;
        if (x - 2 >= 0) s = s + R1(x - 2);
        if (x - 1 >= 0) s = s + 3.0f * R1(x - 1);
        s = s + 5.0f * R1(x);
        if (x + 1 < w) s = s + 3.0f * R1(x + 1);
        if (x + 2 < w) s = s + R1(x + 2);
        if (x - 1 >= 0) s = s + R2(x - 1);
        s = s + 3.0f * R2(x);
        if (x + 1 < w) s = s + R2(x + 1);
        float v = s * (1.0f / 26.0f);
        int q;
        float e;
        if (cls == 16) {
          int t = (int)std::trunc(32.0f * v);
          q = std::min(std::max(t, 0), 31) * 8;
          e = (255.0f * v - (float)q) / 256.1f;
          if (e > 0.03) e = 0.03f;
          if (e < -0.03) e = -0.03f;
        } else if (cls == 8) {
          int t = (int)std::trunc(16.0f * v);
          q = std::min(std::max(t, 0), 15) * 16;
          e = (256.0f * v - (float)q) / 256.0f;
          if (e > 0.1) e = 0.1f;
          if (e < -0.1) e = -0.1f;
        } else {
          int t = (int)std::trunc(256.0f * v);
          q = std::min(std::max(t, 0), 255);
          e = (255.0f * v - (float)q) / 256.1f;
          if (!a8) {
            if (e > 0.003) e = 0.003f;
            if (e < -0.003) e = -0.003f;
          }
        }
        out[3 * (y * w + x) + k] = (unsigned char)q;
        r0[x] = e;
        e2 = e1;
        e1 = e;
      }
      r2 = r1;
      r1 = r0;
    }
  }
  return out;
}

// Points the canvas at a picture of the test's own; the viewer's canvas comes back afterwards.
struct Canvas {
  int saved_w = width, saved_h = height;
  float* saved_f = fimage;
  float *saved_r = err_lines_r, *saved_g = err_lines_g, *saved_b = err_lines_b;
  int saved_alloc = err_alloc;
  Canvas(int w, int h) {
    err_lines_r = err_lines_g = err_lines_b = nullptr;
    width = w;
    height = h;
    pic.assign(4 * w * h, 0.0f);
    fimage = pic.data();
    alloc_err_rows(err_rows_at_start(0, w));
  }
  ~Canvas() {
    free(err_lines_r);
    free(err_lines_g);
    free(err_lines_b);
    err_lines_r = saved_r, err_lines_g = saved_g, err_lines_b = saved_b, err_alloc = saved_alloc;
    width = saved_w, height = saved_h, fimage = saved_f;
  }
  std::vector<float> pic;
};

void set_class(int cls) {
  col_high = cls == 16;
  col_palette = cls == 8;
}

}  // namespace

TEST(Quantiser, MatchesPlainDiffusionOnEveryDisplayClass) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int cls : {24, 16, 8})
    for (bool a8 : {false, true})
      for (int w : {1, 2, 3, 5, 64, 4100}) {  // wider than the row buffer too
        int h = 9;
        Canvas cv(w, h);
        for (float& f : cv.pic) f = u(rng);
        set_class(cls);
        std::vector<unsigned char> got(3 * w * h, 0xEE);
        quant_display(got.data(), a8);
        EXPECT_EQ(got, reference(cv.pic, w, h, cls, a8)) << "class " << cls << " a8 " << a8 << " w " << w;
      }
  set_class(24);
}

// The canvases that take the rarer paths: values at and beyond the ends of 0..1, NaN, flat areas
// whose errors sit at their bounds, and values just inside and outside where a level could leave
// the range.
std::vector<float> hard_canvas(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-0.2f, 1.2f);
  const float special[] = {0.0f, 1.0f, -0.0f, 0.5f, 0.996f, 0.9961f, 0.969f, 0.97f, 0.038f, 0.037f,
                           0.899f, 0.9f, 7.5f, -3.0f, NAN, 1e-40f};
  std::vector<float> pic(4 * w * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      for (int k = 0; k < 4; k++) {
        float& f = pic[4 * (y * w + x) + k];
        if (y % 5 == 1)
          f = k == 0 ? 0.8f : k == 1 ? 0.85f : 0.9f;  // the text view's background
        else if (rng() % 3 == 0)
          f = special[rng() % (sizeof special / sizeof special[0])];
        else
          f = u(rng);
      }
  return pic;
}

TEST(Quantiser, EveryInstructionSetAndTheChannelWorkerGiveTheSameBytes) {
  for (int cls : {24, 16, 8})
    for (int a8 : {0, 1})
      for (int w : {1, 2, 3, 7, 300}) {
        const int h = 11;
        Canvas cv(w, h);
        cv.pic = hard_canvas(w, h, (unsigned)(cls + a8 + w));
        fimage = cv.pic.data();
        set_class(cls);
        std::vector<unsigned char> first;
        for (int isa : {1, 2, 3, 0}) {
          quant_isa_limit = isa;
          std::vector<unsigned char> got(3 * w * h, 0xEE);
          quant_display(got.data(), a8);
          if (first.empty())
            first = got;
          else
            EXPECT_EQ(got, first) << "instruction set " << isa << " class " << cls << " a8 " << a8
                                  << " w " << w;
        }
        quant_isa_limit = 0;
        // The channel worker writes where the last call pointed, each channel on its own rows.
        std::vector<unsigned char> by_channel(3 * w * h, 0x33);
        quant_display(by_channel.data(), a8);
        std::fill(by_channel.begin(), by_channel.end(), 0x33);
        for (int k = 0; k < 3; k++) EXPECT_EQ(quant_display_comp(&k), 0);
        EXPECT_EQ(by_channel, first) << "class " << cls << " a8 " << a8 << " w " << w;
        // A second call starts from clean rows.
        std::vector<unsigned char> again(3 * w * h);
        quant_display(again.data(), a8);
        EXPECT_EQ(again, first);
      }
  set_class(24);
}

TEST(Quantiser, FlatLevelsAtTheEnds) {
  struct Case {
    int cls;
    float value;
    int byte;
  } cases[] = {{24, 0.0f, 0}, {16, 0.0f, 0}, {8, 0.0f, 0},       {24, 1.0f, 255},
               {16, 1.0f, 248}, {8, 1.0f, 240}, {24, 7.5f, 255}, {16, 3.0f, 248}};
  for (const Case& k : cases) {
    Canvas cv(20, 6);
    for (size_t i = 0; i < cv.pic.size(); i++) cv.pic[i] = k.value;
    set_class(k.cls);
    std::vector<unsigned char> got(3 * 20 * 6);
    quant_display(got.data(), 0);
    for (unsigned char v : got) ASSERT_EQ(v, k.byte) << "class " << k.cls << " value " << k.value;
  }
  set_class(24);
}

TEST(Quantiser, MidGreyMixesTwoNeighbouringLevels) {
  Canvas cv(200, 50);
  for (float& f : cv.pic) f = 0.5f;
  set_class(24);
  std::vector<unsigned char> got(3 * 200 * 50);
  quant_display(got.data(), 0);
  int lo = 255, hi = 0;
  double sum = 0;
  for (unsigned char v : got) {
    lo = std::min<int>(lo, v);
    hi = std::max<int>(hi, v);
    sum += v;
  }
  EXPECT_LE(hi - lo, 1);
  EXPECT_NEAR(sum / got.size(), 127.5, 0.6);
}

TEST(Quantiser, HeightZeroWritesNothing) {
  Canvas cv(10, 0);
  unsigned char dest[8];
  memset(dest, 0x5A, sizeof dest);
  quant_display(dest, 0);
  for (unsigned char v : dest) EXPECT_EQ(v, 0x5A);
}

TEST(Quantiser, RowsTooShortForTheCanvasAreNeverOverrun) {
  // Rows sized for a narrower canvas (what a start on a small screen once did): no diffusion at
  // all rather than writing past them.
  Canvas cv(400, 4);
  alloc_err_rows(3 * 100);
  std::vector<unsigned char> got(3 * 400 * 4, 0x11);
  quant_display(got.data(), 0);
  for (unsigned char v : got) ASSERT_EQ(v, 0x11);
}
