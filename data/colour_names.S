#include "data/blob.inc"
BLOB colour_names, "colour_names.bin"
