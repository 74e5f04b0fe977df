// PCX images (.pcx).
#pragma once

// Reads the image in the file buffer into the loaded image and posts it. Always returns 0: a
// refusal shows the error canvas and names it on the status line.
int load_pcx();
