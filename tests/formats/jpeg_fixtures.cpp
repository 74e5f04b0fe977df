#include "jpeg_fixtures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <FL/Fl_Text_Buffer.H>

#include "app/window.h"
#include "formats/jpeg.h"
#include "formats/jpeg_post.h"
#include "platform/sleep.h"
#include "view/canvas.h"

std::string go_testdata(const char* name) {
  std::string p = std::string("/usr/share/go-1.19/src/image/testdata/") + name;
  return access(p.c_str(), R_OK) == 0 ? p : "";
}

std::string photo_ppm() {
  std::string out = fixture_dir() + "/photo.ppm";
  if (access(out.c_str(), R_OK) == 0) return out;
  std::string png = go_testdata("video-001.png");
  if (png.empty() || sh("pngtopnm " + png + " > " + out + " 2>/dev/null") != 0) return "";
  return out;
}

bool read_pnm(const std::string& path, Picture& out) {
  Bytes b = read_file(path);
  if (b.size() < 3 || b[0] != 'P' || (b[1] != '5' && b[1] != '6')) return false;
  Rgba rgba = pnm_rgba(b);
  if (rgba.w == 0) return false;
  out.channels = b[1] == '5' ? 1 : 3;
  out.w = rgba.w;
  out.h = rgba.h;
  out.px.resize((size_t)out.w * out.h * out.channels);
  for (size_t i = 0; i < (size_t)out.w * out.h; i++)
    for (int c = 0; c < out.channels; c++) out.px[i * out.channels + c] = rgba.px[i * 4 + c];
  return true;
}

bool decode_png(const std::string& png, Picture& out) {
  std::string p = fixture_dir() + "/ref.pnm";
  return sh("pngtopnm " + png + " > " + p + " 2>/dev/null") == 0 && read_pnm(p, out);
}

bool decode_djpeg(const std::string& jpg, Picture& out) {
  std::string p = fixture_dir() + "/djpeg.pnm";
  return sh("djpeg -dct float -pnm -outfile " + p + " " + jpg + " 2>/dev/null") == 0 && read_pnm(p, out);
}

bool decode_unsmoothed(const std::string& jpg, Picture& out) {
  std::string raw = fixture_dir() + "/samples.bin";
  std::string py =
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "im.draft('YCbCr' if im.mode == 'RGB' else im.mode, im.size)\n"
      "assert im.mode in ('YCbCr', 'L'), im.mode\n"
      "sys.stdout.buffer.write(b'%d %d %d\\n' % (im.size[0], im.size[1], len(im.getbands())))\n"
      "sys.stdout.buffer.write(im.tobytes())\n";
  std::string script = fixture_dir() + "/samples.py";
  write_file(script, Bytes(py.begin(), py.end()));
  if (sh("/usr/bin/python3 " + script + " " + jpg + " > " + raw) != 0) return false;
  Bytes b = read_file(raw);
  int w, h, bands, used = 0;
  if (sscanf((const char*)b.data(), "%d %d %d\n%n", &w, &h, &bands, &used) != 3) return false;
  if (b.size() < (size_t)used + (size_t)w * h * bands || (bands != 1 && bands != 3)) return false;
  out.w = w;
  out.h = h;
  out.channels = 3;
  out.px.resize((size_t)w * h * 3);
  const unsigned char* s = b.data() + used;
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    // The reader's conversion, in single precision, before the squaring.
    float y = s[i * bands] * (1.0f / 256), cb = 0, cr = 0;
    if (bands == 3) cb = (s[i * 3 + 1] - 128) * (1.0f / 256), cr = (s[i * 3 + 2] - 128) * (1.0f / 256);
    float rgb[3] = {y - 0.0000368213f * cb + 1.40199f * cr, 1.00003f * y - 0.344125f * cb - 0.714128f * cr,
                    0.999823f * y + 1.77204f * cb - 0.00000804142f * cr};
    for (int c = 0; c < 3; c++) {
      float v = rgb[c] < 0 ? 0 : rgb[c] > 1 ? 1 : rgb[c];
      out.px[i * 3 + c] = v * 256;
    }
  }
  return true;
}

int open_jpeg(const Bytes& data, std::string* console) {
  put_file_buffer(data);
  plat_skip_sleep = 1;
  if (console) testing::internal::CaptureStdout();
  int r = load_jpg(1);
  if (console) {
    fflush(stdout);
    *console = testing::internal::GetCapturedStdout();
  }
  return r;
}

Agreement agree(const Picture& ref, double tol) {
  Agreement a;
  if (ref.w != image_xres || ref.h != image_yres) {
    a.outside = -1;
    a.first = "size " + std::to_string(image_xres) + "x" + std::to_string(image_yres) + " vs " +
              std::to_string(ref.w) + "x" + std::to_string(ref.h);
    return a;
  }
  double sum = 0;
  for (int y = 0; y < ref.h; y++)
    for (int x = 0; x < ref.w; x++)
      for (int c = 0; c < 3; c++) {
        double ours = img_content[4 * ((int64_t)y * ref.w + x) + c];
        double r = ref.at(x, y, c) / 256.0, t = tol / 256.0;
        double lo = std::max(0.0, r - t), hi = std::min(1.0, r + t);
        double min_ok = std::sqrt(std::max(0.0, lo * lo - m0)) - 1e-6;
        double max_ok = std::sqrt(hi * hi + m0) + 1e-6;
        double d = std::fabs(ours * 256 - ref.at(x, y, c));
        sum += d;
        a.worst = std::max(a.worst, d);
        if (ours < min_ok || ours > max_ok) {
          if (a.outside == 0) {
            char text[160];
            snprintf(text, sizeof text, "(%d,%d) channel %d: %.2f levels vs reference %.0f", x, y, c,
                     ours * 256, ref.at(x, y, c));
            a.first = text;
          }
          a.outside++;
        }
      }
  a.mean = sum / (3.0 * ref.w * ref.h);
  return a;
}
