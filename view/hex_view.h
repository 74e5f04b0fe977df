// The file buffer shown as a hex dump in the bitmap font.
#pragma once

void do_hexview();
