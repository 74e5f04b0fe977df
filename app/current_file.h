// The open file: its path, the endings its name carries and, for a GIF, the frame shown. Apart
// from the opener, so that the readers it calls and the commands that call it share them.
#pragma once

// The path of the current file, as the command line, a drop or the file chooser gave it.
extern char openfilename[1024];

// One flag a row of the dispatch table: 1 when the last name opened ends in one of its
// extensions. Recomputed by every open that got as far as opening its file, and put back, with
// openfilename, when a scene that cannot be read leaves the file shown before.
extern char jpeg_extension, bmp_extension, sun_extension, targa_extension, gif_extension,
    pcx_extension, x3f_extension, stl_extension, sdf_extension, hgt_extension, pdb_extension,
    zip_extension, mac_extension, hqx_extension, pbm_extension, ppm_extension, xbm_extension,
    xpm_extension, htm_extension;

// The GIF frame shown (0-based) and the frame count of the last GIF opened.
extern int current_subimage, n_img;
