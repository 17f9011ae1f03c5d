// The encoder benchmark's corpus: seeded 710 x 380 pictures of what a drawing chat's canvas holds.
// Integer arithmetic only, so every compiler and platform draws the same pixels.
#pragma once

#include "core/image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corpus {

constexpr int kWidth = 710;
constexpr int kHeight = 380;
constexpr int kSub = 16; // sub-pixel units a pixel: pens move and measure in sixteenths

struct Rng {
    uint32_t state;
    uint32_t Next() { // a 32-bit mix of a Weyl sequence: small, fast and good enough for pictures
        uint32_t z = state += 0x9E3779B9u;
        z = (z ^ z >> 16) * 0x85EBCA6Bu;
        z = (z ^ z >> 13) * 0xC2B2AE35u;
        return z ^ z >> 16;
    }
    int Below(int n) { return int(Next() % uint32_t(n)); }
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
};

inline int ISqrt(int64_t n) {
    int64_t r = 0;
    for (int64_t bit = int64_t(1) << 30; bit; bit >>= 1) // n below 2^62
        if ((r + bit) * (r + bit) <= n)
            r += bit;
    return int(r);
}

// Each channel a step `alpha` (0 to 255) of the way from `under` to `ink`.
inline uint32_t Blend(uint32_t under, uint32_t ink, int alpha) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int a = int(under >> shift & 255), b = int(ink >> shift & 255);
        out |= uint32_t((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    }
    return out;
}

inline uint32_t Mix(uint32_t a, uint32_t b, int step, int steps) {
    return Blend(a, b, steps > 0 ? std::clamp(step, 0, steps) * 255 / steps : 0);
}

struct Point {
    int x, y; // sub-pixel units
};

// The picture and the coverage of the shape being drawn, which is painted in one go so that the
// overlapping pieces of one stroke never darken each other.
struct Canvas {
    core::Pixels pixels;
    std::vector<uint8_t> cover;
    int x0 = kWidth, y0 = kHeight, x1 = -1, y1 = -1; // the coverage's bounds

    explicit Canvas(uint32_t background)
        : pixels{kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight, background)},
          cover(size_t(kWidth) * kHeight) {}
    uint32_t& At(int x, int y) { return pixels.bgrx[size_t(y) * kWidth + size_t(x)]; }

    // A round-capped segment `radius` sixteenths wide each side: hard, or anti-aliased in
    // `levels` steps of coverage.
    void Segment(Point a, Point b, int radius, int levels) {
        const int64_t dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        const int reach = radius / kSub + 2;
        const int left = std::max(0, std::min(a.x, b.x) / kSub - reach);
        const int right = std::min(kWidth - 1, std::max(a.x, b.x) / kSub + reach);
        const int top = std::max(0, std::min(a.y, b.y) / kSub - reach);
        const int bottom = std::min(kHeight - 1, std::max(a.y, b.y) / kSub + reach);
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                const int64_t cx = x * kSub + kSub / 2 - a.x, cy = y * kSub + kSub / 2 - a.y;
                const int64_t along =
                    std::clamp(length2 ? (cx * dx + cy * dy) * 4096 / length2 : 0, int64_t(0), int64_t(4096));
                const int64_t ex = cx - dx * along / 4096, ey = cy - dy * along / 4096;
                const int distance = ISqrt(ex * ex + ey * ey);
                int alpha;
                if (levels == 0)
                    alpha = distance <= radius ? 255 : 0;
                else
                    alpha =
                        (std::clamp(radius + kSub / 2 - distance, 0, kSub) * levels + kSub / 2) / kSub * 255 / levels;
                Cover(x, y, alpha);
            }
    }

    void Cover(int x, int y, int alpha) {
        if (alpha <= 0)
            return;
        uint8_t& c = cover[size_t(y) * kWidth + size_t(x)];
        c = uint8_t(std::max(int(c), alpha));
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }

    void Polyline(const std::vector<Point>& points, int radius, int levels) {
        for (size_t i = 0; i + 1 < points.size(); ++i)
            Segment(points[i], points[i + 1], radius, levels);
    }

    // Paints the covered pixels with `ink` at `opacity` (0 to 255) and clears the coverage.
    void Paint(uint32_t ink, int opacity = 255) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                uint8_t& c = cover[size_t(y) * kWidth + size_t(x)];
                if (c)
                    At(x, y) = Blend(At(x, y), ink, c * opacity / 255);
                c = 0;
            }
        x0 = kWidth, y0 = kHeight, x1 = y1 = -1;
    }

    void Ellipse(int cx, int cy, int rx, int ry, uint32_t ink) { // pixels, hard-edged
        for (int y = std::max(0, cy - ry); y <= std::min(kHeight - 1, cy + ry); ++y)
            for (int x = std::max(0, cx - rx); x <= std::min(kWidth - 1, cx + rx); ++x) {
                const int64_t ex = int64_t(x - cx) * ry, ey = int64_t(y - cy) * rx, r = int64_t(rx) * ry;
                if (ex * ex + ey * ey <= r * r)
                    At(x, y) = ink;
            }
    }

    void Rect(int left, int top, int width, int height, uint32_t ink) {
        for (int y = std::max(0, top); y < std::min(kHeight, top + height); ++y)
            for (int x = std::max(0, left); x < std::min(kWidth, left + width); ++x)
                At(x, y) = ink;
    }
};

