// The file buffer shown as a hex dump, 16 bytes a line, in the bitmap font: a header row, then
// per line its number, the bytes in hexadecimal and the printable bytes as characters.
#pragma once

// Paints the hex view into the canvas, quantises it and shows it.
void do_hexview();

// Cell of the high digit of byte k (0..15) of a line: pairs of bytes, one blank cell between.
int hex_digit_cell(int k);
