#!/usr/bin/env python3
"""Draws Pikuto's pictures, icon, cursor and shutter sound.

Optional: the build never runs it, and the files committed under resources/art/ are the source.
Needs Pillow (Debian: apt-get install python3-pil; run it with /usr/bin/python3).
Usage: gen_resources.py [output directory, default resources/art/]
"""
import io, math, os, random, struct, sys
from PIL import Image, ImageDraw

BLUE, WHITE = (46, 64, 109), (255, 255, 255)  # blue: the About box's text colour, the brand's accent
SS = 8  # shapes are drawn this many times larger, then averaged down, which anti-aliases their edges

# Shapes draw themselves into a mask at value v; coordinates are output pixels, edges continuous.
def box(x0, y0, x1, y1): return [round(x0 * SS), round(y0 * SS), round(x1 * SS) - 1, round(y1 * SS) - 1]
def circle(cx, cy, r): return lambda d, v: d.ellipse(box(cx - r, cy - r, cx + r, cy + r), fill=v)
def polygon(points): return lambda d, v: d.polygon([(x * SS, y * SS) for x, y in points], fill=v)
def union(*shapes): return lambda d, v: [s(d, v) for s in shapes]
def minus(a, b): return lambda d, v: (a(d, v), b(d, 0))  # b erases whatever is drawn so far
def mix(c0, c1, t): return tuple(a + (b - a) * max(0.0, min(1.0, t)) for a, b in zip(c0, c1))
def vgrad(c0, c1, y0, y1): return lambda x, y: mix(c0, c1, (y - y0) / (y1 - y0))

def rrect(x0, y0, x1, y1, r):
    r = max(0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))
    return lambda d, v: x1 > x0 and y1 > y0 and d.rounded_rectangle(box(x0, y0, x1, y1), round(r * SS), fill=v)

def stroke(points, width):  # a polyline drawn with a round pen
    line = lambda d, v: d.line([(x * SS, y * SS) for x, y in points], fill=v, width=round(width * SS))
    return union(line, *(circle(x, y, width / 2) for x, y in points))

def arc(cx, cy, r, a0, a1, steps=24):  # degrees; 0 is right, 90 down
    angles = [math.radians(a0 + (a1 - a0) * i / steps) for i in range(steps + 1)]
    return [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in angles]

