"""What the scene draws, in its own numbers, and how to read it back from a
screenshot of a 16-bit screen: caption masks, grid colours, and the camera's
projection to tell where each grid column can appear."""

import collections
import math
import re

WIDTH, HEIGHT = 640, 480
TITLE = "Plumo"

EYE = (10.0, 10.0, 10.0)
CENTER = (15.0, 15.0, 0.0)
UP = (0.0, 1.0, 0.0)
FOV_DEGREES = 45.0
GRID_CELLS = 20
MAX_LIFT = 1.0  # every corner is lifted by a sine or cosine
RED = 0.2
GREEN_AMPLITUDE = 0.3
BLUE_PER_COLUMN = 0.025
CAPTION_X = 0.35 * WIDTH  # raster position -0.3 in normalised coordinates
CAPTION_BASELINE_ROW = HEIGHT // 2  # 240 px above the bottom edge
FONT_PIXELS = 48
SLOT_SECONDS = 2.0
CAPTION_SLOTS = 12
CYCLE_SECONDS = SLOT_SECONDS * CAPTION_SLOTS

# A 16-bit screen keeps 5 bits of red and blue and 6 of green.
RED_BITS, GREEN_BITS, BLUE_BITS = 5, 6, 5
LEVEL_SLACK = 4  # 8-bit levels either side of a quantised value
WHITE_LEVEL = 250

_WHITE = bytes(1 if level >= WHITE_LEVEL else 0 for level in range(256))


