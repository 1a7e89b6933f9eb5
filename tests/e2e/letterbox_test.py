#!/usr/bin/env python3
"""The end-to-end cases' reading of a scaled picture, on screens made here:
the rectangles they expect, the picture read back through them, and the
faults the bars check is there to catch (a picture a row off, stretched),
and the check of the grid's columns against the camera."""

import operator
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_letterbox import EDGE_PIXELS, Rect, View, _flat_only, fitted, lit_pixels  # noqa: E402
from e2e_picture import (BLUE_BITS, BLUE_PER_COLUMN, EYE, GRID_CELLS, HEIGHT, RED,  # noqa: E402
                         RED_BITS, WIDTH, Camera, column_agreement, quantised)


def test_picture():
    """A picture with the grid's trait the bars check relies on (lit along
    its top, bottom and left edges) and many colour edges: diagonal bands."""
    pixels = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            band = (x + 2 * y) // 37 % 4
            pixels += bytes((0, 0, 0) if band == 3 and x > 8 else (50, 20 * band + 10, 8 * band))
    return bytes(pixels)


def shown(picture, screen, rect):
    """The screen a nearest-filtered scale of `picture` into `rect` gives,
    black elsewhere: each screen pixel shows the picture pixel under its
    centre, as GL samples it."""
    width, height = screen
    gather = operator.itemgetter(*[3 * int((x + 0.5) * WIDTH / rect.width) + channel
                                   for x in range(rect.width) for channel in range(3)])
    left, right = bytes(3 * rect.x), bytes(3 * (width - rect.x - rect.width))
    rows = [bytes(3 * width)] * rect.y
    for y in range(rect.height):
        source = int((y + 0.5) * HEIGHT / rect.height) * 3 * WIDTH
        rows.append(left + bytes(gather(picture[source:source + 3 * WIDTH])) + right)
    rows += [bytes(3 * width)] * (height - rect.y - rect.height)
    return b"".join(rows)


class FittedRectangle(unittest.TestCase):
    def test_the_screens_and_windows_of_the_cases(self):
        cases = {(1280, 1024): (0, 32, 1280, 960), (1000, 600): (100, 0, 800, 600),
                 (1280, 720): (160, 0, 960, 720), (1920, 1080): (240, 0, 1440, 1080),
                 (640, 480): (0, 0, 640, 480), (1024, 768): (0, 0, 1024, 768)}
        for (width, height), expected in cases.items():
            self.assertEqual(fitted(Rect(0, 0, width, height)), Rect(*expected))

    def test_inside_a_window_integer_and_stretch(self):
        area = Rect(50, 70, 1000, 600)
        self.assertEqual(fitted(area), Rect(150, 70, 800, 600))
        self.assertEqual(fitted(area, "integer"), Rect(230, 130, 640, 480))
        self.assertEqual(fitted(Rect(0, 0, 1920, 1080), "integer"), Rect(320, 60, 1280, 960))
        self.assertEqual(fitted(Rect(0, 0, 600, 400), "integer"), Rect(-20, -40, 640, 480))
        self.assertEqual(fitted(area, "stretch"), area)


class ReadBack(unittest.TestCase):
    picture = test_picture()

    def test_nearest_scales_read_back_exactly(self):
        for screen, rect in (((1280, 1024), Rect(0, 32, 1280, 960)),
                             ((1000, 600), Rect(100, 0, 800, 600)),
                             ((1280, 720), Rect(160, 0, 960, 720))):
            with self.subTest(screen=screen):
                view = View(screen, rect, smooth=False)
                data = shown(self.picture, screen, rect)
                picture, dropped = view.picture(data)
                self.assertTrue(picture == self.picture and dropped == 0)
                outside, edges = view.bars(data)
                self.assertEqual(outside, 0)
                self.assertGreaterEqual(min(edges), EDGE_PIXELS)

    def test_a_picture_a_row_or_a_column_off_fails_the_bars(self):
        def off(screen, rect, step):
            view = View(screen, rect, smooth=False)
            data = shown(self.picture, screen, rect)
            later = view.bars(bytes(step) + data[:-step])
            earlier = view.bars(data[step:] + bytes(step))
            return later, earlier

        down, up = off((1280, 1024), Rect(0, 32, 1280, 960), 3 * 1280)
        self.assertEqual(down[1][0], 0)  # the picture's top row is dark
        self.assertGreater(up[0], 0)  # its first row lies in the bar above
        right, left = off((1280, 720), Rect(160, 0, 960, 720), 3)
        self.assertEqual(right[1][2], 0)  # its left column is dark
        self.assertGreater(left[0], 0)

    def test_a_stretched_picture_fails_the_bars(self):
        screen = (1280, 1024)
        data = shown(self.picture, screen, Rect(0, 0, *screen))
        outside, _ = View(screen, Rect(0, 32, 1280, 960), smooth=False).bars(data)
        self.assertGreater(outside, 1280)

    def test_bars_are_counted_only_inside_the_area(self):
        screen, area = (1280, 1024), Rect(100, 100, 1000, 600)
        data = bytearray(shown(self.picture, screen, Rect(200, 100, 800, 600)))
        data[0:3] = b"\xff\xff\xff"  # the desktop outside the window
        view = View(screen, Rect(200, 100, 800, 600), smooth=False)
        self.assertEqual(view.bars(bytes(data), area)[0], 0)
        self.assertEqual(view.bars(bytes(data))[0], 1)


