// X pixmaps (.xpm): C source whose strings hold, in order, the values "width height colours
// characters-per-pixel", one line per colour ("<key> c <colour>", the colour "#" and hex digits,
// a name such as "Blue", or "None" for transparent), then one string per row of keys.
// Refusals answer 1 and the file opener shows the error canvas.
#include "formats/xpm.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "formats/colour_names.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

constexpr int XPM_MAX_SIDE = 1000;
constexpr int XPM_MAX_COLOURS = 10000;
constexpr int XPM_MAX_KEY = 8;

// The strings of the C source in order, read one at a time; comments are passed over.
struct Strings {
  Cursor c;
  // The next string's bytes (without the quotes), or false when none is left.
  bool next(const unsigned char** s, int64_t* n) {
    while (c.left() > 0) {
      int b = c.u8();
      if (b == '/' && c.peek() == '*') {
        c.u8();
        while (!c.ended && !(c.u8() == '*' && c.peek() == '/')) {
        }
        c.u8();
      } else if (b == '"') {
        int64_t from = c.pos;
        while (c.left() > 0 && c.peek() != '"') {
          if (c.u8() == '\\') c.u8();
        }
        if (c.left() <= 0) return false;
        *s = c.data + from;
        *n = c.pos - from;
        c.u8();
        return true;
      }
    }
    return false;
  }
};

struct Colour {
  float rgba[4];
};

bool is_space(int c) { return c == ' ' || c == '\t'; }

int hex_digit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  c |= 32;
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "#" with 1 to 4 hex digits a channel; each channel's top 8 bits are taken (a single digit d
// counts as dd).
bool hex_colour(const unsigned char* s, int64_t n, int rgb[3]) {
  if (n < 3 || n % 3 != 0 || n > 12) return false;
  int per = (int)(n / 3);
  for (int k = 0; k < 3; k++) {
    int v = 0;
    for (int i = 0; i < per; i++) {
      int d = hex_digit(s[k * per + i]);
      if (d < 0) return false;
      v = v * 16 + d;
    }
    rgb[k] = per == 1 ? v * 17 : per == 2 ? v : v >> (4 * per - 8);
  }
  return true;
}

// A colour value as written after a context key. Channels are byte / 256 (white a hair under 1);
// unknown names are opaque black, like keys missing from the table.
// Returns false for a "#" value that is not hex digits.
bool parse_colour(const unsigned char* s, int64_t n, Colour* c) {
  *c = Colour{{0, 0, 0, 1}};
  int rgb[3];
  if (n == 4 && strncasecmp((const char*)s, "none", 4) == 0) {
    c->rgba[3] = 0;
    return true;
  }
  if (s[0] == '#') {
    if (!hex_colour(s + 1, n - 1, rgb)) return false;
  } else if (!colour_by_name((const char*)s, (int)n, &rgb[0], &rgb[1], &rgb[2])) {
    return true;
  }
  for (int k = 0; k < 3; k++) c->rgba[k] = (float)rgb[k] / 256.0f;
  return true;
}

// The rest of a colour line: pairs of a context key ("c" colour, "g" and "g4" grey, "m" mono,
// "s" a symbolic name) and a value, which may hold spaces ("light blue"). The colour context is
// preferred, then grey, then mono.
bool colour_line(const unsigned char* s, int64_t n, Colour* out) {
  const unsigned char* best = nullptr;
  int64_t best_n = 0;
  int best_rank = 0;
  int64_t i = 0;
  auto word_end = [&](int64_t from) {
    while (from < n && !is_space(s[from])) from++;
    return from;
  };
  auto is_key = [&](int64_t from, int64_t to) {
    int64_t len = to - from;
    if (len == 1) return s[from] == 'c' || s[from] == 'g' || s[from] == 'm' || s[from] == 's';
    return len == 2 && s[from] == 'g' && s[from + 1] == '4';
  };
  while (i < n) {
    while (i < n && is_space(s[i])) i++;
    int64_t ke = word_end(i);
    if (i >= n || !is_key(i, ke)) break;
    int rank = s[i] == 'c' ? 4 : s[i] == 'g' ? (ke - i == 2 ? 2 : 3) : s[i] == 'm' ? 1 : 0;
    // The value runs to the next context key.
    int64_t v = ke;
    while (v < n && is_space(s[v])) v++;
    int64_t end = v, scan = v;
    while (scan < n) {
      int64_t we = word_end(scan);
      if (scan > v && is_key(scan, we)) break;
      end = we;
      scan = we;
      while (scan < n && is_space(s[scan])) scan++;
    }
    if (rank > best_rank && end > v) {
      best = s + v;
      best_n = end - v;
      best_rank = rank;
    }
    i = scan;
  }
  if (!best) {
    *out = Colour{{0, 0, 0, 1}};
    return true;
  }
  return parse_colour(best, best_n, out);
}