// A hand's path: `steps` steps of `step` sixteenths, turning by up to `turn`/64 radian at each,
// bouncing off the edges.
inline std::vector<Point> Wander(Rng& rng, int steps, int step, int turn, int margin = 8) {
    Point p{rng.Range(margin, kWidth - margin) * kSub, rng.Range(margin, kHeight - margin) * kSub};
    int dx = rng.Range(-64, 64), dy = rng.Range(-64, 64) | 1;
    std::vector<Point> points{p};
    for (int i = 0; i < steps; ++i) {
        const int k = rng.Range(-turn, turn), nx = dx - dy * k / 64, ny = dy + dx * k / 64;
        const int n = std::max(1, ISqrt(int64_t(nx) * nx + int64_t(ny) * ny));
        dx = nx * step / n, dy = ny * step / n;
        if (p.x + dx < margin * kSub || p.x + dx > (kWidth - margin) * kSub)
            dx = -dx;
        if (p.y + dy < margin * kSub || p.y + dy > (kHeight - margin) * kSub)
            dy = -dy;
        p = {p.x + dx, p.y + dy};
        points.push_back(p);
    }
    return points;
}

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;
// A drawing chat's inks (0xRRGGBB): black, red, blue, green, orange, purple, pink, brown.
constexpr uint32_t kInks[] = {0x000000, 0xE02020, 0x2040E0, 0x20A040, 0xF09020, 0x8030B0, 0xF070A0, 0x805030};

inline uint32_t Grey(int level) {
    return uint32_t(level) * 0x010101u;
}

inline core::Pixels PenStrokes(uint32_t seed, int levels) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 60; ++i) {
        const uint32_t ink = kInks[rng.Below(8)];
        c.Polyline(Wander(rng, 40, 6 * kSub, 36), rng.Range(8, 24), levels);
        c.Paint(ink);
    }
    return c.pixels;
}

inline core::Pixels CartoonFills(uint32_t seed) {
    static constexpr uint32_t fills[] = {0xFFD8A8, 0xA8E0FF, 0xC8F0B0, 0xFFB0C8, 0xE8D0FF, 0xFFF0A0, 0xF0A060};
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 22; ++i) {
        const int cx = rng.Below(kWidth), cy = rng.Below(kHeight), rx = rng.Range(20, 110), ry = rng.Range(20, 90);
        c.Ellipse(cx, cy, rx + 3, ry + 3, kBlack);
        c.Ellipse(cx, cy, rx, ry, fills[rng.Below(7)]);
        if (rng.Below(2)) // a highlight
            c.Ellipse(cx - rx / 3, cy - ry / 3, rx / 5 + 1, ry / 6 + 1, kWhite);
    }
    for (int i = 0; i < 12; ++i) {
        c.Polyline(Wander(rng, 20, 5 * kSub, 20), 24, 0);
        c.Paint(kBlack);
    }
    return c.pixels;
}

// Lines of glyphs, each one to three pen strokes between points of a 3 x 4 grid; coverage in 15
// steps, so black on white gives 16 grey levels.
inline core::Pixels Text(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    std::vector<std::vector<Point>> glyphs(60);
    for (auto& g : glyphs)
        for (int s = 0, n = rng.Range(2, 4); s < n; ++s)
            g.push_back({rng.Below(3) * 5 * kSub, rng.Below(4) * 5 * kSub});
    for (int top = 14; top + 24 < kHeight; top += 26)
        for (int x = 16 + rng.Below(8); x + 16 < kWidth - 10;) {
            for (int n = rng.Range(2, 9); n > 0 && x + 16 < kWidth - 10; --n, x += 14) {
                const auto& g = glyphs[size_t(rng.Below(60))];
                for (size_t s = 0; s + 1 < g.size(); s += 1)
                    c.Segment({x * kSub + g[s].x, top * kSub + g[s].y},
                              {x * kSub + g[s + 1].x, top * kSub + g[s + 1].y}, 20, 15);
            }
            c.Paint(kBlack);
            x += 10;
        }
    return c.pixels;
}

