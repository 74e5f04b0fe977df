// Placeholder until the hex view lands.
#include "view/hex_view.h"

#include "view/canvas.h"
#include "view/quantise.h"

void do_hexview() {
  do_clear_text();
  quant_display(uimage, 0);
}
