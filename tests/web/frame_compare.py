"""The page's frame against plumo-capture's, in the 5/6/5 levels both were
drawn in.

The tolerance comes from measurement. The same page run on llvmpipe (Chromium
with ANGLE on Mesa's GL ES, page_test.py --renderer llvmpipe) gives
plumo-capture's frames pixel for pixel (of frames 60, 120, 300, 540, 720,
900, 1000, 1200, 1320 and 1439, one pixel differs, by a neighbour's
colour), so what differs on SwiftShader is SwiftShader's rasteriser, not the
page. Over the same ten frames on SwiftShader:

- colour: llvmpipe rounds some colours down where SwiftShader rounds to the
  nearest 5/6/5 level (column 11's blue, 0.275 x 31 = 8.53, is level 8 on
  llvmpipe and 9 on SwiftShader), so a channel may be one level apart (8538
  to 17006 grid pixels a frame);
- edges: the two place the pixels along a triangle's edge differently, so an
  edge pixel may take the colour of a neighbour (130 to 163 pixels a frame,
  each within one level of one of its eight neighbours in the capture);
- slivers: a triangle thinner than a pixel may light a pixel in one and none
  nearby in the other (0 to 2 pixels a frame).

So every grid pixel must be within one level per channel of the capture's;
at most 0.5% of the frame (nine times the most measured), which a picture
moved by even one pixel exceeds, may instead be within one level of one of
its eight neighbours there; and at most 20 pixels (ten times the most
measured) may be neither. The
caption, drawn with glBitmap, must be identical."""

import subprocess

WHITE = (31, 63, 31)
MAX_SLIVER_PIXELS = 20


def to565(r, g, b):
    # Either way 8-bit values were expanded from 5/6/5 (bit replication or
    # rounding), rounding back gives the level they came from.
    return (round(r * 31 / 255), round(g * 63 / 255), round(b * 31 / 255))


class Frame:
    """An RGB picture, 8 bits a channel, top row first."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def crop(self, left, top, width, height):
        rows = [self.rgb[3 * ((top + y) * self.width + left):3 * ((top + y) * self.width + left +
                                                                  width)] for y in range(height)]
        return Frame(width, height, b"".join(rows))

    def bounds(self, test):
        """[left, top, right, bottom) of the pixels that pass `test`, or None."""
        points = [(x, y) for y in range(self.height) for x in range(self.width)
                  if test(self.pixel(x, y))]
        if not points:
            return None
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        return [min(xs), min(ys), max(xs) + 1, max(ys) + 1]

    def levels(self):
        return [to565(*self.rgb[i:i + 3]) for i in range(0, len(self.rgb), 3)]

    def save(self, path):
        subprocess.run(["convert", "-size", f"{self.width}x{self.height}", "-depth", "8",
                        "rgb:-", path], input=self.rgb, check=True)


def fit(picture_w, picture_h, canvas_w, canvas_h):
    """The rectangle SwapBuffers fits the picture into, top-left origin."""
    if canvas_w * picture_h <= canvas_h * picture_w:
        w, h = canvas_w, (canvas_w * picture_h + picture_w // 2) // picture_w
    else:
        w, h = (canvas_h * picture_w + picture_h // 2) // picture_h, canvas_h
    return (canvas_w - w) // 2, (canvas_h - h) // 2, w, h


def _close(a, b):
    return all(abs(x - y) <= 1 for x, y in zip(a, b))


class Report:
    def __init__(self, size):
        self.size = size
        self.caption_pixels = 0
        self.caption_mismatches = 0
        self.exact = 0
        self.one_level = 0
        self.from_neighbour = 0
        self.beyond = []  # (x, y, page, capture)

    def within_tolerance(self):
        return self.from_neighbour <= self.size // 200 and len(self.beyond) <= MAX_SLIVER_PIXELS

    def summary(self):
        return (f"caption pixels {self.caption_pixels}, mismatched {self.caption_mismatches}; "
                f"grid pixels exact {self.exact}, one level apart {self.one_level}, "
                f"a neighbour's colour {self.from_neighbour} (at most {self.size // 200}), "
                f"neither {len(self.beyond)} (at most {MAX_SLIVER_PIXELS}) {self.beyond[:5]}")


def compare_frames(page, capture):
    assert (page.width, page.height) == (capture.width, capture.height), "frame sizes differ"
    width, height = page.width, page.height
    got, want = page.levels(), capture.levels()
    report = Report(width * height)
    for y in range(height):
        for x in range(width):
            a, b = got[y * width + x], want[y * width + x]
            if a == WHITE or b == WHITE:
                report.caption_pixels += 1
                report.caption_mismatches += a != b
            elif a == b:
                report.exact += 1
            elif _close(a, b):
                report.one_level += 1
            elif any(_close(a, want[ny * width + nx])
                     for ny in range(max(0, y - 1), min(height, y + 2))
                     for nx in range(max(0, x - 1), min(width, x + 2))):
                report.from_neighbour += 1
            else:
                report.beyond.append((x, y, a, b))
    return report