// Round dabs each a step of the way between two inks: a brush whose colour runs along the stroke.
inline core::Pixels GradientStrokes(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 40; ++i) {
        const uint32_t from = kInks[rng.Below(8)], to = kInks[rng.Below(8)];
        const int radius = rng.Range(3, 8) * kSub;
        const auto path = Wander(rng, 60, 3 * kSub, 16);
        for (size_t k = 0; k < path.size(); ++k) {
            c.Segment(path[k], path[k], radius, 16);
            c.Paint(Mix(from, to, int(k), int(path.size() - 1)));
        }
    }
    return c.pixels;
}

// Soft round dabs that build up where they overlap, under a few hard black lines.
inline core::Pixels Airbrush(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 24; ++i) {
        const uint32_t ink = kInks[rng.Range(1, 7)];
        const int r = rng.Range(15, 45), peak = rng.Range(10, 28);
        for (Point p : Wander(rng, 40, 6 * kSub, 20)) {
            const int px = p.x / kSub, py = p.y / kSub;
            for (int y = std::max(0, py - r); y <= std::min(kHeight - 1, py + r); ++y)
                for (int x = std::max(0, px - r); x <= std::min(kWidth - 1, px + r); ++x) {
                    const int d2 = (x - px) * (x - px) + (y - py) * (y - py), r2 = r * r;
                    if (d2 < r2)
                        c.At(x, y) = Blend(c.At(x, y), ink, int(int64_t(peak) * (r2 - d2) * (r2 - d2) / r2 / r2));
                }
        }
    }
    for (int i = 0; i < 15; ++i) {
        c.Polyline(Wander(rng, 30, 6 * kSub, 30), 16, 16);
        c.Paint(kBlack);
    }
    return c.pixels;
}

// Smooth value noise: random values on a grid `cell` pixels apart, interpolated bilinearly.
inline std::vector<int> ValueNoise(Rng& rng, int cell, int amplitude) {
    const int gw = kWidth / cell + 2, gh = kHeight / cell + 2;
    std::vector<int> grid(size_t(gw) * gh), out(size_t(kWidth) * kHeight);
    for (int& v : grid)
        v = rng.Range(-amplitude, amplitude);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int gx = x / cell, gy = y / cell, fx = x % cell, fy = y % cell;
            auto g = [&](int i, int j) { return grid[size_t(gy + j) * gw + size_t(gx + i)]; };
            out[size_t(y) * kWidth + size_t(x)] =
                ((g(0, 0) * (cell - fx) + g(1, 0) * fx) * (cell - fy) + (g(0, 1) * (cell - fx) + g(1, 1) * fx) * fy) /
                (cell * cell);
        }
    return out;
}

// Soft shapes of light and colour at three scales, with a camera's grain on top.
inline core::Pixels PhotoLike(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kBlack);
    const uint32_t base[3] = {110, 130, 150}; // blue, green, red
    std::vector<int> light = ValueNoise(rng, 160, 70), detail = ValueNoise(rng, 24, 25);
    for (int ch = 0; ch < 3; ++ch) {
        std::vector<int> tint = ValueNoise(rng, 90, 45);
        for (size_t i = 0; i < c.pixels.bgrx.size(); ++i) {
            const int v = int(base[ch]) + light[i] + detail[i] + tint[i] + rng.Range(-7, 7);
            c.pixels.bgrx[i] |= uint32_t(std::clamp(v, 0, 255)) << (8 * ch);
        }
    }
    return c.pixels;
}

// Black and white only: regions of halftone dots and hatching, outlined.
inline core::Pixels ScreenTones(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 14; ++i) {
        const int cx = rng.Below(kWidth), cy = rng.Below(kHeight), rx = rng.Range(30, 140), ry = rng.Range(25, 110);
        const int period = rng.Range(4, 7), dot = rng.Range(4, period * 7), kind = rng.Below(3);
        c.Ellipse(cx, cy, rx + 2, ry + 2, kBlack);
        for (int y = std::max(0, cy - ry); y <= std::min(kHeight - 1, cy + ry); ++y)
            for (int x = std::max(0, cx - rx); x <= std::min(kWidth - 1, cx + rx); ++x) {
                const int64_t ex = int64_t(x - cx) * ry, ey = int64_t(y - cy) * rx, r = int64_t(rx) * ry;
                if (ex * ex + ey * ey > r * r)
                    continue;
                bool ink;
                if (kind == 2) // hatching at 45 degrees
                    ink = (x + y) % period == 0;
                else { // dots on a square grid, or a grid offset every other row
                    const int shift = kind == 1 && y / period % 2 ? period / 2 : 0;
                    const int ux = ((x + shift) % period) * 2 - period + 1, uy = (y % period) * 2 - period + 1;
                    ink = ux * ux + uy * uy < dot * 4 / 7 * period / 2;
                }
                c.At(x, y) = ink ? kBlack : kWhite;
            }
    }
    return c.pixels;
}

