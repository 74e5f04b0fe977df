// The terrain tile: the state of the last SRTM-family tile taken in (its kind, corner and a
// void-filled copy of its heights) and the samplers through which the elevation model answers
// inside its area.
//
// Tiles: three-arc-second 1201 x 1201 and one-arc-second 3601 x 3601 over one degree, named by
// the south-west corner (N47E008); thirty-arc-second 4800 x 6000 over 40 x 50 degrees, named by
// the west and north edges (W020N90). Samples are big-endian signed 16-bit metres, rows from the
// north, columns from the west.
#pragma once
#include <cstdint>

// The tile state, written only by srtm_take_tile on the main thread while no globe band runs.
extern int n_cols, n_rows;  // grid of the tile (1201, 3601 or 4800 by 1201, 3601 or 6000)
extern int theta_ext;       // south edge, whole degrees; 1000 before the first tile
extern int phi_ext;         // west edge, whole degrees east 0..359; 1000 before the first tile
extern int is_srtm30;       // thirty-arc-second tile
extern int is_srtm1;        // one-arc-second tile
extern int have_hgt;        // a height copy exists; never cleared
// The void-filled heights, n_cols x n_rows, rows north first; voids are filled, so none is left.
// Heights are signed: land below sea level keeps its depth.
extern int16_t* height_hgt;
extern int alloc_hgt;  // capacity of height_hgt in samples, -1 when none

// Void marker inside height_hgt while the copy is being filled.
constexpr int16_t kHgtVoid = 9999;
// The sea ("no data") of thirty-arc-second tiles, read as 0 m.
constexpr int16_t kSrtmSea = -9999;

// A tile's kind and corner, as worked out from its name and size.
struct SrtmTile {
  int n_cols, n_rows;
  int theta_ext, phi_ext;
  int is_srtm30, is_srtm1;
};

// Kind and corner from the file name (a path: the base name follows the last '/' or '\') and the
// length of the tile's bytes. A name longer than 8 characters ending in ".dem" or ".dem.zip" (any
// case) is a thirty-arc-second tile (W020N90: phi_ext = 360 - 20, theta_ext = 90 - 50); any other
// is a one- or three-arc-second tile (N47E008, S33W071), 3601 x 3601 when size > 4,999,999 bytes.
// Missing digits read as 0; numbers are capped so that no arithmetic on them overflows.
SrtmTile srtm_classify(const char* name, int64_t size);

// A sample of a tile file is void when it is -32768 (SRTM's no-data value) or above 9000; every
// other value, negative ones included, is a height.
bool srtm_is_void(int16_t v);

// Reads cols x rows big-endian samples from bytes[0..len) into out (rows north first), kSrtmSea
// as 0, voids and samples beyond len as kHgtVoid. *mean gets the truncated mean of the valid samples (0 when there
// is none). Returns the number of samples that were present in the bytes.
int64_t srtm_read_heights(const unsigned char* bytes, int64_t len, int cols, int rows, int16_t* out,
                          int* mean);

// Fills every kHgtVoid of g (cols x rows, rows north first) in place, row by row from the north and
// each row from the west, from its left, upper, right or lower neighbours (valid: 8999 or less),
// else with mean. Halvings round down.
void srtm_fill_voids(int16_t* g, int cols, int rows, int mean);

// Takes in a tile: copies its heights with the voids filled and then sets the whole tile state at
// once. Returns 0, 1 when the bytes were shorter than the grid (the missing samples were filled
// like voids), or -1 when the copy could not be allocated or the tile's grid is not one of the
// three kinds; then the previous tile stays in force, untouched.
int srtm_take_tile(const SrtmTile& tile, const unsigned char* bytes, int64_t len);

// True when a tile has been taken in and the tile state still describes it; false when some code
// changed the tile globals after srtm_take_tile, so that the copy must not be sampled.
bool srtm_tile_usable();

// Height in metres at lon (degrees east, 0..360), lat (degrees) from the height copy: srtm1,
// srtm30 or srtm3 by the tile's kind. For the elevation model, inside the tile's area only.
double elevation_extern(double lon, double lat);

// Bilinear samplers of the three kinds over grid (rows north first), given the tile's south edge
// and west edge in degrees (west negative is taken +360). srtm3 and srtm1 take a grid of
// 1201 x 1201 and 3601 x 3601; points on or beyond an edge take the edge samples. srtm30 takes an
// n_cols x n_rows grid; the last row and column answer with their edge samples, points outside
// the tile give 1000. A NaN coordinate gives NaN.
double srtm3(double lat, double lon, int south, int west, const int16_t* grid);
double srtm1(double lat, double lon, int south, int west, const int16_t* grid);
double srtm30(double lat, double lon, int south, int west, const int16_t* grid);

// A colour for a height in metres: hue 0.001 h (one turn per kilometre), saturation 0.001 h and
// value 0.0001 h + 0.5, each rounded to float before the HSV conversion. Nothing in the window
// calls it.
void height2rgb(float h, float* r, float* g, float* b);
