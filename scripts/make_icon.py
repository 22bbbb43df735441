#!/usr/bin/env python3
"""Draws Tovanel's 32x32, 16-colour icon (a page with a name on it and an
arrow sending it on) and writes it as app/Tovanel.ico."""
import struct
import sys

# The standard 16-colour palette (BGR0 order in the file).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
    (255, 255, 255),
]
BLACK, DGREY, LGREY, WHITE, BLUE, DBLUE, GREEN, DGREEN = 0, 8, 7, 15, 12, 4, 10, 2
N = 32
px = [[None] * N for _ in range(N)]  # None = transparent


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[y][x] = c


# The page, with its top right corner folded.
rect(5, 2, 22, 29, WHITE)
for y in range(2, 30):
    px[y][5] = BLACK
    px[y][22] = BLACK
for x in range(5, 23):
    px[29][x] = BLACK
    px[2][x] = BLACK
for i in range(7):
    for x in range(22 - 6 + i, 23):
        px[2 + i][x] = None
    px[2 + i][16 + i] = BLACK
    px[8][16 + i] = BLACK
    for x in range(16, 16 + i):
        px[2 + i][x] = LGREY if px[2 + i][x] is not None else None
px[8][22] = BLACK
for y in range(2, 9):
    px[y][16] = BLACK
# A name written on it.
for y in (12, 16, 20):
    rect(8, y, 18, y + 1, BLUE)
rect(8, 24, 13, 25, DBLUE)
# The arrow that sends it on.
rect(17, 21, 24, 25, GREEN)
for i in range(6):
    for y in range(23 - 5 + i, 23 + 6 - i):
        px[y][25 + i] = GREEN
for y in range(18, 29):
    for x in range(16, 31):
        if px[y][x] == GREEN:
            for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)):
                xx, yy = x + dx, y + dy
                if 0 <= xx < N and 0 <= yy < N and px[yy][xx] != GREEN and yy >= 17:
                    if px[yy][xx] in (None, WHITE, BLACK, BLUE, DBLUE):
                        px[yy][xx] = DGREEN

# Bitmap rows go bottom-up: 4-bit colour rows, then the 1-bit AND mask.
xor = bytearray()
for y in reversed(range(N)):
    row = [px[y][x] if px[y][x] is not None else 0 for x in range(N)]
    xor += bytes((row[x] << 4) | row[x + 1] for x in range(0, N, 2))
mask = bytearray()
for y in reversed(range(N)):
    bits = 0
    for x in range(N):
        bits = (bits << 1) | (1 if px[y][x] is None else 0)
    mask += bits.to_bytes(4, "big")
header = struct.pack("<IiiHHIIiiII", 40, N, 2 * N, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
image = header + palette + bytes(xor) + bytes(mask)
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", N, N, 16, 0, 1, 4, len(image), 22) + image
out = sys.argv[1] if len(sys.argv) > 1 else "app/Tovanel.ico"
with open(out, "wb") as f:
    f.write(ico)
