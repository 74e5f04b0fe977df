/* Shapes of the globe's embedded images, written once for the generators (tools/), the assembler
   stub that links them (data/textures.S) and the samplers (earth/globe_textures.cpp). All are
   equirectangular, rows from 90 N down to 90 S, column 0 at 180 W, 8 bits a sample. */
#pragma once

/* Day texture: RGB. */
#define GLOBE_DAY_W 2048
#define GLOBE_DAY_H 1024
#define GLOBE_DAY_BYTES (GLOBE_DAY_W * GLOBE_DAY_H * 3)

/* The day texture reduced 4 x 4: RGB. */
#define GLOBE_SMALL_W 512
#define GLOBE_SMALL_H 256
#define GLOBE_SMALL_BYTES (GLOBE_SMALL_W * GLOBE_SMALL_H * 3)

/* Night lights: one brightness byte a pixel (10 arc minutes), 0 on the sea. */
#define GLOBE_NIGHT_W 2160
#define GLOBE_NIGHT_H 1080
#define GLOBE_NIGHT_BYTES (GLOBE_NIGHT_W * GLOBE_NIGHT_H)
