#include "support/reader_checks.h"

#include <FL/Fl_Text_Buffer.H>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/open_file.h"
#include "app/window.h"
#include "formats/reader.h"
#include "view/canvas.h"

bool shows_error_canvas() {
  return contentview == 1 && image_xres >= 800 && image_yres >= 600 && img_content && img_content[0] == 0.3f &&
         img_content[1] == 0.3f && img_content[2] == 0.4f;
}

namespace {

struct PnmReader {
  const Bytes& b;
  size_t at = 0;
  bool ok = true;
  long number() {
    for (;;) {
      while (at < b.size() && isspace(b[at])) at++;
      if (at < b.size() && b[at] == '#') {
        while (at < b.size() && b[at] != '\n') at++;
        continue;
      }
      break;
    }
    if (at >= b.size() || !isdigit(b[at])) {
      ok = false;
      return 0;
    }
    long v = 0;
    while (at < b.size() && isdigit(b[at])) v = v * 10 + (b[at++] - '0');
    return v;
  }
};

}  // namespace

Rgba pnm_rgba(const Bytes& file) {
  Rgba out;
  if (file.size() < 3 || file[0] != 'P' || file[1] < '1' || file[1] > '6') return out;
  int kind = file[1] - '0';
  PnmReader r{file, 2};
  long w = r.number(), h = r.number();
  long maxval = (kind == 1 || kind == 4) ? 1 : r.number();
  if (!r.ok || w <= 0 || h <= 0 || maxval <= 0 || maxval > 65535) return out;
  int channels = (kind == 3 || kind == 6) ? 3 : 1;
  out.w = (int)w;
  out.h = (int)h;
  out.px.assign((size_t)w * h * 4, 255);
  if (kind >= 4) r.at++;  // the single white-space byte before the raster
  size_t stride4 = (size_t)(w + 7) / 8;
  for (long y = 0; y < h; y++)
    for (long x = 0; x < w; x++)
      for (int k = 0; k < channels; k++) {
        long v;
        if (kind == 4) {
          size_t i = r.at + (size_t)y * stride4 + (size_t)x / 8;
          if (i >= file.size()) return Rgba();
          v = (file[i] >> (7 - x % 8) & 1) ? 0 : 1;
        } else if (kind == 1) {
          while (r.at < file.size() && file[r.at] != '0' && file[r.at] != '1') r.at++;
          if (r.at >= file.size()) return Rgba();
          v = file[r.at++] == '1' ? 0 : 1;
        } else if (kind <= 3) {
          v = r.number();
          if (!r.ok) return Rgba();
        } else {
          int bytes = maxval > 255 ? 2 : 1;
          if (r.at + bytes > file.size()) return Rgba();
          v = bytes == 2 ? file[r.at] << 8 | file[r.at + 1] : file[r.at];
          r.at += bytes;
        }
        int byte = (int)lround((double)v * 255.0 / (double)maxval);
        unsigned char* p = &out.px[4 * ((size_t)y * w + x)];
        if (channels == 1)
          p[0] = p[1] = p[2] = (unsigned char)byte;
        else
          p[k] = (unsigned char)byte;
      }
  return out;
}

Rgba netpbm_rgba(const std::string& converter, const std::string& path) {
  std::string out = path + "." + converter + ".pnm";
  if (sh(converter + " '" + path + "' > '" + out + "' 2>/dev/null") != 0) return Rgba();
  return pnm_rgba(read_file(out));
}

std::string copy_of(const std::string& path) {
  Bytes b = read_file(path);
  if (b.empty()) return "";
  std::string name = path.substr(path.find_last_of('/') + 1);
  std::string dir = fixture("packaged");
  sh("mkdir -p '" + dir + "'");
  std::string to = dir + "/" + name;
  write_file(to, b);
  return to;
}

Px loaded_px(int x, int y) {
  const float* p = img_content + 4 * ((size_t)y * image_xres + x);
  auto b = [](float v) { return (int)lrintf(v * 255.0f); };
  return Px{b(p[0]), b(p[1]), b(p[2]), b(p[3])};
}

void open_as_user(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  start_stdout_capture();
  do_open(1);
  stop_stdout_capture();
}

std::string first_bad_cut(const Bytes& whole, const std::function<void(const Bytes&)>& load,
                          const CutRules& rules) {
  if (whole.empty()) return "the whole file is empty";
  load(whole);
  if (!loaded_image_valid() || shows_error_canvas()) return "the whole file is refused";
  Rgba full = loaded_rgba();
  for (size_t n = 0; n < whole.size(); n += n < rules.sparse_from ? 1 : rules.sparse_step) {
    std::string at = "cut at " + std::to_string(n) + ": ";
    load(Bytes(whole.begin(), whole.begin() + n));
    if (!loaded_image_valid()) return at + "no valid image";
    bool refused = shows_error_canvas();
    if (n < rules.refused_below) {
      if (!refused) return at + "not refused, though the header is cut";
      continue;
    }
    if (refused) {
      if (rules.refuses_longer) continue;
      return at + "refused, though the header is whole";
    }
    Rgba got = loaded_rgba();
    if (got.w != full.w) return at + "width " + std::to_string(got.w) + ", not " + std::to_string(full.w);
    if (rules.palette_last) continue;
    std::string want = got.px == full.px ? "" : DAMAGED_TEXT;
    if (status_text() != want) return at + "status \"" + status_text() + "\", not \"" + want + "\"";
    for (size_t i = 0; i < got.px.size(); i += 4)
      if (memcmp(&got.px[i], &full.px[i], 4) != 0 &&
          !(got.px[i] == 128 && got.px[i + 1] == 128 && got.px[i + 2] == 128))
        return at + "pixel " + std::to_string(i / 4) + " is neither the whole file's nor the grey fill";
  }
  return "";
}
