#!/usr/bin/env python3
"""Draws Pikuto's pictures, icon, cursor and shutter sound and writes them to resources/generated/.

Standard library only, and deterministic: the same script always writes the same bytes, so the
committed files can be checked by running it again. Usage: gen_resources.py [output directory]
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------------------------
# Drawing: shapes are signed distance functions in pixel units (negative inside). Coverage of a
# pixel is taken from the distance at its centre, which anti-aliases edges without supersampling.

BLUE = (46, 64, 109)  # the About box's text colour; the brand's accent
WHITE = (255, 255, 255)


class Shape:
    def __init__(self, sdf, bbox):
        self.sdf = sdf
        self.bbox = bbox  # x0, y0, x1, y1 in pixels

    def __or__(self, other):
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: min(a(x, y), b(x, y)), union_box(self.bbox, other.bbox))

    def __sub__(self, other):
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.bbox)

    def __and__(self, other):
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: max(a(x, y), b(x, y)), self.bbox)

    def grow(self, r):
        a = self.sdf
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: a(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))


def union_box(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def rrect(x0, y0, x1, y1, r):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2
    r = min(r, hw, hh)

    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r

    return Shape(sdf, (x0, y0, x1, y1))


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def stroke(points, width):
    """A polyline drawn with a round pen."""
    r = width / 2
    segs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def sdf(x, y):
        return min(segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - r

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))


def polygon(points):
    n = len(points)

    def sdf(x, y):
        d = min(segment_distance(x, y, *points[i], *points[(i + 1) % n]) for i in range(n))
        inside = False
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def arc_points(cx, cy, r, a0, a1, steps=24):
    """Points along a circle arc; angles in degrees, 0 = right, 90 = down (screen coordinates)."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


