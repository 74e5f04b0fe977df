// BinHex 4.0 files (.hqx) that wrap a MacPaint picture.
#pragma once

// Unpacks the file buffer in place and decodes its MacPaint picture into the loaded image. Always
// returns 0: a refusal shows the error canvas and names it on the status line.
int load_hqx();
