#include "data/blob.inc"
BLOB bx_vgafont, "font.bin"
