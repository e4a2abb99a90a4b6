#!/usr/bin/env python3
"""Writes the launcher's art and the demo game folder's data files.

Pure standard library, deterministic: every run writes the same bytes.

    python3 tools/make_art.py            # writes into the checkout this script lives in
    python3 tools/make_art.py --root DIR # writes below DIR instead

Outputs (relative to the root):
    resources/art/button_<id>.bmp       32 button images, 192 x 45, 24 bits
    resources/art/launcher.ico          icon group: 32x32x4, 32x32x8, 48x48x8, 16x16x4
    resources/art/cursor2.cur           cursor group: 32x32x4, 32x32x8, hotspot at the tip
    demo/Launcher/Resource/BackGround/MainBK.bmp   640 x 480, 24 bits
    demo/Launcher/lsound/mmove.wav, mclick.wav     short mono PCM sounds
    demo/Launcher/ServerList.dat        four servers, one with a Korean name (code page 949)
    demo/Launcher/ReadmeEng.txt, ReadmeHan.txt     the player's readme (Korean in code page 949)
    demo/initdata/profeng.dat, profkor.dat, skirmish.dat   4096 bytes each
    demo/Save/README.txt                keeps the save folder in version control
"""

import argparse
import math
import os
import struct

# ---------------------------------------------------------------------------
# A 5 x 7 bitmap font. Each glyph is seven rows of five columns, '#' = ink.