def vgrad(c0, c1, y0, y1):
    def paint(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return mix(c0, c1, t)

    return paint


def rgrad(c0, c1, cx, cy, r):
    def paint(x, y):
        t = max(0.0, min(1.0, math.hypot(x - cx, y - cy) / r))
        return mix(c0, c1, t)

    return paint


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


class Canvas:
    """RGBA picture, colour channels 0..255 as floats, alpha 0..1, straight (not premultiplied)."""

    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        fill = (*background, 1.0) if background else (0.0, 0.0, 0.0, 0.0)
        self.px = [list(fill) for _ in range(width * height)]

    def fill(self, shape, paint, opacity=1.0):
        x0, y0, x1, y1 = shape.bbox
        for y in range(max(0, int(y0) - 2), min(self.height, int(y1) + 3)):
            for x in range(max(0, int(x0) - 2), min(self.width, int(x1) + 3)):
                cx, cy = x + 0.5, y + 0.5
                cover = 0.5 - shape.sdf(cx, cy)
                if cover <= 0:
                    continue
                a = min(cover, 1.0) * opacity
                c = paint(cx, cy) if callable(paint) else paint
                p = self.px[y * self.width + x]
                out = a + p[3] * (1 - a)
                for i in range(3):
                    p[i] = (c[i] * a + p[i] * p[3] * (1 - a)) / out
                p[3] = out

    def rgb(self, x, y):
        p = self.px[y * self.width + x]
        return tuple(int(round(max(0.0, min(255.0, v)))) for v in p[:3])

    def alpha(self, x, y):
        return self.px[y * self.width + x][3]


# ---------------------------------------------------------------------------------------------
# Artwork


def draw_camera(cv, ox, oy, s, lens_shine=True):
    """The camera: 24 x 17 design units at (ox, oy), s pixels per unit. Straight edges land on
    whole pixels and the outline is whole pixels wide, so the small sizes stay crisp."""

    def P(x, y):
        return round(ox + x * s), round(oy + y * s)

    def R(x0, y0, x1, y1, r):
        return rrect(*P(x0, y0), *P(x1, y1), r * s)

    line = max(1, round(0.55 * s))
    dark = (26, 36, 64)
    y0, y1 = P(0, 0)[1], P(0, 17)[1]
    # Silhouette in the outline colour; the parts are then filled one outline width inside it.
    hump, body = R(7, 0, 17, 5, 1.6), R(0, 3, 24, 17, 2.6)
    button = R(2.5, 1.2, 6.5, 4, 0.9)
    cv.fill(button | hump | body, dark)
    cv.fill(button.grow(-line), vgrad((250, 250, 252), (176, 182, 196), P(0, 1.2)[1], P(0, 4)[1]))
    cv.fill((hump | body).grow(-line), vgrad((122, 142, 190), (40, 56, 98), y0, y1))
    # A brighter edge along the top plate, and the darker grip band below it.
    cv.fill(R(1, 3, 23, 5.2, 1.6).grow(-line) - R(1, 4.6, 23, 17, 0), (150, 168, 210), 0.7)
    cv.fill(R(0, 8, 24, 14.5, 0).grow(-line) & body.grow(-line), (36, 50, 90), 0.55)
    # Flash window.
    cv.fill(R(17.5, 4.8, 21.5, 7, 0.6), vgrad((255, 255, 255), (190, 208, 238), P(0, 5)[1], P(0, 7)[1]))
    # Lens: dark rim, silver barrel, dark ring, blue glass with a highlight. Each ring keeps at
    # least a pixel, so the lens still reads as one at 16 x 16.
    rim = max(6.0 * s, 4.0)
    cx, cy = ox + 12 * s, min(oy + 10.5 * s, P(0, 17)[1] - rim)
    barrel = rim - line
    inner = barrel - max(1.8 * s, 1.2)
    glass = inner - max(0.9 * s, 0.6)
    cv.fill(circle(cx, cy, rim), dark)
    cv.fill(circle(cx, cy, barrel), vgrad((248, 249, 252), (140, 148, 168), cy - barrel, cy + barrel))
    cv.fill(circle(cx, cy, inner), (22, 28, 46))
    shine = rgrad((110, 156, 236), (16, 26, 60), cx - 0.3 * glass, cy - 0.3 * glass, 1.2 * glass)
    cv.fill(circle(cx, cy, glass), shine)
    if lens_shine:
        cv.fill(circle(cx - 0.36 * glass, cy - 0.36 * glass, 0.29 * glass), WHITE, 0.9)


def draw_camera_gif():
    cv = Canvas(24, 17, WHITE)
    draw_camera(cv, 0, 0, 1.0)
    return cv


def draw_icon(size):
    cv = Canvas(size, size)
    # A pixel's margin at each side, so the outline is not cut at the icon's edge.
    s = (size - 2) / 24.0
    draw_camera(cv, 1, (size - 17 * s) / 2, s, lens_shine=size >= 32)
    return cv


# The wordmark's letters: centre lines of a round pen, in units where the cap height is 46 and the
# x-height 32, y growing downwards from the cap line. Each letter: (polylines, dots as x, y, r).
CAP, XH, BASE = 0.0, 14.0, 46.0


def glyphs():
    bowl, r = 13.0, 11.5
    return {
        "P": ([[(0, BASE), (0, CAP), (12, CAP)] + arc_points(12, CAP + bowl, bowl, -90, 90)[1:] +
               [(0, CAP + 2 * bowl)]], []),
        "i": ([[(0, XH), (0, BASE)]], [(0, -1.0, 5.6)]),
        "k": ([[(0, CAP), (0, BASE)], [(21, XH), (1, 32)], [(8.5, 26.5), (22, BASE)]], []),
        "u": ([[(0, XH), (0, BASE - r)] + arc_points(r, BASE - r, r, 180, 0)[1:], [(2 * r, XH), (2 * r, BASE)]], []),
        "t": ([[(0, 4), (0, BASE - 8)] + arc_points(8, BASE - 8, 8, 180, 90)[1:] + [(12, BASE)], [(-6, XH), (12, XH)]],
              []),
        "o": ([arc_points(16, (XH + BASE) / 2, 16, 0, 360, 48)], []),
    }


# Pairs whose shapes leave too much air between them at even spacing, in units.
KERNING = {"Pi": -4.0, "ut": -1.0}


def wordmark(text, ox, oy, scale, pen, space):
    """The letters as one shape; `space` pixels of air between the pen edges of neighbours."""
    shape, x, prev = None, ox, ""
    g = glyphs()
    for ch in text:
        lines, dots = g[ch]
        xmin = min(px for line in lines for px, _ in line)
        xmax = max(px for line in lines for px, _ in line)
        x += KERNING.get(prev + ch, 0.0) * scale
        for line in lines:
            part = stroke([(x + (px - xmin) * scale, oy + py * scale) for px, py in line], pen)
            shape = part if shape is None else shape | part
        for dx, dy, dr in dots:
            shape = shape | circle(x + (dx - xmin) * scale, oy + dy * scale, dr * scale)
        x += (xmax - xmin) * scale + pen + space
        prev = ch
    return shape


def draw_logo():
    W, H = 300, 150
    cv = Canvas(W, H, WHITE)
    # A soft panel, pale blue fading to white, with a thin border.
    panel = rrect(2, 2, W - 2, H - 2, 14)
    cv.fill(panel, vgrad((234, 240, 250), (252, 253, 255), 2, H - 2))
    cv.fill(panel - panel.grow(-1), (204, 214, 234))
    # A photo behind the camera, tilted, as if it had just been taken.
    corners = [(-21, -17), (21, -17), (21, 17), (-21, 17)]
    a = math.radians(-12)
    pcx, pcy = 88, 52

    def turn(pts):
        return [(pcx + x * math.cos(a) - y * math.sin(a), pcy + x * math.sin(a) + y * math.cos(a)) for x, y in pts]

    cv.fill(polygon(turn([(x * 1.04 + 1.5, y * 1.04 + 2.5) for x, y in corners])), (40, 50, 80), 0.18)
    cv.fill(polygon(turn(corners)), WHITE)
    cv.fill(polygon(turn([(-18, -14), (18, -14), (18, 9), (-18, 9)])),
            vgrad((150, 190, 240), (220, 236, 252), pcy - 14, pcy + 9))
    cv.fill(polygon(turn([(-18, 9), (-18, 1), (-8, -7), (0, 1), (6, -4), (18, 6), (18, 9)])), (96, 150, 110))
    cv.fill(circle(*turn([(10, -8)])[0], 3.2), (255, 205, 90))
    cv.fill(polygon(turn(corners)) - polygon(turn(corners)).grow(-0.8), (170, 180, 200))
    # The camera, with a soft shadow under it.
    s, ox, oy = 3.4, 20, 50
    cv.fill(rrect(ox + 4, oy + 17 * s - 2, ox + 24 * s - 4, oy + 17 * s + 5, 4).grow(1), (40, 50, 80), 0.12)
    draw_camera(cv, ox, oy, s)
    # The name, and a short rule under it that fades out to the right.
    top = 58
    cv.fill(wordmark("Pikuto", 120, top, 0.82, 8.2, 4.6), vgrad((70, 94, 154), BLUE, top - 4, top + 42))
    cv.fill(rrect(117, 114, 288, 117, 1.5), lambda x, y: mix(BLUE, (234, 240, 250), (x - 117) / 171 * 0.9))
    return cv


# Monochrome pointing hand: X black, o white, anything else transparent. The fingertip is at the
# hot spot (5, 0).
HAND = [
    ".....XX.........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooXXX......",
    "....XooXooXXX...",
    "....XooXooXooXX.",
    "....XooXooXooXoX",
    "XXX.XooXooXooXoX",
    "XooXXooooooooooX",
    "XoooXooooooooooX",
    ".XooXooooooooooX",
    ".XoooooooooooooX",
    "..XooooooooooooX",
    "..XoooooooooooX.",
    "...XooooooooooX.",
    "...XoooooooooX..",
    "....XooooooooX..",
    "....XooooooooX..",
    "....XXXXXXXXXX..",
]
HOTSPOT = (5, 0)

# ---------------------------------------------------------------------------------------------
# Colour reduction: median cut over the picture's colours, weighted by how often they occur.


def median_cut(counts, n):
    boxes = [sorted(counts.items())]
    while len(boxes) < n:
        best, best_score = None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3))
            score = spread * sum(c[1] for c in box) ** 0.5
            if score > best_score:
                best, best_score = i, score
        if best is None:
            break
        box = boxes.pop(best)
        k = max(range(3), key=lambda k: max(c[0][k] for c in box) - min(c[0][k] for c in box))
        box.sort(key=lambda c: (c[0][k], c[0]))
        total, acc, cut = sum(c[1] for c in box), 0, 1
        for j, c in enumerate(box[:-1]):
            acc += c[1]
            cut = j + 1
            if acc * 2 >= total:
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / total)) for k in range(3)))
    return palette


