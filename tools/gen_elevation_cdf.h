// A reader for the header of a netCDF classic file (format versions 1 and 2), enough to find a
// variable by name and check its type and shape before its data is read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum CdfType {
  CDF_BYTE = 1,
  CDF_CHAR = 2,
  CDF_SHORT = 3,
  CDF_INT = 4,
  CDF_FLOAT = 5,
  CDF_DOUBLE = 6
};

struct CdfDim {
  std::string name;
  uint32_t length;  // 0 for the record (unlimited) dimension
};

struct CdfVar {
  std::string name;
  std::vector<uint32_t> dims;           // dimension ids, slowest first
  std::vector<std::string> attributes;  // names only
  int type;                             // CdfType
  uint64_t vsize;
  uint64_t begin;  // byte offset of the data in the file
};

struct CdfFile {
  std::vector<CdfDim> dims;
  std::vector<CdfVar> vars;
};

// Parses the header at the start of bytes. Returns false with a message in *error when the
// bytes are not a netCDF classic header or the header runs past the end.
bool cdf_parse_header(const std::vector<unsigned char>& bytes, CdfFile* out, std::string* error);

// The variable called name, or null.
const CdfVar* cdf_find_var(const CdfFile& f, const char* name);

// Checks that var has the given type and exactly the named dimensions with the given lengths,
// is not a record variable, has no packing attributes (scale_factor, add_offset) and that its data
// lies inside a file of file_size bytes. Returns false with a message otherwise.
bool cdf_check_var(const CdfFile& f, const CdfVar* var, const char* name, int type,
                   const std::vector<std::pair<std::string, uint32_t>>& shape, uint64_t file_size,
                   std::string* error);

// Big-endian values of the data of a checked variable.
float cdf_float_at(const std::vector<unsigned char>& bytes, uint64_t begin, uint64_t index);
double cdf_double_at(const std::vector<unsigned char>& bytes, uint64_t begin, uint64_t index);