// The keys of the colour table: characters of up to XPM_MAX_KEY bytes packed into one number;
// the first line with a key wins.
struct Table {
  int cpp;
  std::vector<int> direct;  // for one and two characters a pixel
  std::unordered_map<uint64_t, int> hashed;
  std::vector<Colour> colours;

  static uint64_t key(const unsigned char* s, int cpp) {
    uint64_t k = 0;
    for (int i = 0; i < cpp; i++) k = k << 8 | s[i];
    return k;
  }
  void add(const unsigned char* s, const Colour& c) {
    uint64_t k = key(s, cpp);
    int id = (int)colours.size();
    if (cpp <= 2) {
      if (direct[k] >= 0) return;
      direct[k] = id;
    } else if (!hashed.emplace(k, id).second) {
      return;
    }
    colours.push_back(c);
  }
  const Colour* find(const unsigned char* s) const {
    uint64_t k = key(s, cpp);
    if (cpp <= 2) return direct[k] >= 0 ? &colours[direct[k]] : nullptr;
    auto it = hashed.find(k);
    return it == hashed.end() ? nullptr : &colours[it->second];
  }
};

// Up to four numbers of the values line.
int values_line(const unsigned char* s, int64_t n, int64_t out[4]) {
  int found = 0;
  int64_t i = 0;
  while (found < 4) {
    while (i < n && is_space(s[i])) i++;
    if (i >= n || s[i] < '0' || s[i] > '9') break;
    int64_t v = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      if (v < 100000000) v = v * 10 + (s[i] - '0');
      i++;
    }
    out[found++] = v;
  }
  return found;
}

}  // namespace

int load_xpm() {
  Strings str;
  str.c = file_cursor();
  const unsigned char* s;
  int64_t n;
  int64_t v[4] = {0, 0, 0, 0};
  if (!str.next(&s, &n) || values_line(s, n, v) < 4) return refused(1, "not an XPM file");
  int64_t w = v[0], h = v[1], ncolours = v[2], cpp = v[3];
  if (w < 1 || w > XPM_MAX_SIDE || h < 1 || h > XPM_MAX_SIDE || !image_size_ok(w, h))
    return refused(1, "XPM size not supported: %lld x %lld", (long long)w, (long long)h);
  if (ncolours < 1 || ncolours > XPM_MAX_COLOURS || cpp < 1 || cpp > XPM_MAX_KEY)
    return refused(1, "XPM colours not supported: %lld colours, %lld characters a pixel", (long long)ncolours,
                   (long long)cpp);

  Table t;
  t.cpp = (int)cpp;
  if (cpp <= 2) t.direct.assign((size_t)1 << (8 * cpp), -1);
  for (int64_t i = 0; i < ncolours; i++) {
    Colour c;
    if (!str.next(&s, &n) || n < cpp || !colour_line(s + cpp, n - cpp, &c))
      return refused(1, "damaged XPM colour table");
    t.add(s, c);
  }

  if (size_loaded_image(w, h) != SIZE_OK) {
    refuse_on_canvas("memory error");
    return 1;
  }
  fill_pixels(img_content, w * h, 0.5f, 0.5f, 0.5f, 0.5f);
  bool whole = true;
  const Colour black = {{0, 0, 0, 1}};
  for (int64_t y = 0; y < h && whole; y++) {
    if (!str.next(&s, &n)) {
      whole = false;
      break;
    }
    int64_t have = n / cpp < w ? n / cpp : w;
    float* out = img_content + 4 * y * w;
    for (int64_t x = 0; x < have; x++, s += cpp, out += 4) {
      const Colour* c = t.find(s);
      memcpy(out, (c ? c : &black)->rgba, 16);
    }
    if (have < w) whole = false;
  }
  image_post((int)w, (int)h, 1);
  if (!whole) note_damaged();
  return 0;
}
