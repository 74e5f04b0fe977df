#include "app/open_hgt.h"

#include <cstdio>
#include <cstdlib>

#include "app/current_file.h"
#include "earth/srtm.h"
#include "earth/srtm_file.h"
#include "scene3d/file_openers.h"
#include "view/canvas.h"
#include "view/screen.h"

int load_hgt() {
  SrtmFile file;
  show_wait_cursor(true);
  SrtmFileResult r = srtm_unpack(openfilename, bin_content, bin_allocated, &file);
  show_wait_cursor(false);
  if (r != SRTM_FILE_OK) {
    printf("%s\n", file.reason);
    set_status(file.reason);
    return 1;
  }
  if (file.entry) {
    if (bin_allocated != -1) free(bin_content);
    bin_content = file.entry;
    bin_allocated = (int)file.length;
    file.entry = nullptr;
  }
  // The scene reads the same name and bytes, so it shows the tile that is taken in below; the
  // globe's heights change only once the scene is shown.
  if (scene3d::old_render(openfilename, 0, 0, 0) != 0) return 1;
  if (srtm_take_tile(file.tile, bin_content, bin_allocated) < 0)
    set_status("memory error: the globe keeps the heights it had");
  return 0;
}
