#!/usr/bin/env bash
# Writes the ICC marker fuzzer's seed corpus (fuzz/corpus/jpeg_icc/): an 8 x 8 JPEG from Debian's
# cjpeg with sets of APP2 segments put after its start marker: a profile in one chunk, one in
# three chunks out of order, one among foreign APP2 segments, and chunks whose counts disagree.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/jpeg_icc
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 -c "
import sys
px = b''.join(bytes((x * 30, y * 30, 90)) for y in range(8) for x in range(8))
sys.stdout.buffer.write(b'P6 8 8 255\n' + px)" > "$tmp/p.ppm"
cjpeg -quality 50 "$tmp/p.ppm" > "$tmp/base.jpg"
/usr/bin/python3 - "$tmp/base.jpg" "$out" <<'PY'
import sys
base = open(sys.argv[1], "rb").read()
out = sys.argv[2]

def app2(seq, count, data, ident=b"ICC_PROFILE\0"):
    payload = ident + bytes((seq, count)) + data
    return b"\xff\xe2" + (len(payload) + 2).to_bytes(2, "big") + payload

def write(name, segments):
    open("%s/%s.jpg" % (out, name), "wb").write(base[:2] + b"".join(segments) + base[2:])

write("one_chunk", [app2(1, 1, bytes(range(40)))])
write("three_chunks", [app2(3, 3, b"ccc"), app2(1, 3, b"aaaa"), app2(2, 3, b"bb")])
write("foreign", [app2(1, 1, b"xx", b"FPXR\0\0\0\0\0\0\0\0"), app2(1, 2, b"12"), app2(2, 2, b"34")])
write("counts_differ", [app2(1, 2, b"12"), app2(2, 3, b"34")])
PY
