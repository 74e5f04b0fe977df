// netCDF classic header reader; layout after the format's published grammar:
//   header = magic numrecs dim_list gatt_list var_list, all integers big-endian, names and
//   attribute values padded to 4 bytes, begin 4 bytes in version 1 and 8 in version 2.
#include "tools/gen_elevation_cdf.h"

#include <cstring>

namespace {

const uint32_t kDimensionTag = 10, kVariableTag = 11, kAttributeTag = 12;
const char kTruncated[] = "the header is damaged or truncated";

struct Cursor {
  const std::vector<unsigned char>& b;
  size_t at = 0;
  bool bad = false;

  explicit Cursor(const std::vector<unsigned char>& bytes) : b(bytes) {}
  bool room(uint64_t n) {
    if (bad || n > b.size() - at) bad = true;
    return !bad;
  }
  uint32_t u32() {
    if (!room(4)) return 0;
    uint32_t v =
        (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
    at += 4;
    return v;
  }
  uint64_t u64() {
    uint64_t hi = u32();
    return hi << 32 | u32();
  }
  void skip(uint64_t n) {
    if (room(n)) at += (size_t)n;
  }
  std::string name() {
    uint32_t n = u32();
    if (n > 4096 || !room(n)) {
      bad = true;
      return std::string();
    }
    std::string s(reinterpret_cast<const char*>(&b[at]), n);
    skip((n + 3) / 4 * 4);
    return s;
  }
};

int type_size(int type) {
  switch (type) {
    case CDF_BYTE:
    case CDF_CHAR:
      return 1;
    case CDF_SHORT:
      return 2;
    case CDF_INT:
    case CDF_FLOAT:
      return 4;
    case CDF_DOUBLE:
      return 8;
  }
  return 0;
}

// An attribute list; appends the names to names when given.
bool read_attributes(Cursor& c, std::vector<std::string>* names) {
  uint32_t tag = c.u32(), n = c.u32();
  if (tag == 0 && n == 0) return !c.bad;
  if (tag != kAttributeTag) return false;
  for (uint32_t i = 0; i < n && !c.bad; i++) {
    std::string nm = c.name();
    int size = type_size((int)c.u32());
    uint32_t count = c.u32();
    if (size == 0) return false;
    c.skip(((uint64_t)count * size + 3) / 4 * 4);
    if (names) names->push_back(nm);
  }
  return !c.bad;
}

}  // namespace

bool cdf_parse_header(const std::vector<unsigned char>& bytes, CdfFile* out, std::string* error) {
  Cursor c(bytes);
  if (bytes.size() < 4 || memcmp(bytes.data(), "CDF", 3) != 0 || (bytes[3] != 1 && bytes[3] != 2)) {
    *error = "not a netCDF classic file";
    return false;
  }
  const int version = bytes[3];
  c.skip(4);
  c.u32();  // numrecs

  uint32_t tag = c.u32(), n = c.u32();
  if (tag == kDimensionTag) {
    for (uint32_t i = 0; i < n && !c.bad; i++) {
      CdfDim d;
      d.name = c.name();
      d.length = c.u32();
      out->dims.push_back(d);
    }
  } else if (tag != 0 || n != 0) {
    *error = c.bad ? kTruncated : "damaged dimension list";
    return false;
  }
  if (!read_attributes(c, nullptr)) {
    *error = c.bad ? kTruncated : "damaged global attributes";
    return false;
  }
  tag = c.u32();
  n = c.u32();
  if (tag == kVariableTag) {
    for (uint32_t i = 0; i < n && !c.bad; i++) {
      CdfVar v;
      v.name = c.name();
      uint32_t ndims = c.u32();
      if (ndims > 1024) c.bad = true;
      for (uint32_t k = 0; k < ndims && !c.bad; k++) {
        uint32_t id = c.u32();
        if (id >= out->dims.size()) c.bad = true;
        v.dims.push_back(id);
      }
      if (!read_attributes(c, &v.attributes)) c.bad = true;
      v.type = (int)c.u32();
      v.vsize = c.u32();
      v.begin = version == 1 ? c.u32() : c.u64();
      out->vars.push_back(v);
    }
  } else if (tag != 0 || n != 0) {
    *error = c.bad ? kTruncated : "damaged variable list";
    return false;
  }
  if (c.bad) {
    *error = kTruncated;
    return false;
  }
  return true;
}

const CdfVar* cdf_find_var(const CdfFile& f, const char* name) {
  for (const CdfVar& v : f.vars)
    if (v.name == name) return &v;
  return nullptr;
}

bool cdf_check_var(const CdfFile& f, const CdfVar* var, const char* name, int type,
                   const std::vector<std::pair<std::string, uint32_t>>& shape, uint64_t file_size,
                   std::string* error) {
  std::string what = std::string("variable ") + name;
  if (!var) {
    *error = "no " + what;
    return false;
  }
  if (var->type != type) {
    *error = what + " has type " + std::to_string(var->type) + ", expected " + std::to_string(type);
    return false;
  }
  if (var->dims.size() != shape.size()) {
    *error = what + " has " + std::to_string(var->dims.size()) + " dimensions, expected " +
             std::to_string(shape.size());
    return false;
  }
  uint64_t count = 1;
  for (size_t i = 0; i < shape.size(); i++) {
    const CdfDim& d = f.dims[var->dims[i]];
    if (d.name != shape[i].first || d.length != shape[i].second) {
      *error = what + " dimension " + std::to_string(i) + " is " + d.name + "(" +
               std::to_string(d.length) + "), expected " + shape[i].first + "(" +
               std::to_string(shape[i].second) + ")";
      return false;
    }
    count *= d.length;
  }
  for (const std::string& a : var->attributes)
    if (a == "scale_factor" || a == "add_offset") {
      *error = what + " is packed (" + a + ")";
      return false;
    }
  uint64_t bytes = count * (uint64_t)type_size(type);
  if (var->begin > file_size || bytes > file_size - var->begin) {
    *error = what + " runs past the end of the file (truncated)";
    return false;
  }
  return true;
}

float cdf_float_at(const std::vector<unsigned char>& b, uint64_t begin, uint64_t index) {
  const unsigned char* p = &b[begin + 4 * index];
  uint32_t u = (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
  float v;
  memcpy(&v, &u, 4);
  return v;
}

double cdf_double_at(const std::vector<unsigned char>& b, uint64_t begin, uint64_t index) {
  const unsigned char* p = &b[begin + 8 * index];
  uint64_t u = 0;
  for (int i = 0; i < 8; i++) u = u << 8 | p[i];
  double v;
  memcpy(&v, &u, 8);
  return v;
}
