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
# apt's package lists may have been cleaned since the last install (as Debian's images do), or a
# mirror may have failed for a moment: they are renewed once (as root, or through sudo) before a
# package is given up.
updated=0
renew_lists() {
  [ "$updated" -eq 1 ] && return 0
  updated=1
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo -n"
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=120 >/dev/null 2>&1 || true
}
fetch() { (cd "$work" && apt-get download -qq "$pkg" >/dev/null 2>&1); }
for pkg in "$@"; do
  [ -f "$dest/.$pkg.unpacked" ] && continue
  work=$(mktemp -d "${TMPDIR:-/tmp}/debfix.XXXXXX")
  # apt's download user must be able to write where the package lands.
  chmod 777 "$work"
  fetch || { renew_lists && fetch; } || {
    echo "cannot fetch $pkg" >&2
    rm -rf "$work"
    exit 1
  }
  dpkg -x "$work"/*.deb "$dest"
  rm -rf "$work"
  touch "$dest/.$pkg.unpacked"
done
