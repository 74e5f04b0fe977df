// The lines of a molecule file held in memory, as the molecule reader takes them.
#pragma once
#include <cstdint>
#include <cstring>

namespace scene3d {

// Room for the longest line and its terminator.
constexpr int kMaxLineBuffer = 256;

// One line (without its line end); columns count from 1, and those beyond its end read as blanks.
struct Line {
  const char* p = nullptr;
  int n = 0;
  char at(int col) const { return col >= 1 && col <= n ? p[col - 1] : ' '; }
  bool starts(const char* literal) const {
    size_t l = strlen(literal);
    return (size_t)n >= l && memcmp(p, literal, l) == 0;
  }
  // The line as a C string in buf (kMaxLineBuffer chars), a NUL byte read as a blank.
  char* text(char* buf) const {
    int k = n < kMaxLineBuffer - 1 ? n : kMaxLineBuffer - 1;
    for (int i = 0; i < k; i++) buf[i] = p[i] ? p[i] : ' ';
    buf[k] = 0;
    return buf;
  }
};

// An integer of `width` columns from col, leading blanks skipped (0 when it holds none).
inline int int_field(const Line& l, int col, int width) {
  int k = 0;
  while (k < width && l.at(col + k) == ' ') k++;
  bool negative = false;
  if (k < width && (l.at(col + k) == '-' || l.at(col + k) == '+'))
    negative = l.at(col + k++) == '-';
  int v = 0;
  for (; k < width && l.at(col + k) >= '0' && l.at(col + k) <= '9'; k++)
    v = 10 * v + (l.at(col + k) - '0');
  return negative ? -v : v;
}

// Splits bytes into lines: a line ends at LF, CR LF or CR, and one longer than `longest`
// characters goes on as the next line. Every byte, NUL included, belongs to some line.
class Lines {
 public:
  Lines(const unsigned char* data, int64_t length, int longest)
      : d_(data),
        n_(length),
        longest_(longest < kMaxLineBuffer - 1 ? longest : kMaxLineBuffer - 1) {}
  bool next(Line* l) {
    if (pos_ >= n_) return false;
    int64_t start = pos_, k = start;
    while (k < n_ && k - start < longest_ && d_[k] != '\n' && d_[k] != '\r') k++;
    l->p = (const char*)d_ + start;
    l->n = (int)(k - start);
    if (k < n_ && (d_[k] == '\n' || d_[k] == '\r'))
      k += d_[k] == '\r' && k + 1 < n_ && d_[k + 1] == '\n' ? 2 : 1;
    pos_ = k;
    return true;
  }

 private:
  const unsigned char* d_;
  int64_t n_, pos_ = 0;
  int longest_;
};

}  // namespace scene3d
