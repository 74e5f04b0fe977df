#include "app/open_file.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/open_hgt.h"
#include "formats/binhex.h"
#include "formats/bmp.h"
#include "formats/gif.h"
#include "formats/hdr.h"
#include "formats/jpeg.h"
#include "formats/macpaint.h"
#include "formats/netpbm.h"
#include "formats/pcx.h"
#include "formats/reader.h"
#include "formats/sun_raster.h"
#include "formats/targa.h"
#include "formats/x3f.h"
#include "formats/xbm.h"
#include "formats/xpm.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "scene3d/file_openers.h"
#include "view/canvas.h"
#include "view/quantise.h"
#include "view/screen.h"

int fail_bin_alloc = 0;
int open_kind_before = -1;

// ---- the dispatch table

// The table calls every reader with the fit flag; most ignore it.
static int read_bmp(int) { return load_bmp(); }
static int read_sun(int) { return load_sun(); }
static int read_targa(int) { return load_targa(); }
static int read_pcx(int) { return load_pcx(); }
static int read_x3f(int) { return load_x3f(); }
static int read_stl(int) { return load_stl(openfilename); }
static int read_sdf(int) { return load_sdf(openfilename); }
static int read_hgt(int) { return load_hgt(); }
static int read_pdb(int) { return load_mypdb(openfilename); }
static int read_mac(int) { return load_mac(); }
static int read_hqx(int) { return load_hqx(); }
static int read_pbm(int) { return load_pbm(); }
static int read_ppm(int) { return load_ppm(); }
static int read_xbm(int) { return load_xbm(); }
static int read_xpm(int) { return load_xpm(); }

// In dispatch order: "hgt.zip" and "dem.zip" reach the terrain loader before the zip row, and
// ".pdb.gz" the molecule reader.
open_entry open_table[] = {
    {"jpeg", &jpeg_extension, &jpeg_endings, OPEN_IMAGE_OR_FAIL, load_jpg, nullptr},
    {"bmp", &bmp_extension, &bmp_endings, OPEN_IMAGE, read_bmp, nullptr},
    {"sun", &sun_extension, &sun_endings, OPEN_IMAGE, read_sun, nullptr},
    {"targa", &targa_extension, &targa_endings, OPEN_IMAGE, read_targa, nullptr},
    {"gif", &gif_extension, &gif_endings, OPEN_GIF_FRAMES, nullptr, load_gif},
    {"pcx", &pcx_extension, &pcx_endings, OPEN_IMAGE, read_pcx, nullptr},
    {"x3f", &x3f_extension, &x3f_endings, OPEN_IMAGE_OR_FAIL, read_x3f, nullptr},
    {"stl", &stl_extension, &stl_endings, OPEN_SCENE, read_stl, nullptr, set_content_stl},
    {"sdf", &sdf_extension, &sdf_endings, OPEN_SCENE, read_sdf, nullptr, set_content_sdf},
    {"hgt", &hgt_extension, &hgt_endings, OPEN_SCENE, read_hgt, nullptr, set_content_srtm3},
    {"pdb", &pdb_extension, &pdb_endings, OPEN_SCENE, read_pdb, nullptr, set_content_pdb},
    {"zip", &zip_extension, &zip_endings, OPEN_NOTHING, nullptr, nullptr},
    {"mac", &mac_extension, &mac_endings, OPEN_IMAGE, read_mac, nullptr},
    {"hqx", &hqx_extension, &hqx_endings, OPEN_IMAGE, read_hqx, nullptr},
    {"pbm", &pbm_extension, &pbm_endings, OPEN_IMAGE, read_pbm, nullptr},
    {"ppm", &ppm_extension, &ppm_endings, OPEN_IMAGE_OR_ERROR, read_ppm, nullptr},
    {"xbm", &xbm_extension, &xbm_endings, OPEN_IMAGE_OR_ERROR, read_xbm, nullptr},
    {"xpm", &xpm_extension, &xpm_endings, OPEN_IMAGE_OR_ERROR, read_xpm, nullptr},
    {"htm", &htm_extension, &htm_endings, OPEN_HTML, nullptr, nullptr},
};
const int open_table_rows = sizeof open_table / sizeof open_table[0];

// ---- readers no row calls

void load_zip() {}

void load_hdr() { load_hdr_file(openfilename); }

