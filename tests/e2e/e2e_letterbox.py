"""Where the demo's 640x480 picture lands on a larger screen or window, and
how to read it back: the fitted rectangle, the black bars around it, and the
picture sampled out of a screenshot through that rectangle."""

import collections
import math
import operator

from e2e_picture import HEIGHT, WIDTH

Rect = collections.namedtuple("Rect", "x y width height")

# Fewest lit screen pixels along the picture's top and bottom rows and its
# left column: the grid reaches those three edges in every frame of the cycle
# (the right edge is often black), so a picture placed a row or a column off
# leaves one of them dark.
EDGE_PIXELS = 4


def fitted(area, scale="fit"):
    """The rectangle the picture fills inside `area` (a Rect of the drawable):
    `fit` keeps the aspect ratio, `integer` takes the largest whole multiple
    (at least 1), `stretch` fills the area; centred either way."""
    if scale == "stretch":
        return area
    factor = min(area.width / WIDTH, area.height / HEIGHT)
    if scale == "integer":
        factor = max(1, math.floor(factor))
    width, height = round(WIDTH * factor), round(HEIGHT * factor)
    return Rect(area.x + (area.width - width) // 2, area.y + (area.height - height) // 2,
                width, height)


def _samples(start, length, count):
    """For each of `count` picture pixels, the screen pixel (of `length` from
    `start`) that holds its centre."""
    return [start + min(length - 1, int((i + 0.5) * length / count)) for i in range(count)]


class View:
    """A screenshot of `screen` (width, height), with the picture shown in
    `rect`. `smooth` says the picture was scaled with linear filtering: then
    a sample is only the picture's own colour where the picture is flat
    around it, and the samples at colour edges are blacked out."""

    def __init__(self, screen, rect, smooth):
        self.screen = screen
        self.rect = rect
        self.smooth = smooth and (rect.width, rect.height) != (WIDTH, HEIGHT)
        self.rows = _samples(rect.y, rect.height, HEIGHT)
        self.gather = operator.itemgetter(*[3 * x + channel
                                            for x in _samples(rect.x, rect.width, WIDTH)
                                            for channel in range(3)])

    def picture(self, data):
        """The 640x480 picture as raw RGB, and how many lit samples were
        blacked out as edges."""
        stride = 3 * self.screen[0]
        picture = b"".join(bytes(self.gather(data[y * stride:(y + 1) * stride]))
                           for y in self.rows)
        if not self.smooth:
            return picture, 0
        return _flat_only(picture)

    def bars(self, data, area=None):
        """Lit pixels outside the rectangle (within `area`, default the whole
        screen) and lit pixels along the picture's top row, bottom row and
        left column."""
        area = area or Rect(0, 0, *self.screen)
        stride = 3 * self.screen[0]
        r = self.rect
        lit_outside = 0
        for y in range(area.y, area.y + area.height):
            row = y * stride
            spans = ([(area.x, area.x + area.width)] if not r.y <= y < r.y + r.height
                     else [(area.x, r.x), (r.x + r.width, area.x + area.width)])
            for begin, end in spans:
                lit_outside += _lit(data, row + 3 * begin, row + 3 * end)
        top = _lit(data, r.y * stride + 3 * r.x, r.y * stride + 3 * (r.x + r.width))
        bottom_row = (r.y + r.height - 1) * stride
        bottom = _lit(data, bottom_row + 3 * r.x, bottom_row + 3 * (r.x + r.width))
        left = sum(1 for y in range(r.y, r.y + r.height)
                   if any(data[y * stride + 3 * r.x:y * stride + 3 * r.x + 3]))
        return lit_outside, (top, bottom, left)


def _lit(data, begin, end):
    """Pixels in data[begin:end] that are not black."""
    if data.count(0, begin, end) == end - begin:
        return 0
    return sum(1 for i in range(begin, end, 3) if any(data[i:i + 3]))


_NONZERO = bytes([0] + [255] * 255)
# Per pixel 0xFF where it has a neighbour to the left / above, 0 where not.
_HAS_LEFT = int.from_bytes(bytes([0] + [255] * (WIDTH - 1)) * HEIGHT, "big")
_HAS_ABOVE = int.from_bytes(bytes(WIDTH) + bytes([255]) * (WIDTH * (HEIGHT - 1)), "big")


def _flat_only(picture):
    """The picture with every pixel that differs from one of its four
    neighbours made black, and the count of lit pixels so removed. Works on
    each colour plane as one big integer, so it costs milliseconds."""
    n = WIDTH * HEIGHT
    everything = (1 << 8 * n) - 1
    values = [int.from_bytes(picture[channel::3], "big") for channel in range(3)]
    edge = 0
    for value in values:
        for shift, has_neighbour in ((8, _HAS_LEFT), (8 * WIDTH, _HAS_ABOVE)):
            # Byte k of `value >> shift` is pixel k's left (upper) neighbour.
            differs = int.from_bytes(
                ((value ^ (value >> shift)) & has_neighbour).to_bytes(n, "big")
                .translate(_NONZERO), "big")
            edge |= differs | ((differs << shift) & everything)
    kept = [value & (edge ^ everything) for value in values]
    out = bytearray(3 * n)
    for channel, value in enumerate(kept):
        out[channel::3] = value.to_bytes(n, "big")
    return bytes(out), _lit_count(values, n) - _lit_count(kept, n)


def lit_pixels(picture):
    """Pixels of a 640x480 picture that are not black."""
    n = WIDTH * HEIGHT
    return _lit_count([int.from_bytes(picture[channel::3], "big") for channel in range(3)], n)


def _lit_count(values, n):
    lit = values[0] | values[1] | values[2]
    return n - lit.to_bytes(n, "big").count(0)
