// Placeholder until the text view lands.
#include "view/text_view.h"

#include "view/canvas.h"
#include "view/quantise.h"

void do_textview() {
  do_clear_text();
  quant_display(uimage, 0);
}