static void set_extension_flags(const char* name) {
  for (int i = 0; i < open_table_rows; i++) {
    *open_table[i].flag =
        (char)name_ends_in_any(name, *open_table[i].endings, OPENER_CHARS_BEFORE);
  }
}

static open_entry* first_row_taking_name() {
  for (int i = 0; i < open_table_rows; i++)
    if (*open_table[i].flag) return &open_table[i];
  return nullptr;
}

// ---- do_open

static void show_current_view() {
  do_draw();
  if (fl_temp) fl_temp->uncache();
  if (picture_widget) picture_widget->redraw();
  Fl::flush();
}

static void cannot_open(const char* name) {
  char text[1100];
  snprintf(text, sizeof text, "error opening file: >%s<\n", name);
  plat_message(text);
  show_current_view();
}

// The reader's result; a row that should have a reader and has none counts as a failed read.
static int run_reader(const open_entry& row, int fit) { return row.read ? row.read(fit) : 1; }

// The GIF sequence: reset the reader, decode frame 1, count the frames, decode frame 1 again.
// Returns the failure result (0 on success); sets the image kind once the frames are counted.
static int open_gif_frames(const open_entry& row) {
  current_subimage = 0;
  if (!row.frames) return 1;
  row.frames(1, 1, 1);
  int r = row.frames(1, 1, 0);
  if (r != 0) {
    printf("no file in gif\n");
    return r;
  }
  n_img = row.frames(-1, 0, 0);
  r = row.frames(1, 1, 0);
  set_content_image(n_img);
  return r;
}

// A dispatch result: the reader failed, said why, and left everything as it was shown.
constexpr int kept_as_shown = -1;

// Runs the row's reader and sets the content kind; returns non-zero when the failure path is to
// be taken, with the reader's result.
static int dispatch(open_entry* row, int fit) {
  if (!row) {
    set_content_hex();
    return 0;
  }
  int r;
  switch (row->action) {
    case OPEN_IMAGE:
      run_reader(*row, fit);
      set_content_image(1);
      return 0;
    case OPEN_IMAGE_OR_FAIL:
      r = run_reader(*row, fit);
      if (r == 0) set_content_image(1);
      return r;
    case OPEN_IMAGE_OR_ERROR:
      // The error canvas says why: the reader's own refusal text goes on its message line.
      reader_refusal[0] = 0;
      if (run_reader(*row, fit) != 0) bluescreen(reader_refusal);
      set_content_image(1);
      return 0;
    case OPEN_GIF_FRAMES:
      return open_gif_frames(*row);
    case OPEN_SCENE:
      if (run_reader(*row, fit) != 0) return kept_as_shown;
      if (row->set_kind) row->set_kind();
      return 0;
    case OPEN_NOTHING:
      return 0;
    case OPEN_HTML:
      set_content_html();
      return 0;
  }
  return 0;
}

void cb_close(Fl_Widget*, void*) {
  contentview = 0;
  // The empty kind's items over whatever kind stays: a pick there is no pick for that kind.
  show_empty_choices();
  do_clear();
  quant_display(uimage, 0);
  replace_shown_image();
  if (picture_widget && picture_widget->window()) picture_widget->window()->redraw();
  set_title("Preview");
  set_status("Ready");
}

static void take_failure_path(const char* name, int r) {
  char text[1100];
  snprintf(text, sizeof text, r == 999 ? "memory error reading %s\n" : "error reading %s\n", name);
  cb_close();
  set_status(text);
}

void title_gif_frame(const char* name) {
  if (n_img > 1) {
    char title[1100];
    snprintf(title, sizeof title, "%s (%d of %d)", name, current_subimage + 1, n_img);
    set_title(title);
  } else {
    set_title(name);
  }
}

static void title_with_name(const char* name) {
  if (gif_extension)
    title_gif_frame(name);
  else
    set_title(name);
}

// The file buffer moved out of the way while a reader fills a new one. Put back, it replaces
// whatever that reader left there; not put back, it is freed.
class bytes_aside {
 public:
  bytes_aside() = default;
  bytes_aside(const bytes_aside&) = delete;
  bytes_aside& operator=(const bytes_aside&) = delete;
  ~bytes_aside() {
    if (held_ && length_ != -1) free(bytes_);
  }
  void take() {
    bytes_ = bin_content, length_ = bin_allocated, held_ = true;
    bin_content = nullptr, bin_allocated = -1;
  }
  void put_back() {
    if (!held_) return;
    if (bin_allocated != -1) free(bin_content);
    bin_content = bytes_, bin_allocated = length_, held_ = false;
  }

