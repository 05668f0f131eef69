#!/usr/bin/env bash
# Kolvex.exe must run on a bare Windows: a 32-bit GUI program whose imports are system DLLs only, with the
# optional libraries (GDI+, WinINet, msimg32, imm32) and the ones start-up does not need (comdlg32, crypt32)
# never linked, no debug information in the image, and no resources but its icon.
set -euo pipefail
exe=${1:?usage: exe_image_test.sh Kolvex.exe}
exec python3 - "$exe" <<'PY'
import struct, sys

data = open(sys.argv[1], 'rb').read()
def fail(msg):
    print('FAIL:', msg); sys.exit(1)

pe = struct.unpack_from('<I', data, 0x3C)[0]
if data[pe:pe + 4] != b'PE\0\0': fail('not a PE file')
machine, nsections, _, _, _, optsize, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
if machine != 0x14C: fail('not a 32-bit x86 program: machine %#x' % machine)
opt = pe + 24
if struct.unpack_from('<H', data, opt)[0] != 0x10B: fail('not a PE32 optional header')
if struct.unpack_from('<H', data, opt + 68)[0] != 2: fail('not a GUI subsystem program')
dirs = opt + 96
sections = [struct.unpack_from('<8sIIII', data, opt + optsize + 40 * i) for i in range(nsections)]
def offset(rva):
    for _, vsize, vaddr, rawsize, rawptr in sections:
        if vaddr <= rva < vaddr + max(vsize, rawsize): return rawptr + rva - vaddr
    fail('rva %#x outside every section' % rva)
def cstr(off): return data[off:data.index(b'\0', off)].decode()

imports = []
rva = struct.unpack_from('<I', data, dirs + 8)[0]
off = offset(rva)
while True:
    name_rva = struct.unpack_from('<I', data, off + 12)[0]
    if name_rva == 0: break
    imports.append(cstr(offset(name_rva)).lower())
    off += 20
allowed = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'comctl32.dll', 'shell32.dll', 'ole32.dll', 'advapi32.dll',
           'msvcrt.dll'}
print('imports:', ' '.join(imports))
for dll in imports:
    if dll not in allowed: fail('imports %s, which is not a DLL every Windows has or is loaded at run time' % dll)

symbols, nsymbols = struct.unpack_from('<II', data, pe + 12)
def section_name(raw):
    n = raw.rstrip(b'\0').decode()
    # A long name stands in the COFF string table, after the symbols, as "/<offset>".
    if n.startswith('/') and symbols: return cstr(symbols + 18 * nsymbols + int(n[1:]))
    return n
names = [section_name(n) for n, *_ in sections]
print('sections:', ' '.join(names))
if any(n.startswith('.debug') for n in names): fail('debug information in the image')

res_rva = struct.unpack_from('<I', data, dirs + 16)[0]
if not res_rva: fail('no resources: the icon is missing')
base = offset(res_rva)
def entries(off):
    named, ids = struct.unpack_from('<HH', data, off + 12)
    return [struct.unpack_from('<II', data, off + 16 + 8 * i) for i in range(named + ids)]
types = {}
for name, target in entries(base):
    if name & 0x80000000: fail('a named resource type')
    types[name] = [n for n, _ in entries(base + (target & 0x7FFFFFFF))]
print('resource types:', sorted(types))
if set(types) != {3, 14}: fail('resources other than the icon: types %s' % sorted(types))
if types[14] != [1]: fail('the icon group is not resource 1: %s' % types[14])
group_dir = base + (entries(base + (dict(entries(base))[14] & 0x7FFFFFFF))[0][1] & 0x7FFFFFFF)
lang_entry = entries(group_dir)[0][1]
data_rva, size = struct.unpack_from('<II', data, base + lang_entry)
g = offset(data_rva)
count = struct.unpack_from('<H', data, g + 4)[0]
sizes = sorted(data[g + 6 + 14 * i] for i in range(count))
print('icon sizes:', sizes)
if sizes != [16, 32]: fail('the icon group should hold 16- and 32-pixel images, has %s' % sizes)
print('PASS')
PY
