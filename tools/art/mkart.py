#!/usr/bin/env python3
"""Draws the program's artwork and writes it into res/.

    res/skyplot.bmp  155 x 155, 4 bits per pixel: the sky plot background, a
                     globe seen from above with a white cross-hair and three
                     elevation rings, on a black starry sky.
    res/app.ico      the application icon, 32 x 32 and 16 x 16, 256 colours:
                     a globe with an orbit and a satellite.

Standard library only; the output is the same on every run.

    python3 tools/art/mkart.py [output dir]     (default: res/ of the repository)
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------- noise


def _hash3(ix, iy, iz, seed):
    """A repeatable pseudo-random value in [0, 1) for an integer lattice point."""
    h = (ix * 374761393 + iy * 668265263 + iz * 2147483647 + seed * 144665) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return h / 4294967296.0


def _smooth(t):
    return t * t * t * (t * (t * 6 - 15) + 10)


def value_noise(x, y, z, seed):
    ix, iy, iz = math.floor(x), math.floor(y), math.floor(z)
    fx, fy, fz = _smooth(x - ix), _smooth(y - iy), _smooth(z - iz)

    def lerp(a, b, t):
        return a + (b - a) * t

    c = [[[_hash3(ix + dx, iy + dy, iz + dz, seed) for dz in (0, 1)] for dy in (0, 1)] for dx in (0, 1)]
    x00 = lerp(c[0][0][0], c[1][0][0], fx)
    x10 = lerp(c[0][1][0], c[1][1][0], fx)
    x01 = lerp(c[0][0][1], c[1][0][1], fx)
    x11 = lerp(c[0][1][1], c[1][1][1], fx)
    return lerp(lerp(x00, x10, fy), lerp(x01, x11, fy), fz)


def fbm(x, y, z, seed, octaves=5):
    """Fractal sum of value noise, roughly in [0, 1]."""
    total, amp, norm, freq = 0.0, 1.0, 0.0, 1.0
    for o in range(octaves):
        total += amp * value_noise(x * freq, y * freq, z * freq, seed + o * 31)
        norm += amp
        amp *= 0.5
        freq *= 2.03
    return total / norm


def land_height(nx, ny, nz, seed, scale, sea_level=0.53):
    """Height of the globe's surface at the unit vector (nx, ny, nz); > 0 is land."""
    # A slow warp bends the coastlines so the blobs look less like noise.
    wx = fbm(nx * 1.3 + 5.2, ny * 1.3, nz * 1.3, seed + 101, 3) - 0.5
    wy = fbm(nx * 1.3, ny * 1.3 + 9.7, nz * 1.3, seed + 202, 3) - 0.5
    return fbm((nx + wx * 0.6) * scale, (ny + wy * 0.6) * scale, nz * scale, seed) - sea_level


# ---------------------------------------------------------------- BMP

SKY_SIZE = 155
SKY_CX, SKY_CY = 77, 77
SKY_RADIUS = 74
CROSS_X, CROSS_Y = 77, 78
RINGS = (25, 44, 64)

# The 16-colour palette of the sky plot, as (R, G, B).
BLACK, WHITE = 0, 1
SEA = (2, 3, 4)  # light, middle, dark
LAND = (5, 6, 7)  # light, middle, dark
RIM = 8
STAR_DIM, STAR_MID, STAR_WARM, STAR_BLUE = 9, 10, 11, 12
SKY_PALETTE = [
    (0, 0, 0),  # 0 background
    (255, 255, 255),  # 1 cross-hair, rings, bright stars
    (164, 214, 250),  # 2 sea, light
    (132, 194, 242),  # 3 sea
    (100, 168, 228),  # 4 sea, towards the edge
    (132, 206, 104),  # 5 land, light
    (96, 180, 82),  # 6 land
    (66, 146, 66),  # 7 land, towards the edge
    (52, 104, 176),  # 8 rim of the globe
    (72, 72, 80),  # 9 faint star
    (150, 150, 160),  # 10 star
    (255, 236, 184),  # 11 warm star
    (184, 210, 255),  # 12 blue star
    (0, 0, 0),
    (0, 0, 0),
    (0, 0, 0),
]

