// X3F camera files (.x3f), recognised but not decoded.
#pragma once

// Always non-zero: the format is recognised, not decoded, and the opener reports the file as
// unreadable.
int load_x3f();
