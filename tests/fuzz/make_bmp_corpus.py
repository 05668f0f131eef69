#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_bmp_reader: small valid files of every layout and the hostile headers.

Run from anywhere; it rewrites tests/fuzz/corpus/fuzz_bmp_reader/ next to this script.
"""
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_bmp_reader"


def bmp(header_size=40, width=1, height=1, bits=24, colors_used=0, palette=(), pixels=b"", offset=None,
        compression=0, masks=()):
    core = header_size == 12
    if core:
        header = struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, 1, bits)
    else:
        header = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression, len(pixels), 0, 0,
                             colors_used, 0)
        # Bit fields follow a 40-byte header and lie inside the larger ones.
        fields = b"".join(struct.pack("<I", m) for m in masks)
        if header_size == 40:
            header += fields
        elif header_size <= 124:
            header += (fields + bytes(header_size))[: header_size - 40]
    table = b"".join(struct.pack("<I", c)[: 3 if core else 4] for c in palette)
    start = 14 + len(header) + len(table)
    if offset is None:
        offset = start
    gap = offset - start if start <= offset <= start + 4096 else 0  # hostile offsets get no gap
    body = header + table + bytes(gap) + pixels
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset & 0xFFFFFFFF) + body


def rows(*r):
    return b"".join(r)


SEEDS = {
    "valid_1bit_9x2.bmp": bmp(width=9, height=2, bits=1, palette=(0x102030, 0xA0B0C0),
                              pixels=rows(b"\x80\x80\0\0", b"\x55\0\0\0")),
    "valid_4bit_3x1.bmp": bmp(width=3, bits=4, palette=range(0, 16 * 0x0F0F0F, 0x0F0F0F), pixels=b"\x1e\x70\0\0"),
    "valid_8bit_core.bmp": bmp(header_size=12, width=2, bits=8, palette=(1, 2, 3), pixels=b"\x02\0\0\0"),
    "valid_8bit_v4_used2.bmp": bmp(header_size=108, width=3, bits=8, colors_used=2, palette=(0xFF, 0xFF00),
                                   pixels=b"\x01\x05\x00\0"),
    "valid_8bit_v5.bmp": bmp(header_size=124, width=2, height=2, bits=8, colors_used=2, palette=(0xFF, 0xFF00),
                             pixels=rows(b"\x01\x00\0\0", b"\x00\x01\0\0")),
    "valid_16bit_5x1.bmp": bmp(width=5, bits=16, pixels=struct.pack("<5H", 0x7C00, 0x03E0, 0x001F, 0xC210, 0xFFFF)
                               + b"\0\0"),
    "valid_24bit_3x2.bmp": bmp(width=3, height=2, pixels=rows(bytes(range(1, 10)) + bytes(3),
                                                              bytes(range(10, 19)) + bytes(3))),
    "valid_24bit_topdown.bmp": bmp(width=3, height=-2, pixels=rows(bytes(range(1, 10)) + bytes(3),
                                                                   bytes(range(10, 19)) + bytes(3))),
    "valid_32bit_3x1.bmp": bmp(width=3, bits=32, pixels=bytes((1, 2, 3, 0, 1, 2, 3, 0x80, 1, 2, 3, 0xFF))),
    "short_rows_24bit.bmp": bmp(width=2, height=3, pixels=bytes((1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9))),
    "rle8_escapes.bmp": bmp(width=5, height=3, bits=8, compression=1, colors_used=5,
                            palette=(0x336699, 0xFF0000, 0xFF00, 0xFF, 0),
                            pixels=bytes((3, 1, 0, 3, 1, 2, 9, 0, 0, 0, 1, 4, 0, 2, 2, 1, 2, 2, 0, 0, 0, 1))),
    "rle4_escapes.bmp": bmp(width=5, height=2, bits=4, compression=2, colors_used=5,
                            palette=(0x336699, 0xFF0000, 0xFF00, 0xFF, 0),
                            pixels=bytes((5, 0x12, 0, 0, 0, 5, 0x12, 0x34, 0x90, 0, 0, 1))),
    "rle8_run_past_row.bmp": bmp(width=3, bits=8, compression=1, palette=(1, 2), pixels=bytes((5, 1, 0, 1))),
    "bitfields_565.bmp": bmp(width=3, bits=16, compression=3, masks=(0xF800, 0x7E0, 0x1F),
                             pixels=struct.pack("<3H", 0xF800, 0x2084, 0xFFFF) + b"\0\0"),
    "bitfields_101010.bmp": bmp(width=2, bits=32, compression=3, masks=(0x3FF00000, 0xFFC00, 0x3FF),
                                pixels=struct.pack("<2I", 0x3FF80003, 0x1013FFFC)),
    "bitfields_v5_bgr.bmp": bmp(header_size=124, width=2, bits=32, compression=3,
                                masks=(0xFF00, 0xFF0000, 0xFF000000, 0xFF), pixels=struct.pack("<2I", 1, 2)),
    "hostile_width_0x40000001.bmp": bmp(width=0x40000001, height=4, pixels=bytes(16)),
    "hostile_wide_32bpp.bmp": bmp(width=0x08000000, bits=32, pixels=bytes(16)),
    "hostile_height_int_min.bmp": bmp(height=-(2**31), pixels=bytes(4)),
    "hostile_header_size_ffffffff.bmp": bmp(header_size=0xFFFFFFFF, pixels=bytes(4)),
    "hostile_header_size_0.bmp": bmp(header_size=0, pixels=bytes(4)),
    "hostile_colors_used_ffffffff.bmp": bmp(bits=8, colors_used=0xFFFFFFFF, pixels=bytes(4)),
    "hostile_offset_fffffff0.bmp": bmp(pixels=bytes(4), offset=0xFFFFFFF0),
}


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.glob("*.bmp"):
        old.unlink()
    for name, data in SEEDS.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
