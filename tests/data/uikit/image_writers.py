"""Tiny PNG and 32-bit BMP writers for the test images of the UI tests."""
import struct
import zlib


def png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a)"""
    raw = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
    open(name, 'wb').write(data)


def bmp32(name, width, height, pixel):
    rows = b''.join(b''.join(bytes((b, g, r, a)) for (r, g, b, a) in (pixel(x, y) for x in range(width)))
                    for y in reversed(range(height)))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, len(rows), 2835, 2835, 0, 0)
    open(name, 'wb').write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(rows), 0, 0, 54) + header + rows)
