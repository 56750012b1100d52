#!/usr/bin/env python3
"""Reads a PNG file with nothing but zlib and struct, independently of Qt.

Checks the signature, every chunk's CRC, the header, that nothing follows the
IEND chunk, and that the image data inflates to exactly one filtered scanline
per row. Prints the width, the height and the first pixel's red, green, blue
and alpha, space-separated; exits 1 with a reason on standard error for
anything else.
"""
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}


def fail(reason):
    sys.stderr.write(reason + "\n")
    sys.exit(1)


def main(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("not a PNG signature")
    pos, header, idat, ended = 8, None, b"", False
    while pos < len(data):
        if pos + 8 > len(data):
            fail("truncated chunk header")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = data[pos + 8 + length:pos + 12 + length]
        if len(body) != length or len(crc) != 4:
            fail("truncated chunk")
        if zlib.crc32(kind + body) & 0xFFFFFFFF != struct.unpack(">I", crc)[0]:
            fail("bad CRC in " + kind.decode("latin-1"))
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            ended = True
            if pos + 12 + length != len(data):
                fail("additional data after IEND chunk")
            break
        pos += 12 + length
    if header is None or not ended:
        fail("missing IHDR or IEND")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in CHANNELS or interlace != 0:
        fail("unexpected format %r" % (header,))
    channels = CHANNELS[colour]
    stride = width * channels
    raw = zlib.decompress(idat)
    if len(raw) != height * (stride + 1):
        fail("image data holds %d bytes, not %d" % (len(raw), height * (stride + 1)))
    if any(raw[row * (stride + 1)] > 4 for row in range(height)):
        fail("unknown scanline filter")
    # The first row alone: its filters can refer only to the row itself.
    kind, line = raw[0], bytearray(raw[1:1 + stride])
    for i in range(stride):
        left = line[i - channels] if i >= channels else 0
        if kind in (1, 4):  # Sub; Paeth with no row above predicts the left byte
            line[i] = (line[i] + left) & 0xFF
        elif kind == 3:  # Average with no row above
            line[i] = (line[i] + left // 2) & 0xFF
    pixel = list(line[:channels])
    if channels < 3:
        pixel = [pixel[0]] * 3 + pixel[1:]
    if len(pixel) == 3:
        pixel.append(255)
    print(width, height, *pixel)


if __name__ == "__main__":
    main(sys.argv[1])
