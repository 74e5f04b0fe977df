#include "formats/rgbe.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

char last_error[160] = "";

int write_error() {
  snprintf(last_error, sizeof last_error, "RGBE write error");
  perror("RGBE write error");
  return -1;
}

int read_error() {
  snprintf(last_error, sizeof last_error, "RGBE read error");
  perror("RGBE read error");
  return -1;
}

int format_error(const char* reason) {
  snprintf(last_error, sizeof last_error, "RGBE bad file format: %s", reason);
  fprintf(stderr, "RGBE bad file format: %s\n", reason);
  return -1;
}

int memory_error() {
  snprintf(last_error, sizeof last_error, "RGBE error: unable to allocate buffer space");
  fprintf(stderr, "RGBE error: %s\n", "unable to allocate buffer space");
  return -1;
}

// The largest value the exponent byte can carry: 255/256 times 2^127.
const double RGBE_MAX_VALUE = std::ldexp(255.0 / 256.0, 127);

// Casting a negative or not-a-number float to a byte is undefined, and values from 2^127 up would
// need an exponent byte of 256, which wraps to 0 (black).
double encodable(float c) {
  if (!(c > 0)) return 0;
  return c > RGBE_MAX_VALUE ? RGBE_MAX_VALUE : c;
}

// Pixels are converted this many at a time between the stream and memory.
constexpr int64_t CHUNK = 4096;

int write_flat(FILE* file, const float* pixels, int64_t count) {
  unsigned char buf[4 * CHUNK];
  while (count > 0) {
    int64_t n = count < CHUNK ? count : CHUNK;
    for (int64_t i = 0; i < n; i++, pixels += 3) rgbe_encode(buf + 4 * i, pixels[0], pixels[1], pixels[2]);
    if (fwrite(buf, 4, (size_t)n, file) < (size_t)n) return write_error();
    count -= n;
  }
  return 0;
}

int read_flat(FILE* file, float* pixels, int64_t count) {
  unsigned char buf[4 * CHUNK];
  while (count > 0) {
    int64_t n = count < CHUNK ? count : CHUNK;
    size_t got = fread(buf, 4, (size_t)n, file);
    for (size_t i = 0; i < got; i++, pixels += 3) rgbe_decode(pixels, buf + 4 * i);
    if (got < (size_t)n) {
      puts("error reading image");
      return read_error();
    }
    count -= n;
  }
  return 0;
}

// Equal bytes from p on, at most 127 (the longest run a packet holds) and not past n.
int run_at(const unsigned char* data, int p, int n) {
  int len = 1;
  while (p + len < n && len < 127 && data[p + len] == data[p]) len++;
  return len;
}

// One plane of a scanline as packets: runs of 4 or more equal bytes become run packets, and so do
// 2 or 3 equal bytes that are all that stands before such a run (or before the end); everything
// else goes out as literal packets of at most 128 bytes.
int write_plane(FILE* file, const unsigned char* data, int n) {
  int cur = 0;
  while (cur < n) {
    int run_start = cur, run_len = 0;
    while (run_start < n) {
      run_len = run_at(data, run_start, n);
      if (run_len >= 4) break;
      run_start += run_len;
    }
    if (run_start >= n) run_len = 0;
    int gap = run_start - cur;
    if (gap >= 2 && gap <= 3 && run_at(data, cur, n) >= gap) {
      unsigned char packet[2] = {(unsigned char)(128 + gap), data[cur]};
      if (fwrite(packet, 2, 1, file) < 1) return write_error();
      cur = run_start;
    }
    while (cur < run_start) {
      int len = run_start - cur < 128 ? run_start - cur : 128;
      unsigned char count = (unsigned char)len;
      if (fwrite(&count, 1, 1, file) < 1 || fwrite(data + cur, 1, (size_t)len, file) < (size_t)len)
        return write_error();
      cur += len;
    }
    if (run_len >= 4) {
      unsigned char packet[2] = {(unsigned char)(128 + run_len), data[run_start]};
      if (fwrite(packet, 2, 1, file) < 1) return write_error();
      cur += run_len;
    }
  }
  return 0;
}

