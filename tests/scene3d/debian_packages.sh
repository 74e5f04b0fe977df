#!/bin/sh
# Fetches Debian packages whose files serve as test fixtures and unpacks them into a folder,
# without installing them (their dependencies are of no use here). A package already unpacked
# there is not fetched again; concurrent callers wait for each other.
# usage: debian_packages.sh <folder> <package>...
set -eu
dest=$1
shift
mkdir -p "$dest"
exec 9>"$dest/.lock"
flock 9
for pkg in "$@"; do
  [ -f "$dest/.$pkg.unpacked" ] && continue
  work=$(mktemp -d "${TMPDIR:-/tmp}/debfix.XXXXXX")
  # apt's download user must be able to write where the package lands.
  chmod 777 "$work"
  (cd "$work" && apt-get download -qq "$pkg" >/dev/null 2>&1) || {
    echo "cannot fetch $pkg" >&2
    rm -rf "$work"
    exit 1
  }
  dpkg -x "$work"/*.deb "$dest"
  rm -rf "$work"
  touch "$dest/.$pkg.unpacked"
done