// A landscape in 16 colours, ordered-dithered with an 8 x 8 Bayer matrix, as pixel art is.
inline core::Pixels DitheredArt(uint32_t seed) {
    static constexpr uint32_t palette[16] = {0x000000, 0x1D2B53, 0x7E2553, 0x008751, 0xAB5236, 0x5F574F,
                                             0xC2C3C7, 0xFFF1E8, 0xFF004D, 0xFFA300, 0xFFEC27, 0x00E436,
                                             0x29ADFF, 0x83769C, 0xFF77A8, 0xFFCCAA};
    Rng rng{seed};
    Canvas c(kBlack);
    std::vector<int> hills = ValueNoise(rng, 90, 60), distant = ValueNoise(rng, 40, 25);
    const int sunX = rng.Range(100, 600), sunY = rng.Range(40, 120);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const size_t i = size_t(y) * kWidth + size_t(x);
            uint32_t colour = Mix(0x3A5A90, 0xF0C8A0, y, 220);
            if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) < 900)
                colour = 0xFFE060;
            if (y > 200 + distant[i])
                colour = Mix(0x6A7FA0, 0x405870, y - 150, 200);
            if (y > 250 + hills[i] / 2)
                colour = Mix(0x40B040, 0x104020, y - 200, 180);
            int threshold = 0; // the 8 x 8 Bayer matrix: bits of x ^ y and y interleaved, reversed
            for (int bit = 0; bit < 3; ++bit)
                threshold |= ((x ^ y) >> bit & 1) << (5 - 2 * bit) | (y >> bit & 1) << (4 - 2 * bit);
            const int offset = threshold - 32;
            int best = 0, bestError = 1 << 30;
            for (int k = 0; k < 16; ++k) {
                int error = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = int(colour >> shift & 255) + offset - int(palette[k] >> shift & 255);
                    error += d * d;
                }
                if (error < bestError)
                    best = k, bestError = error;
            }
            c.pixels.bgrx[i] = palette[best];
        }
    return c.pixels;
}

// A cream page with ink and sepia strokes, anti-aliased, and a few flat washes.
inline core::Pixels CreamBackground(uint32_t seed) {
    static constexpr uint32_t inks[] = {0x3A2A1A, 0x704830, 0xA05030, 0x305070};
    Rng rng{seed};
    Canvas c(0xFFF4DC);
    for (int i = 0; i < 5; ++i)
        c.Ellipse(rng.Below(kWidth), rng.Below(kHeight), rng.Range(30, 90), rng.Range(20, 60), 0xF6E0B8);
    for (int i = 0; i < 50; ++i) {
        const uint32_t ink = inks[rng.Below(4)];
        c.Polyline(Wander(rng, 40, 6 * kSub, 30), rng.Range(8, 28), 16);
        c.Paint(ink, rng.Range(180, 255));
    }
    return c.pixels;
}

inline core::Pixels SparseSketch(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 10; ++i) {
        c.Polyline(Wander(rng, 50, 5 * kSub, 24), rng.Range(8, 14), 0);
        c.Paint(kBlack);
    }
    return c.pixels;
}

// Many pencil strokes in greys, half transparent, building up tone where they cross.
inline core::Pixels DenseSketch(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 300; ++i) {
        c.Polyline(Wander(rng, rng.Range(10, 40), 5 * kSub, 14), rng.Range(8, 16), 16);
        c.Paint(Grey(rng.Range(0x20, 0x60)), rng.Range(80, 180));
    }
    return c.pixels;
}

