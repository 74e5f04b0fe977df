// The mesh reader: a triangle mesh in the STL format, binary or ASCII, read from the file buffer.
// Each facet is cut into pieces whose edges are shorter than about 1.6 (at most 32 a facet), so
// that the shading can vary across a large face; each piece owns three grid points (points 3k to
// 3k + 2 of piece k, never shared) and triangle k of v, which carries the facet's unit normal.
#pragma once
#include <cstdint>

namespace scene3d {

// Three doubles; read from a byte pointer as three unaligned little-endian 32-bit floats, the
// way a binary record holds its normal and each vertex.
struct v3 {
  double x, y, z;
  v3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  explicit v3(const unsigned char* p);
};

// Pieces a facet may be cut into: the budget the reader gives add_triangles for each facet.
constexpr int kFacetBudget = 32;

// The reader of the shared opener (scene_open.h) for the mesh in the file buffer; name is used in
// messages. The points are centred on their mean and coloured by mass. A file that yields no
// facet is a failed read; one that ends early or has facets with unusable coordinates is shown
// with what could be read, and stl_note says what is missing (empty when nothing is), for the
// opener to put on the status line once the picture is posted.
int OpenStlFile(const char* name);
extern char stl_note[256];

// Cuts triangle P Q R at the midpoint of its longest edge while the square of that edge is at
// least 2.5 and the budget, halved at each cut, allows, and stores each piece (its three points,
// then its triangle with `normal`). Ties between edges cut P Q. 0 when every piece is stored;
// 1 when the store could not take one (the pieces stored before it stay).
int add_triangles(const double P[3], const double Q[3], const double R[3], const double normal[3],
                  int budget);

// True when the bytes hold the binary form: the record count at byte 80 accounts for the length
// exactly; failing that, a text starting with "solid" (any case) is ASCII, and otherwise a file
// of more than 80 bytes with no line feed among its first 80 is binary.
bool stl_is_binary(const unsigned char* data, int64_t size);

// What a reading found besides the points.
struct StlReport {
  int64_t facets = 0;   // facets stored
  int64_t missing = 0;  // records the binary count claims beyond the end of the file
  int64_t dropped = 0;  // facets left out for a coordinate that is no finite float
  int64_t unread = 0;   // ASCII lines not understood (printed on the console with "?>> ")
  char why[160] = "";   // why nothing could be read
};

// Reads the mesh held in data into the scene the caller has started (InitMolData) and fills v.
// 0 when at least one facet was stored; 1 otherwise, with the reason in report->why (the points
// stored before a failure stay).
int read_stl(const unsigned char* data, int64_t size, StlReport* report);

}  // namespace scene3d
