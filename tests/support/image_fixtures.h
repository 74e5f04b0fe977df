// Fixture files made at test time by tools nobody here wrote (netpbm, ImageMagick, giflib, Pillow),
// the file buffer filled from them, and the loaded image compared with those tools' decodings.
#pragma once
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh directory for this process's fixtures (under the build tree when known).
const std::string& fixture_dir();
// fixture_dir() + "/" + name.
std::string fixture(const std::string& name);

// Runs a shell command; returns its exit status (0 when it succeeded).
int sh(const std::string& command);
// Runs a shell command and returns what it printed on standard output.
std::string sh_out(const std::string& command);
// True when the program is on PATH.
bool have_tool(const std::string& program);
// ImageMagick's own convert (a look-alike may stand first on PATH).
std::string imagemagick();
// The system Python, the one with Pillow.
inline const char* python() { return "/usr/bin/python3"; }
// Path of a script in tests/formats.
std::string test_script(const std::string& name);

Bytes read_file(const std::string& path);
void write_file(const std::string& path, const Bytes& data);

// Replaces the file buffer by a copy of data (as the file opener does after reading a file).
void put_file_buffer(const Bytes& data);
void put_file_buffer(const std::string& text);

// A decoded picture: 8-bit RGBA, rows top first.
struct Rgba {
  int w = 0, h = 0;
  Bytes px;
  const unsigned char* at(int x, int y) const { return px.data() + 4 * ((size_t)y * w + x); }
};

// Pillow's decoding of a file (frame k of an animation, composed as Pillow shows it), or w = 0
// when Pillow cannot read it. Decodings are kept beside the file, so a test can make them for
// many files in one run of Pillow first with pillow_decode({"a.bmp", "b.gif@2", ...}).
Rgba pillow_rgba(const std::string& path, int frame = 0);
void pillow_decode(const std::vector<std::string>& paths_at_frames);
// ImageMagick's decoding (frame k of `-coalesce` for animations).
Rgba imagemagick_rgba(const std::string& path, int frame = -1);

// The loaded image as 8-bit RGBA (each channel x 255, rounded).
Rgba loaded_rgba();

// Compares the loaded image with a reference: sizes equal and every channel within `tolerance`
// (of 255). Where the reference is fully transparent only the alpha is compared. Returns "" when
// they match, else a description of the first difference.
std::string compare_loaded(const Rgba& ref, int tolerance, bool compare_alpha = true);

// Captures what the code under test prints on standard output.
void start_stdout_capture();
std::string stop_stdout_capture();
