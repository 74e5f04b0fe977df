# Debian packages the build, the tests and the viewer need; sourced by run.sh and test.sh.
# Installs what is missing (as root, or through sudo), and nothing when all are present.
SUNCALC_PACKAGES="
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libfltk1.3-dev libjpeg62-turbo-dev libjpeg-turbo-progs zlib1g-dev libzip-dev liberfa-dev libcurl4-gnutls-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  seabios console-data ferret-datasets xplanet-images xplanet marble-qt-data
  xvfb xauth x11-apps x11-utils xdotool imagemagick netpbm giflib-tools libgif-dev
  python3 python3-ephem python3-pil python3-numpy python3-periodictable libimage-exiftool-perl
  netcdf-bin admesh libadmesh-dev python3-stl openbabel gdal-bin
  freesasa mustang-testdata python3-biopython
  golang-1.19-src libsdl2-image-tests libpython3.11-testsuite macutils x11-common
"

suncalc_install_deps() {
  local missing=""
  for p in $SUNCALC_PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
      missing="$missing $p"
    fi
  done
  [ -z "$missing" ] && return 0
  echo "installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# Configures and builds one build tree: [CC=.. CXX=..] suncalc_build <dir> [cmake options...]
# The options and compilers a tree was configured with are kept in it; when a later call gives
# others, the tree is configured again from them alone, its cache dropped (the cache would hold
# on to an option no longer given, and to the old compilers), so what the call says is what gets
# built. The objects stay: only what the new options change is compiled again. A tree already
# configured the same way is only built.
suncalc_build() {
  local dir=$1
  shift
  local stamp="$dir/suncalc_build.options" want
  want=$(printf 'CC=%s\nCXX=%s\n' "${CC:-}" "${CXX:-}"; printf '%s\n' "$@")
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    rm -f "$stamp" "$dir/CMakeCache.txt"
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null || return 1
    printf '%s\n' "$want" >"$stamp"
  fi
  cmake --build "$dir"
}
