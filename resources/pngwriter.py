"""Minimal PNG encoder on the standard library alone: truecolour and palette images."""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filtered_rows(rows, bpp):
    """Each row with the filter that gives the smallest sum of magnitudes, the usual heuristic."""
    previous = bytes(len(rows[0]))
    for row in rows:
        candidates = []
        for kind in range(5):
            out = bytearray(len(row))
            for i, value in enumerate(row):
                left = row[i - bpp] if i >= bpp else 0
                up = previous[i]
                upleft = previous[i - bpp] if i >= bpp else 0
                predictor = (0, left, up, (left + up) // 2, _paeth(left, up, upleft))[kind]
                out[i] = (value - predictor) & 0xFF
            cost = sum(v if v < 128 else 256 - v for v in out)
            candidates.append((cost, kind, out))
        _, kind, out = min(candidates, key=lambda c: (c[0], c[1]))
        yield bytes([kind]) + bytes(out)
        previous = row


def _write(path, header, extra_chunks, rows, bpp):
    raw = b"".join(_filtered_rows(rows, bpp))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_chunk(b"IHDR", header))
        for kind, data in extra_chunks:
            f.write(_chunk(kind, data))
        f.write(_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(_chunk(b"IEND", b""))


def write_rgb(path, width, height, pixels):
    """pixels: row-major list of (r, g, b)."""
    rows = [bytes(c for p in pixels[y * width:(y + 1) * width] for c in p) for y in range(height)]
    _write(path, struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0), [], rows, 3)


def write_indexed(path, width, height, indices, palette, transparent_index=None):
    """indices: row-major palette indices; palette: list of (r, g, b), at most 256 entries."""
    plte = b"".join(bytes(c) for c in palette)
    chunks = [(b"PLTE", plte)]
    if transparent_index is not None:
        chunks.append((b"tRNS", bytes(0 if i == transparent_index else 255 for i in range(len(palette)))))
    rows = [bytes(indices[y * width:(y + 1) * width]) for y in range(height)]
    _write(path, struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0), chunks, rows, 1)
