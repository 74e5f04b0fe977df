// The surface grid reader: a height grid in the viewer's own text format, read from the file
// buffer into grid points and shown as a coloured surface.
//
//   SURFMT=1;L;B;<rows>;<columns>;<width>;<height>     (L or R, then B or F)
//   ZZ=<z>;<z>;...                                     (one line per row, <columns> values)
//
// Lines end at CR or LF; a run of alternating CR and LF is one line end. Lines before the header
// and lines that are no row are skipped. Rows and columns run from 4 to 2000.
#pragma once
#include <cstdint>

namespace scene3d {

// The last header read: rows, columns, width and height; text_lines counts the lines handled by
// the last reading; sdf_group is the group number mode 1 computed (nothing reads it).
extern int sdf_nrow, sdf_ncol;
extern double sdf_width, sdf_height;
extern int text_lines;
extern int sdf_group;

// Longest line read before the header (and always allowed): a row line may be as long as its
// columns need (see read_surface_grid.cpp).
constexpr int kSdfLineMax = 8996;

// Reader states that handle_sdf_line returns besides 0 .. rows, the rows read so far.
enum { SDF_WAITING = -1, SDF_REFUSED = -9 };

// One line (its text without the line end): returns the new state. Waiting: a valid header
// gives 0, a refused one SDF_REFUSED (every later line is then ignored); other lines leave the
// state. Reading rows: a row line adds its row (mode 0 and 1: ncol grid points; mode 2: each
// value is subtracted from the height of the point at the same x and y, within 0.01, and no
// point is added) and gives state + 1; a row line after the last row gives SDF_REFUSED. The last
// argument is not used.
int handle_sdf_line(const char* line, int state, int mode, int* unused);

// The reader of the shared opener (scene_open.h) for the file in the file buffer; name is only
// echoed. Mode 0 reads a surface: the grid description follows the complete rows read, the
// spacings are width / (columns - 1) and height / (rows - 1), and the surface is coloured by its
// astigmatism. Modes 1 and 2 (nothing calls them) read the points without a grid description.
// A file with no valid header or fewer than 4 complete rows is a failed read; for a grid with
// fewer rows than its header says, sdf_note tells how many were read (empty otherwise), for the
// opener to put on the status line once the picture is posted.
int OpenSdfFile(const char* name, int mode);
extern char sdf_note[256];

// The reading alone, into the scene the caller has started (InitMolData): the rows of the grid
// in data, handled line by line. Returns the final state (rows read, SDF_WAITING when no header
// was found, SDF_REFUSED when the header was refused); *why holds a reason when the state is
// negative or the reading stopped at a line too long.
int read_surface_grid(const unsigned char* data, int64_t size, int mode, const char** why);

}  // namespace scene3d
