# Zip archives for the zip adapter tests, written by Python's zipfile: entry 0 stored and deflated,
# two entries, none, a damaged entry and a directory that declares less than the entry holds.
import sys, zipfile, struct, os
d = sys.argv[1]
data = bytes((i * 7) & 0xFF for i in range(5000))
def make(name, comp, entries):
    with zipfile.ZipFile(os.path.join(d, name), 'w', comp) as z:
        for n, b in entries:
            z.writestr(n, b)
make('stored.zip', zipfile.ZIP_STORED, [('a.bin', data)])
make('deflated.zip', zipfile.ZIP_DEFLATED, [('a.bin', data)])
make('two.zip', zipfile.ZIP_DEFLATED, [('first.bin', data), ('second.bin', b'xyz')])
make('empty.zip', zipfile.ZIP_STORED, [])
b = bytearray(open(os.path.join(d, 'stored.zip'), 'rb').read())
off = 30 + len('a.bin')
b[off + 100] ^= 0xFF
open(os.path.join(d, 'bad_crc.zip'), 'wb').write(b)
b = bytearray(open(os.path.join(d, 'stored.zip'), 'rb').read())
cd = b.rfind(b'PK\x01\x02')
struct.pack_into('<I', b, cd + 24, 4000)
open(os.path.join(d, 'short_declared.zip'), 'wb').write(b)
