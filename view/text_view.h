// The file buffer shown as raw text in the bitmap font.
#pragma once

void do_textview();
