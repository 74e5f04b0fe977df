#include "app/open_hdr.h"

#include "app/current_file.h"
#include "formats/hdr.h"

void load_hdr() { load_hdr_file(openfilename); }