# Bayer 4 x 4 threshold matrix, for a soft change between shades. DITHER is
# the share of a shade step that is dithered: a narrow band at each border, so
# the shades stay flat and clean elsewhere.
DITHER = 0.4
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def sky_pixels():
    """Returns the sky plot as rows of palette indices, top row first."""
    n = SKY_SIZE
    img = [[BLACK] * n for _ in range(n)]

    # Stars: a fixed list, kept clear of the globe and away from the lines.
    stars = [
        (6, 9, STAR_MID), (24, 4, STAR_DIM), (143, 7, WHITE), (131, 19, STAR_DIM),
        (149, 31, STAR_WARM), (4, 36, STAR_BLUE), (11, 121, STAR_MID), (3, 146, STAR_DIM),
        (22, 148, WHITE), (150, 128, STAR_BLUE), (138, 149, STAR_MID), (120, 143, STAR_DIM),
        (16, 21, WHITE), (148, 112, STAR_DIM), (35, 152, STAR_WARM), (152, 150, STAR_DIM),
        (2, 62, STAR_DIM), (153, 70, STAR_DIM),
    ]
    for x, y, c in stars:
        img[y][x] = c
    # Two brighter stars with a small cross of light.
    for x, y in ((14, 134), (139, 24)):
        img[y][x] = WHITE
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            img[y + dy][x + dx] = STAR_MID

    # The globe: a sphere seen from above, lit slightly from the upper left.
    light = (-0.35, -0.45, 0.82)
    ll = math.sqrt(sum(v * v for v in light))
    light = tuple(v / ll for v in light)
    # Turn the sphere a little so the view is not straight down a noise axis.
    ca, sa = math.cos(0.7), math.sin(0.7)
    cb, sb = math.cos(0.4), math.sin(0.4)
    for y in range(n):
        for x in range(n):
            # Sample at the pixel centre.
            dx = (x - SKY_CX) / (SKY_RADIUS + 0.5)
            dy = (y - SKY_CY) / (SKY_RADIUS + 0.5)
            d2 = dx * dx + dy * dy
            if d2 > 1.0:
                continue
            dz = math.sqrt(1.0 - d2)
            if math.sqrt(d2) > 0.985:
                img[y][x] = RIM
                continue
            # Rotate the surface point for the noise lookup.
            rx = dx * ca - dz * sa
            rz = dx * sa + dz * ca
            ry = dy * cb - rz * sb
            rz = dy * sb + rz * cb
            h = land_height(rx, ry, rz, seed=7, scale=2.2)
            lit = dx * light[0] + dy * light[1] + dz * light[2]
            # 0 = light shade ... 2 = dark shade, dithered between steps.
            shade = (0.93 - lit) * 4.2
            shade += ((BAYER4[y & 3][x & 3] + 0.5) / 16.0 - 0.5) * DITHER
            level = max(0, min(2, int(round(shade))))
            img[y][x] = (LAND if h > 0 else SEA)[level]

    # White overlay: rings first, then the cross-hair across the whole image.
    for r in RINGS:
        for x, y in circle_points(SKY_CX, SKY_CY, r):
            if 0 <= x < n and 0 <= y < n:
                img[y][x] = WHITE
    for i in range(n):
        img[i][CROSS_X] = WHITE
        img[CROSS_Y][i] = WHITE
    return img


def circle_points(cx, cy, r):
    """The pixels of a one-pixel circle (midpoint algorithm), all eight octants."""
    pts = set()
    x, y, err = r, 0, 1 - r
    while x >= y:
        for px, py in ((x, y), (y, x), (-y, x), (-x, y), (-x, -y), (-y, -x), (y, -x), (x, -y)):
            pts.add((cx + px, cy + py))
        y += 1
        if err < 0:
            err += 2 * y + 1
        else:
            x -= 1
            err += 2 * (y - x) + 1
    return sorted(pts)


