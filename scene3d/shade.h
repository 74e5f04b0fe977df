// Shading and lighting: turns the id and depth buffers into the lit image gimage (frame_state.h).
// Every pixel shades its 2 x 2 block (one jittered sample when all four cells show the same
// object), sums and filters the row horizontally. Also the light, gamma and specular tables,
// the background colour and the renderer's random generator.
#pragma once
#include <cstdint>

namespace scene3d {

// Lights: direction tables (degrees) and, for light 0 (the only one in use), the unit vector
// light_dr and the half vector h1024 (length 1024).
extern int light_phi[8], light_theta[8];
extern float light_dr[8][3], h1024[8][3], light_ph[8], light_th[8];
extern int light_is_setup, more_lights;

// gammaTable: lit value (0..5499) to output (0..1023); specTable: 0.2 (k / 1024)^50.
extern uint16_t gammaTable[6000];
extern float specTable[1540];
extern float specMaxTable;

// Background: the colour map's element entry curr_el_back (86), or the grey BackGfloat when 0.
extern int curr_el_back, curr_el_back_3d;
extern float BackGfloat, fog_float;
extern float scr_r, scr_g, scr_b;

// Ambient share of sphere and quad shading (0.2 at start; grid scenes set 0.4).
extern float ambientterm;
// Stick drawing and the shading mode: no drawer draws bonds as sticks and none picks another
// shading, so both stay 0.
extern int UseStick, shade_mode;

// The renderer's generator: rnd_next x 1103515245 + 12345. The workers use their own copy,
// seeded per frame row from the row number, so a frame does not depend on the band count.
extern uint32_t rnd_next;
uint32_t nextrand();
int myrand();

// The lighting step alone: lighting_prepare, then the frame (its size and centre in pixels in
// use_x, use_y, xcenter + dispX, ycenter + dispY) lit in chunks of rows on every core. A frame
// lights each chunk of rows itself as soon as it is drawn.
void lighting_mt(int pass);
// What every lit row needs first: the background colour and the light.
void lighting_prepare();
// The colours of mesh triangles 0 .. count - 1 for the frame being painted: room for them, then
// shade_triangle_colours for every triangle, before that frame is lit. Until the frame is
// counted, light_pixel_rows takes a triangle's colour from there rather than shading every
// sample. 0, or 1 when there is no room (then every sample is shaded).
int prepare_triangle_colours(int count);
void shade_triangle_colours(int t0, int t1);
// Lit rows y0 .. y1 - 1 of a frame W pixels wide, centred at (cx, cy) pixels, from the cells of
// rows 2 y0 .. 2 y1 - 1; lighting_prepare must have run.
void light_pixel_rows(int cx, int cy, int y0, int y1, int W);
// The same with the lighting of one kind of object whatever the scene (the triangles' shaded
// sample by sample).
void light_sphere_rows(int cx, int cy, int y0, int y1, int W);
void light_triangle_rows(int cx, int cy, int y0, int y1, int W);
void light_quad_rows(int cx, int cy, int y0, int y1, int W);

// Colour of one sample of object id at (x, y), output pixels relative to the picture centre.
// SHADE steps rnd_next twice for a non-background sample.
void SHADE(int id, float stick, float x, float y, float* rgb);
void SHADET(int id, float x, float y, float* rgb);
void SHADEQ(int id, float x, float y, float* rgb);

void setup_light();
void setgamma(float gamma);
float setspec(float ks, int exponent);
void SetBackCol(int grey);
void initToon();

}  // namespace scene3d
