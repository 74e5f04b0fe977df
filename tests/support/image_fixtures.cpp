#include "support/image_fixtures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "view/canvas.h"

const std::string& fixture_dir() {
  static std::string dir;
  if (dir.empty()) {
    // One directory per test program, emptied when the program starts.
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string name = "fixtures";
    if (n > 0) {
      exe[n] = 0;
      const char* slash = strrchr(exe, '/');
      name = slash ? slash + 1 : exe;
    }
    const char* build = getenv("SUNCALC_BUILD_DIR");
    dir = std::string(build && *build ? build : "/tmp") + "/fixtures/" + name;
    sh("rm -rf '" + dir + "' && mkdir -p '" + dir + "'");
  }
  return dir;
}

std::string fixture(const std::string& name) { return fixture_dir() + "/" + name; }

int sh(const std::string& command) {
  int r = system(command.c_str());
  if (r == -1) return -1;
  // A command killed by a signal did not succeed.
  return WIFEXITED(r) ? WEXITSTATUS(r) : 128 + (WIFSIGNALED(r) ? WTERMSIG(r) : 0);
}

std::string sh_out(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

bool have_tool(const std::string& program) {
  return sh("command -v '" + program + "' >/dev/null 2>&1") == 0;
}

std::string imagemagick() {
  if (access("/usr/bin/convert-im6.q16", X_OK) == 0) return "/usr/bin/convert-im6.q16";
  return "convert";
}

std::string test_script(const std::string& name) {
  const char* src = getenv("SUNCALC_SOURCE_DIR");
  return std::string(src && *src ? src : ".") + "/tests/formats/" + name;
}

Bytes read_file(const std::string& path) {
  Bytes out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

void write_file(const std::string& path, const Bytes& data) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (!data.empty()) fwrite(data.data(), 1, data.size(), f);  // an empty vector has no data()
  fclose(f);
}

void put_file_buffer(const Bytes& data) {
  if (bin_allocated != -1) free(bin_content);
  bin_content = (unsigned char*)malloc(data.size() ? data.size() : 1);
  if (!data.empty()) memcpy(bin_content, data.data(), data.size());
  bin_allocated = (int)data.size();
}

void put_file_buffer(const std::string& text) { put_file_buffer(Bytes(text.begin(), text.end())); }

// Reads "w h\n" followed by w*h*4 bytes.
static Rgba read_raw(const std::string& path) {
  Rgba r;
  Bytes b = read_file(path);
  size_t eol = 0;
  while (eol < b.size() && eol < 32 && b[eol] != '\n') eol++;
  if (eol >= b.size() || b[eol] != '\n') return r;
  std::string head(b.begin(), b.begin() + eol);
  int w = 0, h = 0;
  if (sscanf(head.c_str(), "%d %d", &w, &h) != 2 || w <= 0 || h <= 0) return r;
  if (b.size() != eol + 1 + (size_t)w * h * 4) return r;
  r.w = w;
  r.h = h;
  r.px.assign(b.begin() + eol + 1, b.end());
  return r;
}

// The reference decoders write their output next to the file they read: a file from elsewhere
// (a Debian package's folder) is copied into the fixture folder first, so nothing is written
// outside it.
static std::string inside_fixtures(const std::string& path) {
  const std::string& dir = fixture_dir();
  if (path.compare(0, dir.size() + 1, dir + "/") == 0) return path;
  std::string flat = path;
  for (char& ch : flat)
    if (ch == '/') ch = '_';
  std::string copy = dir + "/" + flat;
  if (access(copy.c_str(), R_OK) != 0) write_file(copy, read_file(path));
  return copy;
}

void pillow_decode(const std::vector<std::string>& paths) {
  std::string cmd = std::string(python()) + " '" + test_script("pil_rgba.py") + "'";
  for (const std::string& p : paths) {
    size_t at = p.rfind('@');
    bool framed = at != std::string::npos && p.find('/', at) == std::string::npos;
    std::string file = framed ? p.substr(0, at) : p;
    cmd += " '" + inside_fixtures(file) + (framed ? p.substr(at) : "") + "'";
  }
  sh(cmd + " 2>/dev/null");
}

Rgba pillow_rgba(const std::string& given, int frame) {
  std::string path = inside_fixtures(given);
  std::string out = path + ".pil" + std::to_string(frame) + ".raw";
  if (access(out.c_str(), R_OK) != 0)
    pillow_decode({frame ? path + "@" + std::to_string(frame) : path});
  return read_raw(out);
}

Rgba imagemagick_rgba(const std::string& given, int frame) {
  std::string path = inside_fixtures(given);
  std::string im = imagemagick();
  std::string src = "'" + path + "'";
  if (frame >= 0) {
    std::string all = path + ".coalesced.miff";
    if (sh(im + " " + src + " -coalesce +repage '" + all + "' 2>/dev/null") != 0) return Rgba();
    src = "'" + all + "[" + std::to_string(frame) + "]'";
  }
  std::string out = path + ".im" + std::to_string(frame) + ".rgba";
  if (sh(im + " " + src + " -depth 8 rgba:'" + out + "' 2>/dev/null") != 0) return Rgba();
  Rgba r;
  std::string geo = sh_out(im + " " + src + " -format '%w %h\\n' info: 2>/dev/null");
  if (sscanf(geo.c_str(), "%d %d", &r.w, &r.h) != 2) return Rgba();
  r.px = read_file(out);
  if (r.px.size() != (size_t)r.w * r.h * 4) return Rgba();
  return r;
}

Rgba loaded_rgba() {
  Rgba r;
  if (!img_content || image_xres <= 0 || image_yres <= 0) return r;
  r.w = image_xres;
  r.h = image_yres;
  r.px.resize((size_t)r.w * r.h * 4);
  for (size_t i = 0; i < r.px.size(); i++) {
    float v = img_content[i] * 255.0f;
    r.px[i] = (unsigned char)(v <= 0 ? 0 : v >= 255 ? 255 : lrintf(v));
  }
  return r;
}

std::string compare_loaded(const Rgba& ref, int tolerance, bool compare_alpha) {
  Rgba got = loaded_rgba();
  char msg[256];
  if (ref.w == 0) return "no reference picture";
  if (got.w != ref.w || got.h != ref.h) {
    snprintf(msg, sizeof msg, "size %d x %d, reference %d x %d", got.w, got.h, ref.w, ref.h);
    return msg;
  }
  for (int y = 0; y < ref.h; y++)
    for (int x = 0; x < ref.w; x++) {
      const unsigned char *a = got.at(x, y), *b = ref.at(x, y);
      int channels = compare_alpha ? 4 : 3;
      if (compare_alpha && b[3] == 0 && a[3] == 0) continue;
      for (int k = 0; k < channels; k++)
        if (abs(a[k] - b[k]) > tolerance) {
          snprintf(msg, sizeof msg, "pixel (%d, %d): %d %d %d %d, reference %d %d %d %d", x, y,
                   a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
          return msg;
        }
    }
  return "";
}

static int saved_stdout = -1;
static std::string capture_path;

void start_stdout_capture() {
  fflush(stdout);
  capture_path = fixture("stdout.txt");
  saved_stdout = dup(1);
  FILE* f = fopen(capture_path.c_str(), "w");
  if (!f) return;
  dup2(fileno(f), 1);
  fclose(f);
}

std::string stop_stdout_capture() {
  fflush(stdout);
  if (saved_stdout >= 0) {
    dup2(saved_stdout, 1);
    close(saved_stdout);
    saved_stdout = -1;
  }
  Bytes b = read_file(capture_path);
  return std::string(b.begin(), b.end());
}