 private:
  unsigned char* bytes_ = nullptr;
  int length_ = -1;
  bool held_ = false;
};

// The name of the file whose view is shown, as the last open left it: a scene that cannot be read
// leaves that view, and what depends on the name (a GIF's frame steps, its title) with it.
static char shown_name[sizeof openfilename];

// The file buffer for a file of `length` bytes: the block in place when the length is the same,
// else a new one. Null, with no buffer left, when there is no memory for it.
static unsigned char* file_buffer_for(int64_t length) {
  int len = (int)length;
  if (len != bin_allocated) {
    if (bin_allocated != -1) free(bin_content);
    bin_content = fail_bin_alloc ? nullptr : (unsigned char*)malloc(len > 0 ? (size_t)len : 1);
    if (!bin_content) {
      bin_allocated = -1;
      return nullptr;
    }
    bin_allocated = len;
  }
  return bin_content;
}

static void open_now(int fit) {
  const char* name = openfilename;

  char shown_flags[sizeof open_table / sizeof open_table[0]];
  open_entry* row = nullptr;
  // A scene that cannot be read leaves the view as it was, and the text and hex views draw from
  // the file buffer: the shown file's bytes wait aside until the scene's reader is done.
  bytes_aside shown;
  // The flags change, and the shown bytes move aside, only once the file is open and its length
  // is one the buffer takes.
  auto room = [&](int64_t length) {
    for (int i = 0; i < open_table_rows; i++) shown_flags[i] = *open_table[i].flag;
    set_extension_flags(name);
    row = first_row_taking_name();
    if (row && row->action == OPEN_SCENE) shown.take();
    return file_buffer_for(length);
  };
  int64_t length, got;
  PlatReadResult read = plat_read_whole(name, MAX_OPEN_BYTES, room, &length, &got);
  if (read == PLAT_READ_CANNOT_OPEN) {
    cannot_open(name);
    return;
  }
  if (read == PLAT_READ_TOO_LARGE) {
    // The buffer's length is an int: such a file is refused before anything changes.
    char text[1200];
    snprintf(text, sizeof text, "file too large to open (%lld bytes, 2 GiB or more): %s\n",
             (long long)length, name);
    set_status(text);
    return;
  }
  if (read == PLAT_READ_NO_ROOM) {
    printf("memory error (bin)\n");
    shown.put_back();
    return;
  }
  int len = (int)length;

  if (got < length) {
    // The file ended early or could not be read: what is missing reads as zeros, and the file is
    // not handed to a reader.
    take_failure_path(name, 1);
    title_with_name(name);
    show_current_view();
    return;
  }

  if (len == 0) {
    char text[1100];
    snprintf(text, sizeof text, "file is empty: %s\n", name);
    cb_close();
    set_status(text);
    show_current_view();
    return;
  }

  int r = dispatch(row, fit);
  if (r == kept_as_shown) {
    shown.put_back();
    for (int i = 0; i < open_table_rows; i++) *open_table[i].flag = shown_flags[i];
    memcpy(openfilename, shown_name, sizeof openfilename);
    if (open_kind_before >= 0) set_content_kind(open_kind_before);
    show_current_view();
    return;
  }
  if (r != 0) take_failure_path(name, r);
  title_with_name(name);
  show_current_view();
}

static char opening_name[sizeof openfilename];

void do_open(int fit) {
  openfilename[sizeof openfilename - 1] = 0;
  if (do_open_busy()) {
    // A drop or command while a reader lets the toolkit run: the file buffer and the loaded image
    // belong to that reader, and so does the name.
    printf("still opening %s: %s not opened\n", opening_name, openfilename);
    memcpy(openfilename, opening_name, sizeof openfilename);
    return;
  }
  set_open_busy(1);
  memcpy(opening_name, openfilename, sizeof openfilename);
  open_now(fit);
  memcpy(shown_name, openfilename, sizeof openfilename);
  open_kind_before = -1;
  set_open_busy(0);
}
