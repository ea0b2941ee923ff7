#!/usr/bin/env python3
"""Writes the small images the UI tests draw; each has regions of known colours. Run from this folder."""
from image_writers import bmp32, png

RED, GREEN, BLUE, WHITE = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 255, 255)
YELLOW, CYAN, MAGENTA, BLACK = (255, 255, 0, 255), (0, 255, 255, 255), (255, 0, 255, 255), (0, 0, 0, 255)

# Four 20-pixel frames: red, green, blue, white.
png('strip4_80x10.png', 80, 10, lambda x, y: (RED, GREEN, BLUE, WHITE)[x // 20])

# 12 x 12 in nine regions (3-pixel borders), each its own colour.
NINE = [[(10, 0, 0, 255), (20, 0, 0, 255), (30, 0, 0, 255)],
        [(0, 40, 0, 255), (0, 50, 0, 255), (0, 60, 0, 255)],
        [(0, 0, 70, 255), (0, 0, 80, 255), (0, 0, 90, 255)]]
band = lambda v: 0 if v < 3 else (1 if v < 9 else 2)
png('nine_12x12.png', 12, 12, lambda x, y: NINE[band(y)][band(x)])

# Left column black, middle red then green, right column white: tiled or stretched middles differ.
png('tile_4x2.png', 4, 2, lambda x, y: (BLACK, RED, GREEN, WHITE)[x])

# Half-transparent red.
png('alpha_red_2x2.png', 2, 2, lambda x, y: (255, 0, 0, 128))

# Two 10-pixel frames (red, green) and the same drawn for rate 1.5 (30 x 15, frames of 15: blue, yellow).
png('dpi_base_20x10.png', 20, 10, lambda x, y: (RED, GREEN)[x // 10])
png('dpi_variant_30x15.png', 30, 15, lambda x, y: (BLUE, YELLOW)[x // 15])

# Bitmap strip for imglst: two 8-pixel frames (cyan, yellow), a magenta dot in each frame's corner.
bmp32('strip2_16x8.bmp', 16, 8, lambda x, y: MAGENTA if (x % 8, y) == (0, 0) else (CYAN, YELLOW)[x // 8])
# 9 x 9 frame image for imgframe: the stretch lines (row and column 4) green, everything else red.
def frame_pixel(x, y):
    return GREEN if x == 4 or y == 4 else RED


bmp32('frame_9x9.bmp', 9, 9, frame_pixel)
# Half-transparent bitmap (straight alpha) for imglst mode "alpha".
bmp32('alpha_blue_4x4.bmp', 4, 4, lambda x, y: (0, 0, 255, 128))