def canvas(w, h, background=None): return Image.new("RGBA", (w * SS, h * SS), (*background, 255) if background else 0)
def shrink(cv): return cv.resize((cv.width // SS, cv.height // SS), Image.Resampling.BOX)

def fill(cv, shape, paint, opacity=1.0):
    """Paint is a colour or a gradient, taken at each output pixel's centre."""
    w, h = cv.width // SS, cv.height // SS
    layer, mask = Image.new("RGB", (w, h)), Image.new("L", cv.size)
    layer.putdata([tuple(map(round, paint(x + .5, y + .5) if callable(paint) else paint))
                   for y in range(h) for x in range(w)])
    shape(ImageDraw.Draw(mask), round(255 * opacity))
    layer = layer.resize(cv.size, Image.Resampling.NEAREST)
    layer.putalpha(mask)
    cv.alpha_composite(layer)

def draw_camera(cv, ox, oy, s, lens_shine=True):
    """The camera: 24 x 17 design units at (ox, oy), s pixels per unit. Straight edges land on
    whole pixels and the outline is whole pixels wide, so the small sizes stay crisp."""
    P = lambda x, y: (round(ox + x * s), round(oy + y * s))

    def R(x0, y0, x1, y1, r, inset=0):
        (a, b), (c, d) = P(x0, y0), P(x1, y1)
        return rrect(a + inset, b + inset, c - inset, d - inset, min(r * s, (c - a) / 2, (d - b) / 2) - inset)

    line, dark, y0, y1 = max(1, round(0.55 * s)), (26, 36, 64), P(0, 0)[1], P(0, 17)[1]
    # Silhouette in the outline colour; the parts are then filled one outline width inside it.
    hump, body, button = (7, 0, 17, 5, 1.6), (0, 3, 24, 17, 2.6), (2.5, 1.2, 6.5, 4, 0.9)
    fill(cv, union(R(*button), R(*hump), R(*body)), dark)
    fill(cv, R(*button, line), vgrad((250, 250, 252), (176, 182, 196), P(0, 1.2)[1], P(0, 4)[1]))
    fill(cv, union(R(*hump, line), R(*body, line)), vgrad((122, 142, 190), (40, 56, 98), y0, y1))
    # A brighter edge along the top plate, the darker grip band below it (inside the body at every
    # size drawn), the flash window.
    fill(cv, minus(R(1, 3, 23, 5.2, 1.6, line), R(1, 4.6, 23, 17, 0)), (150, 168, 210), 0.7)
    fill(cv, R(0, 8, 24, 14.5, 0, line), (36, 50, 90), 0.55)
    fill(cv, R(17.5, 4.8, 21.5, 7, 0.6), vgrad(WHITE, (190, 208, 238), P(0, 5)[1], P(0, 7)[1]))
    # Lens: dark rim, silver barrel, dark ring, blue glass with a highlight. Each ring keeps at
    # least a pixel, so the lens still reads as one at 16 x 16.
    rim = max(6.0 * s, 4.0)
    cx, cy, barrel = ox + 12 * s, min(oy + 10.5 * s, y1 - rim), rim - line
    inner = barrel - max(1.8 * s, 1.2)
    g = inner - max(0.9 * s, 0.6)
    fill(cv, circle(cx, cy, rim), dark)
    fill(cv, circle(cx, cy, barrel), vgrad((248, 249, 252), (140, 148, 168), cy - barrel, cy + barrel))
    fill(cv, circle(cx, cy, inner), (22, 28, 46))
    shine = lambda x, y: mix((110, 156, 236), (16, 26, 60), math.hypot(x - cx + 0.3 * g, y - cy + 0.3 * g) / (1.2 * g))
    fill(cv, circle(cx, cy, g), shine)
    if lens_shine:
        fill(cv, circle(cx - 0.36 * g, cy - 0.36 * g, 0.29 * g), WHITE, 0.9)

def draw_icon(size):
    cv = canvas(size, size)
    s = (size - 2) / 24.0  # a pixel's margin at each side, so the outline is not cut at the edge
    draw_camera(cv, 1, (size - 17 * s) / 2, s, lens_shine=size >= 32)
    return shrink(cv)

# The wordmark's letters: centre lines of a round pen, in units where the cap height is 46 and the
# x-height 32, y growing downwards from the cap line. Each letter: (polylines, dots as x, y, r).
CAP, XH, BASE, BOWL, U = 0.0, 14.0, 46.0, 13.0, 11.5
GLYPHS = {
    "P": ([[(0, BASE), (0, CAP), (12, CAP)] + arc(12, CAP + BOWL, BOWL, -90, 90)[1:] + [(0, CAP + 2 * BOWL)]], []),
    "i": ([[(0, XH), (0, BASE)]], [(0, -1.0, 5.6)]),
    "k": ([[(0, CAP), (0, BASE)], [(21, XH), (1, 32)], [(8.5, 26.5), (22, BASE)]], []),
    "u": ([[(0, XH), (0, BASE - U)] + arc(U, BASE - U, U, 180, 0)[1:], [(2 * U, XH), (2 * U, BASE)]], []),
    "t": ([[(0, 4), (0, BASE - 8)] + arc(8, BASE - 8, 8, 180, 90)[1:] + [(12, BASE)], [(-6, XH), (12, XH)]], []),
    "o": ([arc(16, (XH + BASE) / 2, 16, 0, 360, 48)], []),
}
KERNING = {"Pi": -4.0, "ut": -1.0}  # pairs that leave too much air between them at even spacing

def wordmark(text, x, y, scale, pen, space):
    """The letters as one shape, `space` pixels of air between the pen edges of neighbours."""
    parts, prev = [], ""
    for ch in text:
        lines, dots = GLYPHS[ch]
        xs = [px for line in lines for px, _ in line]
        x += KERNING.get(prev + ch, 0.0) * scale
        at = lambda px, py: (x + (px - min(xs)) * scale, y + py * scale)
        parts += [stroke([at(*p) for p in line], pen) for line in lines]
        parts += [circle(*at(px, py), r * scale) for px, py, r in dots]
        x, prev = x + (max(xs) - min(xs)) * scale + pen + space, ch
    return union(*parts)

def draw_logo():
    W, H = 300, 150
    cv = canvas(W, H, WHITE)
    # A soft panel, pale blue fading to white, with a thin border.
    fill(cv, rrect(2, 2, W - 2, H - 2, 14), vgrad((234, 240, 250), (252, 253, 255), 2, H - 2))
    fill(cv, minus(rrect(2, 2, W - 2, H - 2, 14), rrect(3, 3, W - 3, H - 3, 13)), (204, 214, 234))
    # A tilted photo behind the camera, as if just taken: shadow, paper, sky, hills, sun, edge.
    a, pcx, pcy = math.radians(-12), 88, 52
    turn = lambda x, y: (pcx + x * math.cos(a) - y * math.sin(a), pcy + x * math.sin(a) + y * math.cos(a))
    rect = lambda x0, y0, x1, y1: polygon([turn(x0, y0), turn(x1, y0), turn(x1, y1), turn(x0, y1)])
    fill(cv, rect(-20.34, -15.18, 23.34, 20.18), (40, 50, 80), 0.18)
    fill(cv, rect(-21, -17, 21, 17), WHITE)
    fill(cv, rect(-18, -14, 18, 9), vgrad((150, 190, 240), (220, 236, 252), pcy - 14, pcy + 9))
    hills = [(-18, 9), (-18, 1), (-8, -7), (0, 1), (6, -4), (18, 6), (18, 9)]
    fill(cv, polygon([turn(*p) for p in hills]), (96, 150, 110))
    fill(cv, circle(*turn(10, -8), 3.2), (255, 205, 90))
    fill(cv, minus(rect(-21, -17, 21, 17), rect(-20.2, -16.2, 20.2, 16.2)), (170, 180, 200))
    # The camera, with a soft shadow under it.
    s, ox, oy = 3.4, 20, 50
    fill(cv, rrect(ox + 3, oy + 17 * s - 3, ox + 24 * s - 3, oy + 17 * s + 6, 5), (40, 50, 80), 0.12)
    draw_camera(cv, ox, oy, s)
    # The name, and a short rule under it that fades out to the right.
    fill(cv, wordmark("Pikuto", 120, 58, 0.82, 8.2, 4.6), vgrad((70, 94, 154), BLUE, 54, 100))
    fill(cv, rrect(117, 114, 288, 117, 1.5), lambda x, y: mix(BLUE, (234, 240, 250), (x - 117) / 171 * 0.9))
    return shrink(cv)

# Monochrome pointing hand: X black, o white, anything else transparent; the fingertip is the hot
# spot (5, 0).
HAND = """
.....XX......... ....XooX........ ....XooX........ ....XooX........ ....XooX........ ....XooXXX......
....XooXooXXX... ....XooXooXooXX. ....XooXooXooXoX XXX.XooXooXooXoX XooXXooooooooooX XoooXooooooooooX
.XooXooooooooooX .XoooooooooooooX ..XooooooooooooX ..XoooooooooooX. ...XooooooooooX. ...XoooooooooX..
....XooooooooX.. ....XooooooooX.. ....XXXXXXXXXX..""".split()
RATE, SAMPLES = 44100, 26460  # the shutter sound: 0.6 s of 16-bit mono

def bandpass(signal, freq, q):  # two-pole band-pass (audio cookbook), constant peak gain
    w = 2 * math.pi * freq / RATE
    alpha, a1 = math.sin(w) / (2 * q), -2 * math.cos(w)
    out, x1, x2, y1, y2 = [], 0.0, 0.0, 0.0, 0.0
    for x in signal:
        y = (alpha * x - alpha * x2 - a1 * y1 - (1 - alpha) * y2) / (1 + alpha)
        x2, x1, y2, y1 = x1, x, y1, y
        out.append(y)
    return out

def shutter():
    """A sharp click as the blades open, a softer one as they close, then silence."""
    rng = random.Random(0x5EED1234)  # the same noise on every run
    noise = lambda: [rng.uniform(-1, 1) for _ in range(SAMPLES)]

    def click(start, decay, resonances, thump_hz, thump):  # a noise burst over a short low thump
        raw, first, out = noise(), int(start * RATE), [0.0] * SAMPLES
        bands = [(bandpass(raw, f, q), gain) for f, q, gain in resonances]
        for i in range(SAMPLES - first):
            t = i / RATE
            v = sum(b[i] * g for b, g in bands)
            v += thump * math.sin(2 * math.pi * thump_hz * t) * math.exp(-t / (decay * 2.5))
            out[first + i] = v * min(1.0, t / 0.0003) * math.exp(-t / decay)
        return out

    opening = click(0.004, 0.0045, [(3400, 1.4, 1.0), (7000, 2.0, 0.45), (1200, 3.0, 0.5)], 170, 0.35)
    closing = click(0.110, 0.0070, [(2200, 1.6, 0.6), (4800, 3.5, 0.3), (900, 4.0, 0.35)], 120, 0.3)
    rattle = bandpass(noise(), 1600, 2.5)  # the mechanism, faintly, between the two
    hum = lambda t: math.sin(math.pi * (t - 0.012) / 0.11) ** 2 if 0.012 < t < 0.122 else 0.0
    mixed = [opening[i] + 0.75 * closing[i] + 0.05 * hum(i / RATE) * rattle[i] for i in range(SAMPLES)]
    gain = 0.45 * 32767 / max(map(abs, mixed))  # about -7 dBFS: clearly audible, far from clipping
    fade = lambda i: min(1.0, (SAMPLES - i) / (RATE // 20))  # over the last 50 ms
    data = struct.pack("<%dh" % SAMPLES, *(round(v * gain * fade(i)) for i, v in enumerate(mixed)))
    # By hand for the 18-byte format and the fact chunk; the resource has two zero bytes after the file.
    body = struct.pack("<4s4sIHHIIHHH4sII4sI", b"WAVE", b"fmt ", 18, 1, 1, RATE, 2 * RATE, 2, 16, 0,
                       b"fact", 4, SAMPLES, b"data", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body + b"\0\0"

def gif(picture, colours):
    q = picture.convert("RGB").quantize(colours)
    q.putpalette(q.getpalette()[:3 * colours])  # a colour table of exactly `colours` entries
    q.info["version"] = b"89a"  # the resource test wants GIF89a; Pillow writes 87a unless asked
    out = io.BytesIO()
    q.save(out, "GIF", optimize=False)
    return out.getvalue()

def icon_file(kind, frames):
    """An icon (kind 1) or cursor (2) of 8- or 1-bit BMP frames with an AND mask; Pillow's writer leaves
    that mask empty. Frames: (picture, AND mask, BGRX palette, planes or hot spot x, bits or y)."""
    def rows(im):  # bottom-up, each padded to four bytes
        raw = im.transpose(Image.Transpose.FLIP_TOP_BOTTOM).tobytes()
        n = len(raw) // im.height
        return b"".join(raw[i:i + n].ljust(-(-n // 4) * 4, b"\0") for i in range(0, len(raw), n))

    out, images = struct.pack("<HHH", 0, kind, len(frames)), b""
    for im, mask, bgrx, w1, w2 in frames:
        n, bits, body = im.width, 8 if im.mode == "P" else 1, rows(im) + rows(mask)
        image = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bits, 0, len(body), 0, 0, 0, 0) + bgrx + body
        at = 6 + 16 * len(frames) + len(images)
        out += struct.pack("<BBBBHHII", n, n, (1 << bits) % 256, 0, w1, w2, len(image), at)
        images += image
    return out + images

def icon_frame(picture):
    clear = picture.getchannel("A").point(lambda a: 255 * (a < 128)).convert("1")
    q = picture.convert("RGB").quantize(255)
    q.paste(255, mask=clear)  # clear pixels take the black entry 255, so the AND mask shows through
    pal = (q.getpalette()[:765] + [0] * 765)[:765] + [0, 0, 0]
    return q, clear, b"".join(bytes((*pal[i:i + 3][::-1], 0)) for i in range(0, 768, 3)), 1, 8

def cursor_frame(rows):  # white cells set the XOR bit; clear ones set the AND bit and leave XOR clear
    cells = "".join(row.ljust(32, ".") for row in rows).ljust(32 * 32, ".")
    plane = lambda on: Image.frombytes("1", (32, 32), int("".join("01"[on(c)] for c in cells), 2).to_bytes(128, "big"))
    return plane("o".__eq__), plane(lambda c: c not in "Xo"), bytes((0, 0, 0, 0, 255, 255, 255, 0)), 5, 0

def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "art")
    os.makedirs(out, exist_ok=True)
    camera = canvas(24, 17, WHITE)
    draw_camera(camera, 0, 0, 1.0)
    files = {"shutter.wav": shutter(), "camera.gif": gif(shrink(camera), 64), "logo.gif": gif(draw_logo(), 256),
             "pikuto.ico": icon_file(1, [icon_frame(draw_icon(n)) for n in (16, 32, 48)]),
             "hand.cur": icon_file(2, [cursor_frame(HAND)])}
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%-12s %6d bytes" % (name, len(data)))

if __name__ == "__main__":
    main()