// One plane of n bytes from its packets.
int read_plane(FILE* file, unsigned char* plane, int n) {
  unsigned char* p = plane;
  unsigned char* end = plane + n;
  while (p < end) {
    unsigned char packet[2];
    if (fread(packet, 2, 1, file) < 1) return read_error();
    if (packet[0] > 128) {
      int len = packet[0] - 128;
      if (len > end - p) return format_error("bad scanline data");
      memset(p, packet[1], (size_t)len);
      p += len;
    } else {
      int len = packet[0];
      if (len == 0 || len > end - p) return format_error("bad scanline data");
      *p++ = packet[1];
      if (len > 1 && fread(p, 1, (size_t)(len - 1), file) < (size_t)(len - 1)) return read_error();
      p += len - 1;
    }
  }
  return 0;
}

// Reads one header line into `line` (at most size-1 characters kept, the rest of the line is
// consumed; a trailing carriage return is dropped). Every byte read counts against *budget.
// Returns false at the end of the file before any byte, or when the budget runs out.
bool read_line(FILE* file, char* line, size_t size, long* budget) {
  size_t n = 0;
  int c = EOF;
  bool any = false;
  while (*budget > 0 && (c = getc(file)) != EOF) {
    --*budget;
    any = true;
    if (c == '\n') break;
    if (n + 1 < size) line[n++] = (char)c;
  }
  line[n] = 0;
  if (n > 0 && line[n - 1] == '\r') line[--n] = 0;
  return any && (c == '\n' || c == EOF);
}

// The decimal digits after a token and its spaces; none give 0, too many give INT_MAX.
int number_after(const char* p) {
  while (*p == ' ') p++;
  int64_t v = 0;
  for (; *p >= '0' && *p <= '9'; p++)
    if ((v = v * 10 + (*p - '0')) > INT_MAX) return INT_MAX;
  return (int)v;
}

int read_resolution(const char* line, int* width, int* height) {
  const char* y = strstr(line, "-Y");
  const char* x = strstr(line, "+X");
  if (!y || !x) {
    bool orientation = (line[0] == '-' || line[0] == '+') && (line[1] == 'X' || line[1] == 'Y');
    return format_error(orientation ? "unsupported orientation" : "missing image size");
  }
  *height = number_after(y + 2);
  *width = number_after(x + 2);
  return 0;
}

}  // namespace

const char* rgbe_last_error() { return last_error; }

void rgbe_encode(unsigned char rgbe[4], float r, float g, float b) {
  double c[3] = {encodable(r), encodable(g), encodable(b)};
  double v = c[0] > c[1] ? c[0] : c[1];
  if (c[2] > v) v = c[2];
  if (v < 1e-32) {
    rgbe[0] = rgbe[1] = rgbe[2] = rgbe[3] = 0;
    return;
  }
  int e;
  double scale = std::frexp(v, &e) * 256.0 / v;
  for (int k = 0; k < 3; k++) {
    double m = c[k] * scale;
    rgbe[k] = (unsigned char)(m < 255 ? m : 255);
  }
  rgbe[3] = (unsigned char)(e + 128);
}

void rgbe_decode(float rgb[3], const unsigned char rgbe[4]) {
  if (rgbe[3] == 0) {
    rgb[0] = rgb[1] = rgb[2] = 0;
    return;
  }
  float f = (float)std::ldexp(1.0, rgbe[3] - 136);
  for (int k = 0; k < 3; k++) rgb[k] = rgbe[k] * f;
}

int RGBE_WriteHeader(FILE* file, int width, int height, rgbe_header* header) {
  const char* type = "RGBE";
  int type_len = 4;
  if (header && (header->flags & RGBE_VALID_PROGRAMTYPE)) {
    type = header->program_type;
    type_len = (int)strnlen(type, sizeof header->program_type);
  }
  if (fprintf(file, "#?%.*s\n", type_len, type) < 0) return write_error();
  if (header && (header->flags & RGBE_VALID_GAMMA) && fprintf(file, "GAMMA=%g\n", header->gamma) < 0)
    return write_error();
  if (header && (header->flags & RGBE_VALID_EXPOSURE) &&
      fprintf(file, "EXPOSURE=%g\n", header->exposure) < 0)
    return write_error();
  if (fprintf(file, "FORMAT=32-bit_rle_rgbe\n\n") < 0) return write_error();
  if (fprintf(file, "-Y %d +X %d\n", height, width) < 0) return write_error();
  return 0;
}