// White, two greys a quarter and three quarters dark, and black outlines: four levels of a
// manga page's flats.
inline core::Pixels MangaFlats(uint32_t seed) {
    Rng rng{seed};
    Canvas c(kWhite);
    for (int i = 0; i < 16; ++i) {
        const int cx = rng.Below(kWidth), cy = rng.Below(kHeight), rx = rng.Range(20, 120), ry = rng.Range(20, 90);
        c.Ellipse(cx, cy, rx + 2, ry + 2, kBlack);
        c.Ellipse(cx, cy, rx, ry, rng.Below(2) ? 0xAAAAAA : 0x555555);
    }
    for (int i = 0; i < 20; ++i) {
        c.Polyline(Wander(rng, 30, 5 * kSub, 24), 16, 0);
        c.Paint(kBlack);
    }
    return c.pixels;
}

// A window of a desktop program: gradient title bar, menus and toolbar, a list with a selected
// row, a grid of cells and text in a 5 x 7 pixel font.
inline core::Pixels ScreenshotLike(uint32_t seed) {
    Rng rng{seed};
    Canvas c(0xF0F0F0);
    std::vector<uint64_t> font(48); // 35 bits a glyph
    for (uint64_t& g : font)
        g = (uint64_t(rng.Next()) << 3 ^ rng.Next()) & ((uint64_t(1) << 35) - 1);
    auto text = [&](int x, int y, int glyphs, uint32_t ink) {
        for (int n = 0; n < glyphs; ++n, x += 6) {
            const uint64_t glyph = font[size_t(rng.Below(48))];
            for (int bit = 0; bit < 35; ++bit)
                if (glyph >> bit & 1)
                    c.At(x + bit % 5, y + bit / 5) = ink;
        }
    };
    for (int x = 0; x < kWidth; ++x) // the title bar
        c.Rect(x, 0, 1, 24, Mix(0x0A246A, 0xA6CAF0, x, kWidth - 1));
    text(8, 8, 14, kWhite);
    for (int x = 8; x < 300; x += 48)
        text(x, 31, rng.Range(3, 6), kBlack);
    c.Rect(0, 44, kWidth, 1, 0xA0A0A0);
    for (int x = 6; x < 400; x += 24) { // toolbar buttons with little four-colour icons
        c.Rect(x, 50, 20, 20, 0xFFFFFF), c.Rect(x + 1, 51, 19, 19, 0x808080), c.Rect(x + 1, 51, 18, 18, 0xE8E8E8);
        const uint32_t icon[4] = {kInks[rng.Below(8)], kInks[rng.Below(8)], 0xFFFFFF, 0xE8E8E8};
        for (int y = 0; y < 12; ++y)
            for (int ix = 0; ix < 12; ++ix)
                c.At(x + 4 + ix, 55 + y) = icon[(rng.Next() >> 7) % 4];
    }
    c.Rect(0, 76, 170, kHeight - 98, kWhite);
    for (int row = 0; 80 + row * 18 < kHeight - 40; ++row) { // the list
        const bool selected = row == 4;
        c.Rect(2, 80 + row * 18, 166, 18, selected ? 0x3399FF : row % 2 ? 0xF5F7FA : kWhite);
        text(10 + (row % 3) * 10, 85 + row * 18, rng.Range(5, 18), selected ? kWhite : kBlack);
    }
    c.Rect(176, 76, kWidth - 182, kHeight - 98, kWhite);
    for (int row = 0; row < 12; ++row) // a table
        for (int col = 0; col < 5; ++col) {
            const int x = 180 + col * 104, y = 82 + row * 22;
            c.Rect(x, y, 104, 1, 0xD0D0D0), c.Rect(x, y, 1, 22, 0xD0D0D0);
            text(x + 6, y + 8, rng.Range(2, 14), row == 0 ? 0x202020 : 0x404040);
        }
    c.Rect(0, kHeight - 20, kWidth, 20, 0xE0E0E0);
    text(8, kHeight - 13, 30, 0x303030);
    return c.pixels;
}

struct Picture {
    const char* name;
    core::Pixels pixels;
};

inline std::vector<Picture> MakeCorpus() {
    return {{"hard pen strokes", PenStrokes(1, 0)},    {"anti-aliased strokes", PenStrokes(2, 16)},
            {"cartoon fills", CartoonFills(3)},        {"text", Text(4)},
            {"gradient strokes", GradientStrokes(5)},  {"airbrush", Airbrush(6)},
            {"photo-like, noisy", PhotoLike(7)},       {"screen tones", ScreenTones(8)},
            {"dithered palette art", DitheredArt(9)},  {"cream background", CreamBackground(10)},
            {"sparse sketch", SparseSketch(11)},       {"dense sketch", DenseSketch(12)},
            {"manga flats (4 greys)", MangaFlats(13)}, {"UI screenshot", ScreenshotLike(14)}};
}

} // namespace corpus