FONT = {
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'B': ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'F': ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    'G': [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    'H': ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'I': [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    'J': ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    'K': ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'M': ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    'N': ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'Q': [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'V': ["#...#", "#...#", "#...#", ".#.#.", ".#.#.", ".#.#.", "..#.."],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    'Y': ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    'Z': ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '1': ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    '2': [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    '3': ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    '4': ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    '5': ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    '6': [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    '7': ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    '8': [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    '9': [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    '.': [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    '-': [".....", ".....", ".....", ".###.", ".....", ".....", "....."],
    ' ': [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}

GLYPH_W, GLYPH_H, ADVANCE = 5, 7, 6


def text_width(text, scale):
    return (len(text) * ADVANCE - 1) * scale


def draw_text(img, text, x0, y0, scale, colour):
    """Draws text with its top-left corner at (x0, y0) into an RGB image."""
    for n, ch in enumerate(text):
        glyph = FONT[ch]
        gx = x0 + n * ADVANCE * scale
        for row in range(GLYPH_H):
            for col in range(GLYPH_W):
                if glyph[row][col] != '#':
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        img.put(gx + col * scale + dx, y0 + row * scale + dy, colour)


class Image:
    """A top-down RGB image; pixels outside are ignored when written."""

    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]


def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else int(v)


def mix(a, b, t):
    return tuple(clamp(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---------------------------------------------------------------------------
# File writers


def bmp24_bytes(img):
    """A 24-bit bottom-up BMP: file header, 40-byte info header, no colour table."""
    row_size = (img.width * 3 + 3) & ~3
    pad = b'\0' * (row_size - img.width * 3)
    rows = []
    for y in range(img.height - 1, -1, -1):
        line = bytearray()
        for (r, g, b) in img.pixels[y]:
            line += bytes((b, g, r))
        rows.append(bytes(line) + pad)
    data = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, img.width, img.height, 1, 24, 0,
                       len(data), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    return header + info + data


def write_file(root, rel, data):
    path = os.path.join(root, *rel.split('/'))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Buttons

NORMAL, HOVER, PRESSED, DISABLED = 'normal', 'hover', 'pressed', 'disabled'

# (label, base hue, {state: resource id})
BUTTONS = [
    ('INSTALL', (40, 110, 60), {NORMAL: 325, HOVER: 326, PRESSED: 327, DISABLED: 394}),
    ('PLAY', (150, 40, 30), {NORMAL: 329, HOVER: 330, PRESSED: 328, DISABLED: 398}),
    ('CINEMATICS', (90, 50, 130), {NORMAL: 332, HOVER: 333, PRESSED: 331, DISABLED: 395}),
    ('HELP', (30, 90, 140), {NORMAL: 335, HOVER: 336, PRESSED: 334, DISABLED: 392}),
    ('SERVER', (30, 120, 120), {NORMAL: 338, HOVER: 339, PRESSED: 337, DISABLED: 391}),
    ('DIRECTX', (130, 100, 20), {NORMAL: 341, HOVER: 342, PRESSED: 340, DISABLED: 393}),
    ('VIDEO SETUP', (60, 70, 150), {NORMAL: 344, HOVER: 345, PRESSED: 343, DISABLED: 396}),
    ('EXIT', (110, 40, 80), {NORMAL: 374, HOVER: 373, PRESSED: 375, DISABLED: 399}),
]

BUTTON_W, BUTTON_H = 192, 45


def grey(c):
    v = (c[0] * 30 + c[1] * 59 + c[2] * 11) // 100
    return (v, v, v)


def make_button(index, label, hue, state):
    img = Image(BUTTON_W, BUTTON_H)
    W, H = BUTTON_W, BUTTON_H
    if state == HOVER:
        top, bottom = mix(hue, (255, 255, 255), 0.55), mix(hue, (255, 230, 120), 0.25)
    elif state == PRESSED:
        top, bottom = mix(hue, (0, 0, 0), 0.65), mix(hue, (0, 0, 0), 0.35)
    elif state == DISABLED:
        top, bottom = mix((92, 92, 92), hue, 0.2), mix((70, 70, 70), hue, 0.2)
    else:
        top, bottom = mix(hue, (255, 255, 255), 0.25), mix(hue, (0, 0, 0), 0.30)

    # Body: vertical gradient with a faint diagonal weave that differs per button.
    for y in range(H):
        base = mix(top, bottom, y / (H - 1))
        for x in range(W):
            weave = ((x + y * (index + 2)) % (5 + index)) == 0
            c = mix(base, (255, 255, 255), 0.08) if weave else base
            if state == DISABLED and (x + y) % 2 == 0:
                c = mix(c, (40, 40, 40), 0.25)
            img.put(x, y, c)

    # Border: two-pixel bevel, raised or sunk; the outermost ring is a frame.
    light, dark = (235, 235, 220), (20, 20, 25)
    if state == HOVER:
        light, dark = (255, 240, 140), (120, 70, 0)
    elif state == DISABLED:
        light, dark = (150, 150, 150), (45, 45, 45)
    if state == PRESSED:
        light, dark = dark, light
    frame = (0, 0, 0) if state != HOVER else (255, 200, 40)
    for x in range(W):
        img.put(x, 0, frame)
        img.put(x, H - 1, frame)
    for y in range(H):
        img.put(0, y, frame)
        img.put(W - 1, y, frame)
    for ring in (1, 2):
        for x in range(ring, W - ring):
            img.put(x, ring, light)
            img.put(x, H - 1 - ring, dark)
        for y in range(ring, H - ring):
            img.put(ring, y, light)
            img.put(W - 1 - ring, y, dark)

    # Label, centred, with a drop shadow; pressed moves it one pixel down-right.
    scale = 2
    tw, th = text_width(label, scale), GLYPH_H * scale
    tx, ty = (W - tw) // 2, (H - th) // 2
    if state == PRESSED:
        tx, ty = tx + 2, ty + 2
    ink = {NORMAL: (255, 255, 255), HOVER: (40, 20, 0), PRESSED: (200, 200, 170),
           DISABLED: (140, 140, 140)}[state]
    shadow = {NORMAL: (10, 10, 20), HOVER: (255, 250, 200), PRESSED: (0, 0, 0),
              DISABLED: (50, 50, 50)}[state]
    draw_text(img, label, tx + 1, ty + 1, scale, shadow)
    draw_text(img, label, tx, ty, scale, ink)

    # Side markers: a small lamp at the left and right, lit on hover.
    lamp = {NORMAL: mix(hue, (255, 255, 255), 0.6), HOVER: (255, 255, 80),
            PRESSED: mix(hue, (0, 0, 0), 0.2), DISABLED: (110, 110, 110)}[state]
    for cx in (12, W - 13):
        for dy in range(-3, 4):
            for dx in range(-3, 4):
                if dx * dx + dy * dy <= 9:
                    img.put(cx + dx, H // 2 + dy, lamp)
    return img


# ---------------------------------------------------------------------------
# Icon and cursor (ICO / CUR containers of DIB images with AND masks)

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    pal = list(VGA16)
    # 6 x 6 x 6 colour cube, then a grey ramp.
    for r in range(6):
        for g in range(6):
            for b in range(6):
                pal.append((r * 51, g * 51, b * 51))
    while len(pal) < 256:
        v = (len(pal) - 232) * 10 + 8
        pal.append((clamp(v), clamp(v), clamp(v)))
    return pal


PAL256 = palette256()


def nearest(pal, colour):
    best, best_d = 0, None
    for i, p in enumerate(pal):
        d = sum((p[k] - colour[k]) ** 2 for k in range(3))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def dib_image(width, height, bpp, colour_at):
    """Image data of one ICO/CUR entry. colour_at(x, y) gives an RGB tuple or
    None for a transparent pixel. Returns the bytes of info header, palette,
    XOR bits and AND mask."""
    pal = VGA16 if bpp == 4 else PAL256
    cache = {}
    xor_row = ((width * bpp + 31) // 32) * 4
    and_row = ((width + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in range(height - 1, -1, -1):
        indices, mask = [], bytearray(and_row)
        for x in range(width):
            c = colour_at(x, y)
            if c is None:
                indices.append(0)
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                if c not in cache:
                    cache[c] = nearest(pal, c)
                indices.append(cache[c])
        row = bytearray(xor_row)
        if bpp == 4:
            for x, v in enumerate(indices):
                row[x // 2] |= v << (4 if x % 2 == 0 else 0)
        else:
            for x, v in enumerate(indices):
                row[x] = v
        xor_rows.append(bytes(row))
        and_rows.append(bytes(mask))
    xor, andm = b''.join(xor_rows), b''.join(and_rows)
    info = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bpp, 0,
                       len(xor) + len(andm), 0, 0, 0, 0)
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in pal)
    return info + palette + xor + andm


def icon_container(kind, entries):
    """kind 1 = icon, 2 = cursor. entries: (width, height, bpp, data, hotspot)."""
    header = struct.pack('<HHH', 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    directory, blobs = b'', b''
    for (w, h, bpp, data, hot) in entries:
        colours = 16 if bpp == 4 else 0
        if kind == 1:
            f1, f2 = 1, bpp
        else:
            f1, f2 = hot
        directory += struct.pack('<BBBBHHII', w & 255, h & 255, colours, 0, f1, f2,
                                 len(data), offset + len(blobs))
        blobs += data
    return header + directory + blobs


def icon_art(size):
    """A shield with a 'V' on it, transparent around."""
    def at(x, y):
        u, v = (x + 0.5) / size, (y + 0.5) / size
        # Shield outline: straight top half, pointed bottom.
        half = 0.42 if v < 0.55 else 0.42 * (1 - (v - 0.55) / 0.42)
        if v < 0.06 or v > 0.97 or abs(u - 0.5) > half:
            return None
        edge = abs(u - 0.5) > half - 0.07 or v < 0.12
        if edge:
            return (255, 255, 0)
        # The letter V: two strokes meeting at the bottom centre.
        t = (v - 0.2) / 0.55
        if 0 <= t <= 1:
            cx = 0.5 - 0.22 * (1 - t)
            cx2 = 0.5 + 0.22 * (1 - t)
            if abs(u - cx) < 0.07 or abs(u - cx2) < 0.07:
                return (255, 255, 255)
        return (128, 0, 0) if v < 0.55 else (0, 0, 128)
    return at


ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.........X",
    "X..........X",
    "X......XXXXXX",
    "X...X..X",
    "X..XX..X",
    "X.X  X..X",
    "XX   X..X",
    "X     X..X",
    "      X..X",
    "       XX",
]


def cursor_art():
    """An arrow with its tip at (0, 0): black outline, white inside with a
    yellow stripe."""
    def at(x, y):
        if y >= len(ARROW) or x >= len(ARROW[y]) or ARROW[y][x] == ' ':
            return None
        if ARROW[y][x] == 'X':
            return (0, 0, 0)
        return (255, 255, 0) if x == 2 and 3 <= y <= 12 else (255, 255, 255)
    return at


# ---------------------------------------------------------------------------
# Background picture


def make_background():
    W, H = 640, 480
    img = Image(W, H)
    for y in range(H):
        for x in range(W):
            # Dark blue-violet gradient with a per-pixel texture, so that every
            # pixel differs from its neighbours.
            r = 10 + y * 30 // H + ((x * 7 + y * 3) % 11)
            g = 8 + (x * 20 // W) + (((x ^ y) * 5) % 13)
            b = 40 + (x + y) * 60 // (W + H) + ((x * y) % 17)
            img.put(x, y, (r, g, b))
    # A grid of fine bright dots (a star field).
    seed = 12345
    for _ in range(900):
        seed = (seed * 1103515245 + 12345) & 0x7fffffff
        x = seed % W
        seed = (seed * 1103515245 + 12345) & 0x7fffffff
        y = seed % H
        v = 120 + (seed >> 8) % 136
        img.put(x, y, (v, v, clamp(v + 30)))
    # Title.
    title, scale = 'VORN', 14
    tw = text_width(title, scale)
    tx, ty = (W - tw) // 2 + 120, 96
    for (dx, dy, col) in ((4, 4, (0, 0, 0)), (0, 0, None)):
        for n, ch in enumerate(title):
            glyph = FONT[ch]
            gx = tx + dx + n * ADVANCE * scale
            for row in range(GLYPH_H):
                for colm in range(GLYPH_W):
                    if glyph[row][colm] != '#':
                        continue
                    for py in range(scale):
                        for px in range(scale):
                            X, Y = gx + colm * scale + px, ty + dy + row * scale + py
                            if col is not None:
                                img.put(X, Y, col)
                            else:
                                t = (row * scale + py) / (GLYPH_H * scale)
                                c = mix((255, 230, 120), (200, 80, 20), t)
                                if (px == 0 or py == 0):
                                    c = mix(c, (255, 255, 255), 0.5)
                                img.put(X, Y, c)
    sub = 'THE LAUNCHER'
    draw_text(img, sub, tx + (tw - text_width(sub, 3)) // 2, ty + GLYPH_H * scale + 20, 3,
              (180, 190, 230))
    return img


# ---------------------------------------------------------------------------
# Sounds


def wav_bytes(samples, rate):
    data = bytes(samples)
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + \
        b'data' + struct.pack('<I', len(data)) + data
    return b'RIFF' + struct.pack('<I', len(body)) + body


def tone(rate, seconds, freq, decay):
    n = int(rate * seconds)
    out = []
    for i in range(n):
        t = i / rate
        a = math.exp(-t * decay)
        out.append(clamp(128 + round(100 * a * math.sin(2 * math.pi * freq * t))))
    return out


def click(rate, seconds):
    n = int(rate * seconds)
    out, seed = [], 99
    for i in range(n):
        seed = (seed * 1103515245 + 12345) & 0x7fffffff
        noise = ((seed >> 16) % 200) - 100
        a = math.exp(-i / rate * 60)
        square = 60 if (i // 20) % 2 == 0 else -60
        out.append(clamp(128 + round(a * (noise * 0.6 + square))))
    return out


# ---------------------------------------------------------------------------
# Demo data files


def server_list():
    servers = [
        ('Vorn Main Server', '192.168.10.11', 7001, '192.168.10.12', 7101),
        ('\ubcf4\ub978 \uc11c\uc6b8 \uc11c\ubc84', '192.168.20.21', 7002, '192.168.20.22', 7102),
        ('Vorn Europe', 'eu.vorn-game.example', 7003, 'ladder-eu.vorn-game.example', 7103),
        ('Vorn Test Server', '127.0.0.1', 7004, '127.0.0.1', 7104),
    ]
    lines = ['%d' % len(servers)]
    for (name, tcp, tport, ladder, lport) in servers:
        lines += ['#DNS ' + name, '#TCPIP ' + tcp, '#TCPPORT %d' % tport,
                  '#LADDERIP ' + ladder, '#LADDERPORT %d' % lport]
    return ('\r\n'.join(lines) + '\r\n').encode('cp949')


README_ENG = """Vorn - Read Me
==============

Thank you for playing Vorn.

Starting the game
-----------------
1. Start VornLauncher.exe from the game folder.
2. Press VIDEO SETUP once and choose the renderer that suits your graphics
   card: Direct3D for most cards, OpenGL, or OpenGL for Savage cards.
3. Press SERVER and choose the server nearest to you. LIST UPDATE fetches
   the newest list of servers.
4. Press PLAY. The launcher waits in the task bar while you play.

Requirements
------------
- DirectX 7 or later. The DIRECTX button opens the help page.
- A network connection for multiplayer games.

Trouble?
--------
If the game does not start, run VIDEO SETUP again and pick another
renderer. Visit the community site from the HELP button for news,
patches and the ladder rankings.
"""

README_HAN = """\ubcf4\ub978 - \uc77d\uc5b4 \uc8fc\uc138\uc694
====================

\ubcf4\ub978\uc744 \uc990\uaca8 \uc8fc\uc154\uc11c \uac10\uc0ac\ud569\ub2c8\ub2e4.

\uac8c\uc784 \uc2dc\uc791
---------
1. \uac8c\uc784 \ud3f4\ub354\uc5d0\uc11c VornLauncher.exe\ub97c \uc2e4\ud589\ud569\ub2c8\ub2e4.
2. VIDEO SETUP \ubc84\ud2bc\uc744 \ub20c\ub7ec \uadf8\ub798\ud53d \uce74\ub4dc\uc5d0 \ub9de\ub294 \ub80c\ub354\ub7ec\ub97c \uace0\ub985\ub2c8\ub2e4.
3. SERVER \ubc84\ud2bc\uc744 \ub20c\ub7ec \uac00\uae4c\uc6b4 \uc11c\ubc84\ub97c \uace0\ub985\ub2c8\ub2e4.
4. PLAY \ubc84\ud2bc\uc744 \ub204\ub974\uba74 \uac8c\uc784\uc774 \uc2dc\uc791\ub429\ub2c8\ub2e4.

\ud544\uc694 \uc0ac\uc591
---------
- DirectX 7 \uc774\uc0c1
- \uba40\ud2f0\ud50c\ub808\uc774\ub97c \uc704\ud55c \ub124\ud2b8\uc6cc\ud06c \uc5f0\uacb0

\ubb38\uc81c\uac00 \uc788\uc73c\uba74 HELP \ubc84\ud2bc\uc73c\ub85c \ucee4\ubba4\ub2c8\ud2f0 \uc0ac\uc774\ud2b8\ub97c \ubc29\ubb38\ud558\uc138\uc694.
"""


def crlf(text):
    return text.replace('\n', '\r\n')


def pattern_file(tag):
    """4096 bytes: the tag, then a counting pattern, so that a 4-byte stamp
    written at the start stands out."""
    head = tag.encode('ascii')
    body = bytes((i * 7 + 3) & 0xff for i in range(4096 - len(head)))
    return head + body


# ---------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument('--root', default=os.path.dirname(here))
    root = parser.parse_args().root

    for index, (label, hue, ids) in enumerate(BUTTONS):
        for state, rid in ids.items():
            write_file(root, 'resources/art/button_%d.bmp' % rid,
                       bmp24_bytes(make_button(index, label, hue, state)))

    icon = icon_art
    write_file(root, 'resources/art/launcher.ico', icon_container(1, [
        (32, 32, 4, dib_image(32, 32, 4, icon(32)), None),
        (32, 32, 8, dib_image(32, 32, 8, icon(32)), None),
        (48, 48, 8, dib_image(48, 48, 8, icon(48)), None),
        (16, 16, 4, dib_image(16, 16, 4, icon(16)), None),
    ]))
    arrow = cursor_art()
    write_file(root, 'resources/art/cursor2.cur', icon_container(2, [
        (32, 32, 4, dib_image(32, 32, 4, arrow), (0, 0)),
        (32, 32, 8, dib_image(32, 32, 8, arrow), (0, 0)),
    ]))

    write_file(root, 'demo/Launcher/Resource/BackGround/MainBK.bmp',
               bmp24_bytes(make_background()))
    write_file(root, 'demo/Launcher/lsound/mmove.wav', wav_bytes(tone(22050, 0.06, 1320, 40), 22050))
    write_file(root, 'demo/Launcher/lsound/mclick.wav', wav_bytes(click(22050, 0.09), 22050))

    write_file(root, 'demo/Launcher/ServerList.dat', server_list())
    write_file(root, 'demo/Launcher/ReadmeEng.txt', crlf(README_ENG).encode('ascii'))
    write_file(root, 'demo/Launcher/ReadmeHan.txt', crlf(README_HAN).encode('cp949'))
    for name in ('profeng', 'profkor', 'skirmish'):
        write_file(root, 'demo/initdata/%s.dat' % name, pattern_file(name.upper()))
    write_file(root, 'demo/Save/README.txt',
               b'The game keeps its saved state in this folder.\r\n')


if __name__ == '__main__':
    main()
