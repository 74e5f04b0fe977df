// The JPEG export and the archive export's placeholder. No control of the window invokes either.
#pragma once

// Writes the loaded image at its own size (1:1, no pan) to a JPEG file the user chooses: the
// picture is composed into a canvas of its size, quantised to 8-bit RGB by the display quantiser
// without the true-colour clamp (a 15/16- or 8-bit display's levels still apply) and compressed at
// quality 92. The chosen name gets ".jpg" when it has no three-character extension; a name with
// another one, or over 400 characters, writes nothing; an existing file is replaced only after
// "Yes" to "file exists, overwrite?". The file is written under a temporary name beside it and
// takes the chosen name only when complete: any failure leaves no file, an existing one as it was,
// and "error saving jpeg" on the status line. The canvas, zoom and pan are as before afterwards;
// the picture widget is not redrawn. Does nothing while a JPEG operation or the opener runs.
void cb_save_jpeg();

// Creates "test.tif" in the working directory holding the four characters 7373; nothing when it
// cannot be created.
void cb_save_tiff_archive();
