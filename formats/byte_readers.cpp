#include "formats/byte_readers.h"

#include "formats/reader.h"

int get_int2(int64_t pos) {
  Cursor c = file_cursor(pos);
  return (int)c.le16();
}

int get_int4(int64_t pos) {
  Cursor c = file_cursor(pos);
  return (int)c.le32();
}

int get_int2o(int64_t pos) {
  Cursor c = file_cursor(pos);
  return (int)c.be16();
}

int get_int4o(int64_t pos) {
  Cursor c = file_cursor(pos);
  return (int)c.be32();
}