class FlatOnly(unittest.TestCase):
    def test_blended_edges_are_set_aside_and_flat_colours_kept(self):
        # Four flat quarters with a blended column and a blended row where
        # they meet, as linear filtering leaves the seams.
        def row(left, right):
            return left * 320 + b"\x28\x28\x28" + right * 319

        top, seam, bottom = (row(b"\x10\x20\x30", b"\x40\x30\x20"), b"\x28\x28\x28" * WIDTH,
                             row(b"\x50\x10\x10", b"\x10\x50\x10"))
        picture = top * 240 + seam + bottom * 239
        kept, dropped = _flat_only(picture)
        # The seams and the pixels either side of them: columns 319 to 321
        # and rows 239 to 241, but for the seams' crossing, as flat as its
        # four neighbours.
        self.assertEqual(dropped, 3 * HEIGHT + 3 * WIDTH - 9 - 1)
        self.assertEqual(lit_pixels(kept), WIDTH * HEIGHT - dropped)
        for x, y in ((0, 0), (318, 238), (322, 0), (639, 479), (0, 242), (639, 242)):
            at = 3 * (y * WIDTH + x)
            self.assertEqual(kept[at:at + 3], picture[at:at + 3], (x, y))
        for x, y in ((319, 0), (320, 100), (321, 479), (0, 239), (100, 240), (639, 241)):
            at = 3 * (y * WIDTH + x)
            self.assertEqual(kept[at:at + 3], b"\0\0\0", (x, y))


class ColumnAgreement(unittest.TestCase):
    """The projection check on a flat grid drawn here: each pixel the colour
    of the column its eye ray meets at z = 0."""

    @classmethod
    def setUpClass(cls):
        cls.camera = Camera()
        red = round(quantised(RED, RED_BITS))
        pixels = bytearray(3 * WIDTH * HEIGHT)
        for y in range(HEIGHT):
            for x in range(WIDTH):
                ray = cls.camera.ray(x, y)
                distance = -EYE[2] / ray[2]
                column, row = EYE[0] + distance * ray[0], EYE[1] + distance * ray[1]
                if 0 <= column < GRID_CELLS and 0 <= row < GRID_CELLS:
                    blue = round(quantised(BLUE_PER_COLUMN * int(column), BLUE_BITS))
                    pixels[3 * (y * WIDTH + x):3 * (y * WIDTH + x + 1)] = bytes((red, 40, blue))
        cls.picture = pixels

    def patched(self, colour):
        """The picture with its lit pixels of rows 300 to 339 in colour(r, g, b),
        and how many they are."""
        picture = bytearray(self.picture)
        count = 0
        for at in range(3 * 300 * WIDTH, 3 * 340 * WIDTH, 3):
            if any(picture[at:at + 3]):
                picture[at:at + 3] = bytes(colour(*picture[at:at + 3]))
                count += 1
        return bytes(picture), count

    def test_every_column_agrees_and_blends_with_black_are_not_judged(self):
        agree, total, outside = column_agreement(self.camera, self.picture)
        self.assertGreater(total, 0.2 * WIDTH * HEIGHT)
        self.assertEqual((agree, outside), (total, 0))
        # Linear filtering can leave the grid half mixed with black over a
        # flat patch: its blue names no column, and it is left out.
        halved, count = self.patched(lambda r, g, b: (r // 2, g // 2, b // 2))
        self.assertEqual(column_agreement(self.camera, halved), (total - count, total - count, 0))

    def test_the_blue_of_another_column_disagrees(self):
        shifted, count = self.patched(lambda r, g, b: (r, g, (b + 40) % 256))
        agree, total, _ = column_agreement(self.camera, shifted)
        self.assertGreater(total - agree, 0.5 * count)


if __name__ == "__main__":
    unittest.main()
