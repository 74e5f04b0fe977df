// Zip files are recognised by name only: the opener's zip row reads nothing, and no command
// calls this reader.
#include "formats/readers.h"

void load_zip() {}