def write_bmp4(path, rows, palette):
    """Writes a bottom-up 4-bit BMP with a BITMAPINFOHEADER and 16-entry palette."""
    h, w = len(rows), len(rows[0])
    stride = ((w * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, c in enumerate(row):
            if x & 1:
                line[x >> 1] |= c
            else:
                line[x >> 1] |= c << 4
        data += line
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + bytes(data))


# ---------------------------------------------------------------- icon

ORBIT_GOLD = (255, 196, 40)
ORBIT_BACK = (196, 138, 24)
OUTLINE = (16, 36, 84)


def icon_scene(size):
    """Returns a function giving (r, g, b, a) at a point in [0, 1] x [0, 1]."""
    small = size <= 16
    if small:
        gx, gy, gr = 0.44, 0.585, 0.355
        orbit_a, orbit_b, orbit_w = 0.45, 0.14, 1.3 / size
    else:
        gx, gy, gr = 0.43, 0.57, 0.33
        orbit_a, orbit_b, orbit_w = 0.42, 0.13, 1.8 / size
    sat_x, sat_y = 0.77, 0.23  # satellite centre, 32 x 32 only
    edge = 1.3 / size  # outline width, about one pixel
    rot = math.radians(-24)
    cr, sr = math.cos(rot), math.sin(rot)
    srot = math.radians(45)
    scr, ssr = math.cos(srot), math.sin(srot)
    light = (-0.45, -0.55, 0.7)
    ll = math.sqrt(sum(v * v for v in light))
    light = tuple(v / ll for v in light)

    def orbit(px, py):
        """Stroke coverage test of the orbit: (on stroke, front half)."""
        dx, dy = px - gx, py - gy
        u = dx * cr + dy * sr
        v = -dx * sr + dy * cr
        f = (u / orbit_a) ** 2 + (v / orbit_b) ** 2 - 1
        gu, gv = 2 * u / orbit_a**2, 2 * v / orbit_b**2
        dist = abs(f) / max(1e-9, math.hypot(gu, gv))
        return dist <= orbit_w / 2, v >= 0

    def satellite(px, py):
        """Colour of the satellite at a point, or None."""
        if small:
            return None  # drawn pixel by pixel instead, see SMALL_SATELLITE
        # Work in the satellite's own tilted frame.
        dx, dy = px - sat_x, py - sat_y
        u = dx * scr + dy * ssr
        v = -dx * ssr + dy * scr
        body, pw, ph, gap = 0.075, 0.12, 0.075, 0.025  # half body, panel length, half panel, strut
        # Body: a light square with a dark border.
        if abs(u) <= body and abs(v) <= body:
            if abs(u) > body - edge or abs(v) > body - edge:
                return (64, 64, 80)
            return (248, 248, 252) if u + v < 0.0 else (196, 200, 214)
        # Solar panels left and right of the body, joined by a short strut.
        au = abs(u)
        if body < au <= body + gap and abs(v) <= edge * 0.5:
            return (90, 90, 100)
        if body + gap < au <= body + gap + pw and abs(v) <= ph:
            inner_u = au - body - gap
            if inner_u < edge or inner_u > pw - edge or abs(v) > ph - edge:
                return (24, 44, 128)
            if abs(inner_u - pw / 2) < edge * 0.35:
                return (150, 190, 255)
            return (84, 140, 246) if v < 0 else (60, 110, 224)
        return None

    def globe(px, py):
        dx, dy = (px - gx) / gr, (py - gy) / gr
        d2 = dx * dx + dy * dy
        if d2 > 1.0:
            return None
        if math.sqrt(d2) > 1.0 - edge / gr:
            return OUTLINE
        dz = math.sqrt(1.0 - d2)
        h = land_height(dx * 0.9 + 0.2, dy * 0.9 - 0.1, dz, seed=34, scale=1.4 if small else 1.7, sea_level=0.55)
        lit = max(0.0, dx * light[0] + dy * light[1] + dz * light[2])
        shade = 0.62 + 0.5 * lit
        specular = max(0.0, lit - 0.9) * 6.0  # a soft highlight at the upper left
        if h > 0:
            base = (70, 180, 60)
        else:
            base = (36, 120, 228)
        return tuple(min(255, int(c * shade + 255 * specular * 0.5)) for c in base)

    def scene(px, py):
        on_orbit, front = orbit(px, py)
        c = satellite(px, py)
        if c is not None:
            return c + (1.0,)
        if on_orbit and front:
            return ORBIT_GOLD + (1.0,)
        c = globe(px, py)
        if c is not None:
            return c + (1.0,)
        if on_orbit:
            return ORBIT_BACK + (1.0,)
        return (0, 0, 0, 0.0)

    return scene


# At 16 x 16 a drawn satellite blurs into a blob, so it is set by hand:
# two solar panels left and right of a light body, and a feed pointing down.
SMALL_SATELLITE = {
    (9, 1): (84, 140, 246), (10, 1): (84, 140, 246), (11, 1): (248, 248, 252), (12, 1): (248, 248, 252),
    (13, 1): (84, 140, 246), (14, 1): (84, 140, 246),
    (9, 2): (40, 80, 200), (10, 2): (40, 80, 200), (11, 2): (176, 180, 196), (12, 2): (176, 180, 196),
    (13, 2): (40, 80, 200), (14, 2): (40, 80, 200),
    (11, 3): (96, 96, 110),
}


def render(size, ss=6):
    """Renders the icon at size x size with ss x ss samples per pixel.

    Returns rows of (r, g, b) or None for transparent pixels."""
    scene = icon_scene(size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0.0
            for sy in range(ss):
                for sx in range(ss):
                    cr, cg, cb, ca = scene((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a < ss * ss * 0.5:
                row.append(None)
            else:
                row.append((int(r / a + 0.5), int(g / a + 0.5), int(b / a + 0.5)))
        rows.append(row)
    if size == 16:
        for (x, y), c in SMALL_SATELLITE.items():
            rows[y][x] = c
    return rows


def median_cut(colours, limit):
    """A palette of at most limit colours for the given list of (r, g, b)."""
    boxes = [list(colours)]
    while len(boxes) < limit:
        # Split the box with the widest channel range.
        best, best_range, best_ch = None, 0, 0
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_ch])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    pal = []
    for box in boxes:
        n = len(box)
        pal.append(tuple(int(sum(c[ch] for c in box) / n + 0.5) for ch in range(3)))
    return sorted(set(pal))


def icon_image(rows):
    """Encodes one icon image: BITMAPINFOHEADER, 256-entry palette, XOR and AND bitmaps."""
    size = len(rows)
    opaque = [c for row in rows for c in row if c is not None]
    uniq = sorted(set(opaque))
    pal = uniq if len(uniq) <= 255 else median_cut(opaque, 255)
    palette = [(0, 0, 0)] + [c for c in pal if c != (0, 0, 0)]
    palette = palette[:256]
    cache = {}

    def index(c):
        if c not in cache:
            cache[c] = min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], c)))
        return cache[c]

    xor_stride = ((size * 8 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, andm = bytearray(), bytearray()
    for row in reversed(rows):
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                mask[x >> 3] |= 0x80 >> (x & 7)
            else:
                line[x] = index(c)
        xor += line
        andm += mask
    full_pal = palette + [(0, 0, 0)] * (256 - len(palette))
    pal_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in full_pal)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(andm), 0, 0, 256, 0)
    return info + pal_bytes + bytes(xor) + bytes(andm)


def write_ico(path, images):
    """Writes an .ico file from (size, encoded image) pairs."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, "wb") as f:
        f.write(head + entries + blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res")
    write_bmp4(os.path.join(out, "skyplot.bmp"), sky_pixels(), SKY_PALETTE)
    write_ico(os.path.join(out, "app.ico"), [(s, icon_image(render(s))) for s in (32, 16)])


if __name__ == "__main__":
    main()
