#!/usr/bin/env python3
"""Writes the images of the dialog host tests; each is made of known colours. Run from this folder."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from image_writers import png  # noqa: E402

RED = (220, 20, 60, 255)
TEAL = (0, 128, 128, 255)
BLUE = (30, 60, 200, 255)
ORANGE = (255, 140, 0, 255)

# The picture of the `img` element: one crimson square.
png('img_crimson_16x16.png', 16, 16, lambda x, y: RED)
# The body background: teal, drawn stretched over the whole body.
png('bg_teal_8x8.png', 8, 8, lambda x, y: TEAL)
# The button: two 20-pixel frames, blue (normal) and orange (hovered).
png('btn_blue_orange_40x20.png', 40, 20, lambda x, y: BLUE if x < 20 else ORANGE)
# A shadow: opaque black corners of 4 x 4, grey middle row and column, 9 x 9 in all.
png('shadow_9x9.png', 9, 9, lambda x, y: (128, 128, 128, 255) if x == 4 or y == 4 else (0, 0, 0, 255))
