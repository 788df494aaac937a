"""Writes a latitude-longitude Radiance HDR map that is black but for one bright pixel: a small sun.

    python3 sun_map.py OUT.hdr

Both renderers light the scene with it; the objects' shadows must then fall
in the same place in both, which they do only when both read the map with
the same direction mapping. The sun stands 45 degrees high, to the right of
and behind the scene as the camera sees it, so a map read mirrored, turned or
upside down moves the shadows to another part of the ground.
"""

import math
import sys

WIDTH, HEIGHT = 256, 128
# Row counted from the bottom (straight down) and column of the sun's pixel.
SUN_ROW, SUN_COLUMN = 96, 21
SUN_RADIANCE = 7000.0  # about the irradiance of a bright overcast sky on a surface facing the pixel


def rgbe(value):
    """Radiance's shared-exponent bytes for a grey value."""
    if value <= 1e-32:
        return bytes(4)
    mantissa, exponent = math.frexp(value)
    byte = int(mantissa * 256.0)
    return bytes((byte, byte, byte, exponent + 128))


def write_map(path):
    header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n" % (HEIGHT, WIDTH)
    black, sun = rgbe(0.0), rgbe(SUN_RADIANCE)
    with open(path, "wb") as f:
        f.write(header.encode("ascii"))
        # Flat scanlines, top row first as "-Y" says.
        for row in reversed(range(HEIGHT)):
            f.write(b"".join(sun if (row, column) == (SUN_ROW, SUN_COLUMN) else black for column in range(WIDTH)))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: sun_map.py OUT.hdr")
    write_map(sys.argv[1])
