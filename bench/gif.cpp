// GIF decoding beside giflib, measured in the same run: one 2000 x 2000 picture, and opening and
// stepping through a 200-frame 500 x 500 animation. The files are written with giflib's encoder.
// The figure to hold: at least as fast as giflib; opening decodes one frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/gif.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

#ifdef HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

// A picture of 256 colours with the structure of a photograph: smooth areas, edges and some
// noise, so that the LZW codes vary in length as in real files. Frame k moves the pattern.
std::vector<unsigned char> indices(int w, int h, int k) {
  std::vector<unsigned char> px((size_t)w * h);
  uint32_t seed = 777u + (uint32_t)k;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      seed = seed * 1664525u + 1013904223u;
      int v =
          ((x + 3 * k) * 7 / 16 + (y * y) / (h / 4 + 1)) ^ ((x / 37 + y / 23 + k) & 1 ? 0x40 : 0);
      if ((seed >> 28) == 0) v += (int)(seed >> 20) & 15;
      px[(size_t)y * w + x] = (unsigned char)v;
    }
  return px;
}

#ifdef HAVE_GIFLIB
int to_bytes(GifFileType* gif, const GifByteType* data, int n) {
  Bytes* out = (Bytes*)gif->UserData;
  out->insert(out->end(), data, data + n);
  return n;
}

