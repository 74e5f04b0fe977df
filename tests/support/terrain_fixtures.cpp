#include "support/terrain_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "support/image_fixtures.h"

std::string terrain_fixtures(const std::string& set) {
  static std::map<std::string, bool> made;
  const std::string dir = fixture("terrain");
  auto it = made.find(set);
  if (it == made.end()) {
    const char* src = getenv("SUNCALC_SOURCE_DIR");
    const std::string script =
        std::string(src && *src ? src : ".") + "/tests/support/terrain_fixtures.sh";
    it = made.emplace(set, sh("'" + script + "' '" + dir + "' " + set) == 0).first;
  }
  return it->second ? dir : "";
}

std::vector<int> gdal_values(const std::string& path, const std::vector<std::pair<int, int>>& at) {
  const std::string list = fixture("gdal_positions.txt");
  FILE* f = fopen(list.c_str(), "w");
  if (!f) return {};
  for (const auto& p : at) fprintf(f, "%d %d\n", p.first, p.second);
  fclose(f);
  const std::string out =
      sh_out("gdallocationinfo -valonly '" + path + "' < '" + list + "' 2>/dev/null");
  std::vector<int> values;
  const char* s = out.c_str();
  char* end;
  for (long v = strtol(s, &end, 10); end != s; v = strtol(s, &end, 10)) {
    values.push_back((int)v);
    s = end;
  }
  if (values.size() != at.size()) values.clear();
  return values;
}
