// The file buffer shown as raw text in the bitmap font, one byte a 9 x 18 cell, line feeds start
// a new row; nothing is wrapped or interpreted.
#pragma once

// Paints the text view into the canvas, quantises it and shows it.
void do_textview();