def quantize(colours, size, fixed=()):
    """Returns (palette of `size` colours, list of indices). `fixed` colours are kept exactly."""
    counts = {}
    for c in colours:
        if c not in fixed:
            counts[c] = counts.get(c, 0) + 1
    room = size - len(fixed)
    chosen = sorted(counts) if len(counts) <= room else median_cut(counts, room)
    palette = list(fixed) + [c for c in chosen if c not in fixed]
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(len(palette)), key=lambda i: (
                2 * (palette[i][0] - c[0]) ** 2 + 4 * (palette[i][1] - c[1]) ** 2 + 3 * (palette[i][2] - c[2]) ** 2, i))
        return cache[c]

    indices = [nearest(c) for c in colours]
    palette += [(0, 0, 0)] * (size - len(palette))
    return palette, indices


# ---------------------------------------------------------------------------------------------
# File formats


def lzw_encode(indices, min_code_size):
    """GIF's variable-width LZW, least significant bit first, with a clear code at the start and
    whenever the 4096-entry table fills."""
    clear, eoi = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bitbuf, nbits = 0, 0

    def emit(code, width):
        nonlocal bitbuf, nbits
        bitbuf |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            nbits -= 8

    width = min_code_size + 1
    table, next_code = {}, eoi + 1
    emit(clear, width)
    w = indices[0]
    for k in indices[1:]:
        if (w, k) in table:
            w = table[(w, k)]
            continue
        emit(w, width)
        if next_code < 4096:
            table[(w, k)] = next_code
            next_code += 1
            # The decoder learns each entry one code later, so it widens when it has seen one more.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = {}, eoi + 1, min_code_size + 1
        w = k
    emit(w, width)
    emit(eoi, width)
    if nbits:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def gif(cv, colours):
    bits = colours.bit_length() - 1
    pixels = [cv.rgb(x, y) for y in range(cv.height) for x in range(cv.width)]
    palette, indices = quantize(pixels, colours, fixed=(WHITE, BLUE))
    out = bytearray(b"GIF89a")
    # Global colour table present, 8 bits per primary, table of 2^(bits) entries; background 0.
    out += struct.pack("<HHBBB", cv.width, cv.height, 0x80 | 0x70 | (bits - 1), 0, 0)
    for c in palette:
        out += bytes(c)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, cv.width, cv.height, 0)
    min_code = max(2, bits)
    out.append(min_code)
    data = lzw_encode(indices, min_code)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00\x3B"
    return bytes(out)


