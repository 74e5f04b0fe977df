// The query printer: the requests an outside elevation web service would answer (in XML) with the
// 76 x 5 samples of five rows of a fifteen-degree tile.
#include <cstdio>

#include "earth/elevation.h"

namespace {
// A placeholder of the service's shape; the query key comes last.
const char kService[] = "http://elevation.invalid/api/v1/lookup.xml?locations=";
}  // namespace

void print_elev_cmd(double lat, double lon) {
  printf("======");
  printf("\nbreite: %.1f\n", lat);
  printf("\n");
  for (int r = 0; r < 5; r++) {
    double la = lat + 0.2 * r;
    printf("\n%s", kService);
    for (int k = 0; k <= 75; k++) {
      double lo = lon + k / 5.0;
      if (k > 0) printf("|");
      if (lo == 180)
        printf("%.1f,%.2f", la, 179.9);
      else
        printf("%.1f,%.1f", la, lo >= 180 ? lo - 360 : lo);
    }
  }
  printf("\n");
}
