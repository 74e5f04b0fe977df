#include "app/open_hdr.h"

#include "app/open_file.h"
#include "formats/hdr.h"

void load_hdr() { load_hdr_file(openfilename); }