int RGBE_ReadHeader(FILE* file, int* width, int* height, rgbe_header* header) {
  if (header) {
    header->flags = 0;
    header->program_type[0] = 0;
    header->gamma = 1.0f;
    header->exposure = 1.0f;
  }
  long budget = RGBE_MAX_HEADER;
  char line[256];
  if (!read_line(file, line, sizeof line, &budget) || line[0] != '#' || line[1] != '?')
    return format_error("bad initial token");
  // The header's variables end at a blank line and the resolution line is the next one that is
  // not blank; a line that starts like a resolution line also ends the header, as in files that
  // leave the blank out.
  bool blank = false;
  while (read_line(file, line, sizeof line, &budget)) {
    if (line[0] == '-' || line[0] == '+' || (blank && line[0]))
      return read_resolution(line, width, height);
    blank = blank || line[0] == 0;
  }
  return format_error("missing image size");
}

int RGBE_WritePixels(FILE* file, const float* pixels, int count) {
  return write_flat(file, pixels, count);
}

int RGBE_ReadPixels(FILE* file, float* pixels, int count) { return read_flat(file, pixels, count); }

int RGBE_WritePixels_RLE(FILE* file, const float* pixels, int width, int rows) {
  if (width < RGBE_RLE_MIN_WIDTH || width > RGBE_RLE_MAX_WIDTH || rows <= 0)
    return write_flat(file, pixels, (int64_t)width * (rows > 0 ? rows : 0));
  unsigned char* planes = (unsigned char*)malloc((size_t)4 * width);
  if (!planes) return write_flat(file, pixels, (int64_t)width * rows);
  int result = 0;
  for (int y = 0; y < rows && result == 0; y++) {
    unsigned char head[4] = {2, 2, (unsigned char)(width >> 8), (unsigned char)(width & 0xFF)};
    if (fwrite(head, 4, 1, file) < 1) {
      result = write_error();
      break;
    }
    for (int x = 0; x < width; x++, pixels += 3) {
      unsigned char rgbe[4];
      rgbe_encode(rgbe, pixels[0], pixels[1], pixels[2]);
      for (int k = 0; k < 4; k++) planes[k * width + x] = rgbe[k];
    }
    for (int k = 0; k < 4 && result == 0; k++) result = write_plane(file, planes + k * width, width);
  }
  free(planes);
  return result;
}

int RGBE_ReadPixels_RLE(FILE* file, float* pixels, int width, int rows) {
  if (width < RGBE_RLE_MIN_WIDTH || width > RGBE_RLE_MAX_WIDTH || rows <= 0)
    return read_flat(file, pixels, (int64_t)(width > 0 ? width : 0) * (rows > 0 ? rows : 0));
  unsigned char* planes = nullptr;
  int result = 0;
  for (int y = 0; y < rows && result == 0; y++) {
    float* row = pixels + (int64_t)3 * width * y;
    unsigned char head[4];
    if (fread(head, 4, 1, file) < 1) {
      result = read_error();
      break;
    }
    if (head[0] != 2 || head[1] != 2 || (head[2] & 0x80)) {
      // Not a run-length scanline: the rest of the picture is flat, from this pixel on.
      rgbe_decode(row, head);
      result = read_flat(file, row + 3, (int64_t)width * (rows - y) - 1);
      break;
    }
    if ((head[2] << 8 | head[3]) != width) {
      result = format_error("wrong scanline width");
      break;
    }
    if (!planes && !(planes = (unsigned char*)malloc((size_t)4 * width))) {
      result = memory_error();
      break;
    }
    for (int k = 0; k < 4 && result == 0; k++) result = read_plane(file, planes + k * width, width);
    if (result != 0) break;
    for (int x = 0; x < width; x++) {
      unsigned char rgbe[4] = {planes[x], planes[width + x], planes[2 * width + x], planes[3 * width + x]};
      rgbe_decode(row + 3 * x, rgbe);
    }
  }
  free(planes);
  return result;
}