class Shot:
    """One screenshot: when it was taken and its white (caption) pixels."""

    def __init__(self, index, path, data, start, end):
        self.index = index
        self.path = path
        self.start = start
        self.end = end
        self.lag = 0.0  # how long the frame it shows may trail the scene clock
        red, green, blue = data[0::3], data[1::3], data[2::3]
        # One byte per pixel, 1 where all three channels are white.
        self.mask = (int.from_bytes(red.translate(_WHITE), "big")
                     & int.from_bytes(green.translate(_WHITE), "big")
                     & int.from_bytes(blue.translate(_WHITE), "big"))
        self.white = self.mask.bit_count()

    def white_pixels(self):
        flags = self.mask.to_bytes(WIDTH * HEIGHT, "big")
        return [(m.start() % WIDTH, m.start() // WIDTH) for m in re.finditer(b"\x01", flags)]

    def pixels(self):
        with open(self.path, "rb") as shot:
            data = shot.read()
        return data


def mask_difference(a, b):
    """Share of the caption pixels of either mask that the other lacks."""
    union = (a.mask | b.mask).bit_count()
    return (a.mask ^ b.mask).bit_count() / union if union else 0.0


def quantised(value, bits):
    """The 8-bit level a colour component shows on the 16-bit screen."""
    top = (1 << bits) - 1
    level = round(min(max(value, 0.0), 1.0) * top)
    return level * 255.0 / top


class Camera:
    """gluPerspective and gluLookAt with the scene's numbers, and their inverse."""

    def __init__(self):
        def normal(v):
            length = math.sqrt(sum(c * c for c in v))
            return [c / length for c in v]

        def cross(a, b):
            return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                    a[0] * b[1] - a[1] * b[0]]

        self.forward = normal([c - e for c, e in zip(CENTER, EYE)])
        self.side = normal(cross(self.forward, UP))
        self.up = cross(self.side, self.forward)
        self.tan_half = math.tan(math.radians(FOV_DEGREES) / 2)
        self.aspect = WIDTH / HEIGHT

    def project(self, point):
        """Screen position (x right, y down, pixels) of a world point."""
        d = [p - e for p, e in zip(point, EYE)]
        along = sum(a * b for a, b in zip(d, self.forward))
        x = sum(a * b for a, b in zip(d, self.side)) / (along * self.tan_half * self.aspect)
        y = sum(a * b for a, b in zip(d, self.up)) / (along * self.tan_half)
        return (x + 1) * WIDTH / 2, HEIGHT - (y + 1) * HEIGHT / 2

    def ray(self, column, row):
        """Direction of the eye ray through the centre of a screen pixel."""
        x = ((column + 0.5) / WIDTH * 2 - 1) * self.tan_half * self.aspect
        y = ((HEIGHT - row - 0.5) / HEIGHT * 2 - 1) * self.tan_half
        return [f + x * s + y * u for f, s, u in zip(self.forward, self.side, self.up)]


def columns_showing(blue_level):
    """Grid columns whose blue shows as this 8-bit level (rounded or truncated)."""
    top = (1 << BLUE_BITS) - 1
    five_bit = round(blue_level * top / 255.0)
    return [col for col in range(GRID_CELLS)
            if five_bit in (round(BLUE_PER_COLUMN * col * top),
                            math.floor(BLUE_PER_COLUMN * col * top))]


def green_range(t_low, t_high):
    """Lowest and highest 8-bit green of the grid for scene times in a range."""
    samples = [t_low + (t_high - t_low) * i / 200 for i in range(201)]
    values = [quantised(GREEN_AMPLITUDE * max(0.0, math.sin(t)), GREEN_BITS) for t in samples]
    return min(values), max(values)


class GridColours:
    """The colours of one screenshot apart from black and the white caption."""

    def __init__(self, data):
        self.counts = collections.Counter(zip(data[0::3], data[1::3], data[2::3]))
        self.counts.pop((0, 0, 0), None)
        for colour in [c for c in self.counts if min(c) >= WHITE_LEVEL]:
            del self.counts[colour]
        self.total = sum(self.counts.values())

    def share(self, predicate):
        return sum(n for c, n in self.counts.items() if predicate(c)) / max(self.total, 1)

    def dominant_green(self):
        greens = collections.Counter()
        for (_, green, _), n in self.counts.items():
            greens[green] += n
        return greens.most_common(1)[0][0] if greens else None


def column_agreement(camera, data):
    """How many grid pixels show a blue whose column can be seen along their ray.

    A pixel of column c lies on a triangle with x in [c, c+1] and z within the
    lift; following its ray to z = 0 moves x by at most |dx/dz| * lift.

    Only pixels of the grid's own red are judged: through linear filtering a
    pixel can mix the grid with a black gap or the caption over a flat patch
    of screen that the edge filter keeps, and its blue, mixed as well, names
    no column. The red-share check bounds how many such pixels there are.
    """
    agree = total = outside = 0
    columns_of = {}
    grid_red = quantised(RED, RED_BITS)
    for row in range(HEIGHT):
        base = row * WIDTH * 3
        for column in range(WIDTH):
            i = base + column * 3
            red, green, blue = data[i], data[i + 1], data[i + 2]
            if ((red | green | blue) == 0 or min(red, green, blue) >= WHITE_LEVEL
                    or abs(red - grid_red) > LEVEL_SLACK):
                continue
            total += 1
            ray = camera.ray(column, row)
            if ray[2] >= 0:
                outside += 1
                continue
            distance = -EYE[2] / ray[2]
            x0 = EYE[0] + distance * ray[0]
            y0 = EYE[1] + distance * ray[1]
            slack_x = abs(ray[0] / ray[2]) * MAX_LIFT + 0.02
            slack_y = abs(ray[1] / ray[2]) * MAX_LIFT + 0.02
            if not -slack_y <= y0 <= GRID_CELLS + slack_y:
                outside += 1
                continue
            if blue not in columns_of:
                columns_of[blue] = columns_showing(blue)
            if any(c - slack_x <= x0 <= c + 1 + slack_x for c in columns_of[blue]):
                agree += 1
    return agree, total, outside


def correlation(xs, ys):
    n = len(xs)
    mx, my = sum(xs) / n, sum(ys) / n
    sxy = sum((x - mx) * (y - my) for x, y in zip(xs, ys))
    sxx = sum((x - mx) ** 2 for x in xs)
    syy = sum((y - my) ** 2 for y in ys)
    return sxy / math.sqrt(sxx * syy) if sxx and syy else 0.0


def blue_along_x(camera, data):
    """Correlation of blue with the screen direction in which world x grows."""
    x0, y0 = camera.project((15, 15, 0))
    x1, y1 = camera.project((16, 15, 0))
    length = math.hypot(x1 - x0, y1 - y0)
    dx, dy = (x1 - x0) / length, (y1 - y0) / length
    along, blues = [], []
    for i in range(0, len(data), 3 * 7):  # every 7th pixel is plenty
        red, green, blue = data[i], data[i + 1], data[i + 2]
        if (red | green | blue) == 0 or min(red, green, blue) >= WHITE_LEVEL:
            continue
        pixel = i // 3
        along.append((pixel % WIDTH) * dx + (pixel // WIDTH) * dy)
        blues.append(blue)
    return correlation(along, blues) if len(along) > 2 else 0.0, (dx, dy)