// A GIF of `frames` full w x h frames with a 256-colour global table and 4/100 s delays.
Bytes write_gif(int w, int h, int frames) {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, to_bytes, &err);
  GifColorType colours[256];
  for (int i = 0; i < 256; i++)
    colours[i] = {(GifByteType)i, (GifByteType)(255 - i), (GifByteType)(i * 7)};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  for (int k = 0; k < frames; k++) {
    if (frames > 1) {
      GraphicsControlBlock gcb = {DISPOSE_DO_NOT, false, 4, NO_TRANSPARENT_COLOR};
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    std::vector<unsigned char> px = indices(w, h, k);
    for (int y = 0; y < h; y++) EGifPutLine(gif, px.data() + (size_t)y * w, w);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

struct Reader {
  const Bytes* data;
  size_t pos;
};

int from_bytes(GifFileType* gif, GifByteType* dst, int n) {
  Reader* r = (Reader*)gif->UserData;
  size_t left = r->data->size() - r->pos;
  size_t k = (size_t)n < left ? (size_t)n : left;
  memcpy(dst, r->data->data() + r->pos, k);
  r->pos += k;
  return (int)k;
}

// giflib's way to a picture: read the whole file, then paint each frame's indices through its
// colour table into an RGBA screen (transparent pixels left alone), as its gif2rgb does.
template <typename PerFrame>
bool giflib_frames(const Bytes& file, PerFrame per_frame) {
  Reader r{&file, 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&r, from_bytes, &err);
  if (!gif || DGifSlurp(gif) != GIF_OK) return false;
  std::vector<unsigned char> screen((size_t)gif->SWidth * gif->SHeight * 4, 0);
  for (int k = 0; k < gif->ImageCount; k++) {
    SavedImage& im = gif->SavedImages[k];
    GraphicsControlBlock gcb;
    int transparent = DGifSavedExtensionToGCB(gif, k, &gcb) == GIF_OK ? gcb.TransparentColor : -1;
    ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < im.ImageDesc.Height; y++) {
      const GifByteType* src = im.RasterBits + (size_t)y * im.ImageDesc.Width;
      unsigned char* dst =
          screen.data() + 4 * ((size_t)(y + im.ImageDesc.Top) * gif->SWidth + im.ImageDesc.Left);
      for (int x = 0; x < im.ImageDesc.Width; x++, dst += 4) {
        int i = src[x];
        if (i == transparent) continue;
        const GifColorType& c = map->Colors[i < map->ColorCount ? i : 0];
        dst[0] = c.Red, dst[1] = c.Green, dst[2] = c.Blue, dst[3] = 255;
      }
    }
    per_frame(screen);
  }
  DGifCloseFile(gif, &err);
  return true;
}
#endif

const Bytes& picture() {
#ifdef HAVE_GIFLIB
  static Bytes b = write_gif(2000, 2000, 1);
#else
  static Bytes b;
#endif
  return b;
}

const Bytes& animation() {
#ifdef HAVE_GIFLIB
  static Bytes b = write_gif(500, 500, 200);
#else
  static Bytes b;
#endif
  return b;
}

void megapixels(benchmark::State& state, double pixels) {
  state.counters["Mpixel/s"] =
      benchmark::Counter(pixels * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// The file opener's calls: reset, frame 1, count, frame 1 again. Returns the frame count.
int open_as_the_viewer() {
  load_gif(1, 1, 1);
  load_gif(1, 1, 0);
  int n = load_gif(-1, 0, 0);
  load_gif(1, 1, 0);
  return n;
}

// Our decoder to RGBA bytes, as giflib's peer below.
void BM_Picture_ReadGIF(benchmark::State& state) {
  const Bytes& f = picture();
  if (f.empty()) return state.SkipWithError("needs giflib to write the file");
  int l, t, w, h, d;
  for (auto _ : state) {
    ReadGIF(nullptr, 1, &l, &t, &w, &h, &d, (int)f.size(), f.data());
    benchmark::DoNotOptimize(gif_frame);
    free(gif_frame);
    gif_frame = nullptr;
  }
  megapixels(state, 2000.0 * 2000);
}
BENCHMARK(BM_Picture_ReadGIF)->Unit(benchmark::kMillisecond);

// Opening as the viewer does: reset, frame 1, count, frame 1 again, to the float loaded image.
void BM_Picture_Open(benchmark::State& state) {
  const Bytes& f = picture();
  if (f.empty()) return state.SkipWithError("needs giflib to write the file");
  put_file_buffer(f);
  int decoded = gif_images_decoded, opens = 0;
  for (auto _ : state) {
    open_as_the_viewer();
    opens++;
  }
  megapixels(state, 2000.0 * 2000);
  state.counters["frames decoded per open"] = (double)(gif_images_decoded - decoded) / opens;
}
BENCHMARK(BM_Picture_Open)->Unit(benchmark::kMillisecond);

// Opening the animation and stepping through all its frames with Page Down.
void BM_Animation_OpenAndStep(benchmark::State& state) {
  const Bytes& f = animation();
  if (f.empty()) return state.SkipWithError("needs giflib to write the file");
  put_file_buffer(f);
  int decoded = gif_images_decoded, runs = 0;
  for (auto _ : state) {
    int n = open_as_the_viewer();
    for (int k = 2; k <= n; k++) load_gif(k, 0, 0);
    runs++;
  }
  megapixels(state, 200.0 * 500 * 500);
  state.counters["frames decoded per run"] = (double)(gif_images_decoded - decoded) / runs;
}
BENCHMARK(BM_Animation_OpenAndStep)->Unit(benchmark::kMillisecond);

// Opening the animation alone: one frame decoded, and one pass that counts the rest.
void BM_Animation_Open(benchmark::State& state) {
  const Bytes& f = animation();
  if (f.empty()) return state.SkipWithError("needs giflib to write the file");
  put_file_buffer(f);
  int decoded = gif_images_decoded, opens = 0;
  for (auto _ : state) {
    open_as_the_viewer();
    opens++;
  }
  state.counters["frames decoded per open"] = (double)(gif_images_decoded - decoded) / opens;
}
BENCHMARK(BM_Animation_Open)->Unit(benchmark::kMillisecond);

#ifdef HAVE_GIFLIB
void BM_Picture_giflib(benchmark::State& state) {
  const Bytes& f = picture();
  for (auto _ : state)
    if (!giflib_frames(
            f, [](const std::vector<unsigned char>& s) { benchmark::DoNotOptimize(s.data()); }))
      return state.SkipWithError("giflib failed");
  megapixels(state, 2000.0 * 2000);
}
BENCHMARK(BM_Picture_giflib)->Unit(benchmark::kMillisecond);

void BM_Animation_giflib(benchmark::State& state) {
  const Bytes& f = animation();
  for (auto _ : state)
    if (!giflib_frames(
            f, [](const std::vector<unsigned char>& s) { benchmark::DoNotOptimize(s.data()); }))
      return state.SkipWithError("giflib failed");
  megapixels(state, 200.0 * 500 * 500);
}
BENCHMARK(BM_Animation_giflib)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
