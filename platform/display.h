// What the screen is: its usable size, its colour depth, the system's button colour.
#pragma once

// Test hooks: when plat_screen_override is set, the screen is plat_screen_w x plat_screen_h and
// has plat_display_bits_override bits a pixel, and no display connection is made.
extern int plat_screen_override;
extern int plat_screen_w, plat_screen_h, plat_display_bits_override;

// Size of the main screen's work area in pixels (opens the display).
void plat_screen_size(int* w, int* h);

// Colour bits a pixel of the screen: the number of bits in the visual's colour masks when it has
// them (15 for 5-5-5, 16 for 5-6-5, 24 for true colour), else the visual's depth (8 for a palette).
int plat_display_bits();

// The system's button-face colour as 8-bit red, green, blue. There is no such setting here; the
// answer is a fixed grey.
void plat_button_face(unsigned char* r, unsigned char* g, unsigned char* b);

// Pure helper: the bits a pixel from a visual's depth and colour masks.
int display_bits_from_visual(int depth, unsigned long red_mask, unsigned long green_mask,
                             unsigned long blue_mask);