def dib_rows(width, height, row_bytes):
    """Bottom-up rows, each padded to four bytes, as BMP images want."""
    out = bytearray()
    stride = (len(row_bytes(0)) + 3) & ~3
    for y in range(height - 1, -1, -1):
        row = row_bytes(y)
        out += row + bytes(stride - len(row))
    return bytes(out)


def pack_bits(bits):
    out = bytearray((len(bits) + 7) // 8)
    for i, b in enumerate(bits):
        if b:
            out[i // 8] |= 0x80 >> (i % 8)
    return bytes(out)


def icon_frame(cv):
    n = cv.width
    opaque = [[cv.alpha(x, y) >= 0.5 for x in range(n)] for y in range(n)]
    # Palette entry 0 is black, the colour under the mask's transparent pixels.
    colours = [cv.rgb(x, y) if opaque[y][x] else (0, 0, 0) for y in range(n) for x in range(n)]
    palette, indices = quantize(colours, 256, fixed=((0, 0, 0),))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 8, 0, 0, 0, 0, 0, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = dib_rows(n, n, lambda y: bytes(indices[y * n:(y + 1) * n]))
    mask = dib_rows(n, n, lambda y: pack_bits([not o for o in opaque[y]]))
    body = header[:20] + struct.pack("<I", len(xor) + len(mask)) + header[24:]
    return body + pal + xor + mask


def ico(canvases):
    frames = [icon_frame(cv) for cv in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(frames)))
    offset = 6 + 16 * len(frames)
    for cv, frame in zip(canvases, frames):
        out += struct.pack("<BBBBHHII", cv.width % 256, cv.height % 256, 0, 0, 1, 8, len(frame), offset)
        offset += len(frame)
    return bytes(out + b"".join(frames))


def cur(rows, hotspot):
    n = 32
    grid = [row.ljust(n, ".") for row in rows] + ["." * n] * (n - len(rows))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 1, 0, 0, 0, 0, 2, 0)
    pal = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    # White pixels set the XOR bit; transparent pixels set the AND bit and leave XOR clear.
    xor = dib_rows(n, n, lambda y: pack_bits([c == "o" for c in grid[y]]))
    mask = dib_rows(n, n, lambda y: pack_bits([c not in "Xo" for c in grid[y]]))
    header = header[:20] + struct.pack("<I", len(xor) + len(mask)) + header[24:]
    image = header + pal + xor + mask
    entry = struct.pack("<BBBBHHII", n, n, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image


# ---------------------------------------------------------------------------------------------
# The shutter sound: a sharp click as the blades open, a softer one as they close, then silence.

RATE = 44100
SAMPLES = 26460


class Noise:
    """xorshift32, so the sound does not depend on the random module's algorithm."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x / 2147483648.0 - 1.0


def bandpass(signal, freq, q):
    # Two-pole band-pass (audio cookbook), constant peak gain.
    w = 2 * math.pi * freq / RATE
    alpha = math.sin(w) / (2 * q)
    b0, b2 = alpha, -alpha
    a0, a1, a2 = 1 + alpha, -2 * math.cos(w), 1 - alpha
    out, x1, x2, y1, y2 = [], 0.0, 0.0, 0.0, 0.0
    for x in signal:
        y = (b0 * x + b2 * x2 - a1 * y1 - a2 * y2) / a0
        x2, x1, y2, y1 = x1, x, y1, y
        out.append(y)
    return out


def click(noise, start, decay, freqs, thump_hz, thump):
    """A noise burst shaped by resonances, over a short low thump, at `start` seconds."""
    raw = [noise.next() for _ in range(SAMPLES)]
    bands = [bandpass(raw, f, q) for f, q, _ in freqs]
    out = [0.0] * SAMPLES
    first = int(start * RATE)
    for i in range(first, SAMPLES):
        t = (i - first) / RATE
        env = min(1.0, t / 0.0003) * math.exp(-t / decay)
        if env < 1e-5 and t > 0.01:
            break
        v = sum(b[i - first] * g for b, (_, _, g) in zip(bands, freqs))
        v += thump * math.sin(2 * math.pi * thump_hz * t) * math.exp(-t / (decay * 2.5))
        out[i] = v * env
    return out


def shutter_samples():
    noise = Noise(0x5EED1234)
    # Blades opening: bright and sharp, with a low knock from the body.
    a = click(noise, 0.004, 0.0045, [(3400, 1.4, 1.0), (7000, 2.0, 0.45), (1200, 3.0, 0.5)], 170, 0.35)
    # Blades closing, about a tenth of a second later: softer and a little lower.
    b = click(noise, 0.110, 0.0070, [(2200, 1.6, 0.6), (4800, 3.5, 0.3), (900, 4.0, 0.35)], 120, 0.3)
    # A faint rattle of the mechanism between the two.
    rattle = bandpass([noise.next() for _ in range(SAMPLES)], 1600, 2.5)
    mixed = []
    for i in range(SAMPLES):
        t = i / RATE
        hum = math.sin(math.pi * (t - 0.012) / 0.11) ** 2 if 0.012 < t < 0.122 else 0.0
        mixed.append(a[i] + 0.75 * b[i] + 0.05 * hum * rattle[i])
    peak = max(abs(v) for v in mixed)
    gain = 0.45 * 32767 / peak  # about -7 dBFS: clearly audible, far from clipping
    fade_from = SAMPLES - RATE // 20
    out = []
    for i, v in enumerate(mixed):
        if i >= fade_from:
            v *= (SAMPLES - i) / (SAMPLES - fade_from)
        out.append(max(-32768, min(32767, int(round(v * gain)))))
    return out


def wav(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHHH", 1, 1, RATE, RATE * 2, 2, 16, 0)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"fact" + struct.pack("<II", 4, len(samples))
    body += b"data" + struct.pack("<I", len(data)) + data
    # The resource carries two zero bytes after the file image.
    return b"RIFF" + struct.pack("<I", len(body)) + body + b"\x00\x00"


# ---------------------------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "generated")
    os.makedirs(out_dir, exist_ok=True)
    files = {
        "shutter.wav": wav(shutter_samples()),
        "pikuto.ico": ico([draw_icon(n) for n in (16, 32, 48)]),
        "camera.gif": gif(draw_camera_gif(), 64),
        "logo.gif": gif(draw_logo(), 256),
        "hand.cur": cur(HAND, HOTSPOT),
    }
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print("%-12s %6d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
