#!/bin/sh
# Terrain tiles for the tests, made by tools nobody here wrote. Usage: terrain_fixtures.sh <dir> <set>
#   real:  N57E011.hgt unpacked from the committed archive, and the archive itself
#   etopo: three-arc-second tiles gdal makes from ETOPO5 (ferret-datasets): relief at 46-47 N
#          7-8 E (N46E007.hgt) and land below sea level at 31-32 N 35-36 E (N31E035.hgt, also zipped)
#   s1:    N57E011 resampled by gdal to 3601 x 3601 (s1/N57E011.hgt), and zipped (under 1 MB)
#   dem:   a thirty-arc-second tile E020N40.DEM (20-60 E, 10 S-40 N) from ETOPO5, the sea as
#          -9999, with the .HDR through which gdal reads it
set -e
dir=$1
set_name=$2
src=$(cd "$(dirname "$0")/../.." && pwd)
etopo=${SUNCALC_SHARE:-/usr/share}/ferret-vis/data/etopo5.cdf
py=/usr/bin/python3
mkdir -p "$dir"
cd "$dir"

zip_one() {  # zip_one <archive> <file>: one deflated entry under the file's base name
  "$py" - "$1" "$2" <<'PY'
import sys, zipfile, os
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.write(sys.argv[2], os.path.basename(sys.argv[2]))
PY
}

# One-degree tile of ETOPO5 with its south-west corner at (lat, lon), as gdal writes SRTM tiles.
etopo_tile() {  # etopo_tile <name> <lat> <lon>
  gdal_translate -q -of SRTMHGT -ot Int16 -r bilinear -outsize 1201 1201 -a_srs EPSG:4326 \
    $(awk -v lat="$2" -v lon="$3" 'BEGIN { h = 0.5 / 1200; printf "-projwin %.12f %.12f %.12f %.12f",
      lon - h, lat + 1 + h, lon + 1 + h, lat - h }') "$etopo" "$1" 2>/dev/null
}

case $set_name in
real)
  cp "$src/tests/data/N57E011.hgt.zip" .
  "$py" -c "import zipfile; zipfile.ZipFile('N57E011.hgt.zip').extractall('.')"
  ;;
etopo)
  etopo_tile N46E007.hgt 46 7
  etopo_tile N31E035.hgt 31 35
  zip_one N31E035.hgt.zip N31E035.hgt
  ;;
s1)
  mkdir -p s1
  "$py" -c "import zipfile; zipfile.ZipFile('$src/tests/data/N57E011.hgt.zip').extractall('s1/src')"
  gdal_translate -q -of SRTMHGT -r bilinear -outsize 3601 3601 s1/src/N57E011.hgt s1/N57E011.hgt 2>/dev/null
  (cd s1 && zip_one N57E011.hgt.zip N57E011.hgt && rm -rf src)
  ;;
dem)
  gdal_translate -q -of EHdr -ot Int16 -r bilinear -outsize 4800 6000 \
    -projwin 20 40 60 -10 "$etopo" dem.bil 2>/dev/null
  "$py" - <<'PY'
import numpy as np
a = np.fromfile('dem.bil', '<i2').reshape(6000, 4800)
a = np.where(a < 0, -9999, a).astype('>i2')
a.tofile('E020N40.DEM')
with open('E020N40.HDR', 'w') as f:
    f.write('BYTEORDER M\nLAYOUT BIL\nNROWS 6000\nNCOLS 4800\nNBANDS 1\nNBITS 16\n'
            'BANDROWBYTES 9600\nTOTALROWBYTES 9600\nBANDGAPBYTES 0\nNODATA -9999\n'
            'ULXMAP 20.00416666666667\nULYMAP 39.99583333333333\n'
            'XDIM 0.00833333333333\nYDIM 0.00833333333333\n')
PY
  rm -f dem.bil dem.hdr dem.prj dem.bil.aux.xml
  ;;
*)
  echo "unknown set $set_name" >&2
  exit 1
  ;;
esac
