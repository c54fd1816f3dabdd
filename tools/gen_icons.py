#!/usr/bin/env python3
"""Draws the tray icons (16 x 16 and 32 x 32, 32-bit with alpha) and writes
them as .ico files, the password prompt's picture as a 256-colour .bmp, and
the message list's row icons and toolbar picture strip.
Deterministic: the same files on every run.

    gen_icons.py OUTDIR
"""
import math
import os
import struct
import sys

SUPER = 4  # supersampling per axis


def blend(dst, src):
    """src over dst; colours are (r, g, b, a) with a in 0..1."""
    sr, sg, sb, sa = src
    dr, dg, db, da = dst
    a = sa + da * (1 - sa)
    if a == 0:
        return (0, 0, 0, 0)
    return ((sr * sa + dr * da * (1 - sa)) / a, (sg * sa + dg * da * (1 - sa)) / a,
            (sb * sa + db * da * (1 - sa)) / a, a)


class Canvas:
    """Shapes are given in a 0..1 square and rasterised by supersampling."""

    def __init__(self, size):
        self.size = size
        self.n = size * SUPER
        self.px = [[(0, 0, 0, 0)] * self.n for _ in range(self.n)]

    def fill(self, inside, colour):
        for y in range(self.n):
            fy = (y + 0.5) / self.n
            row = self.px[y]
            for x in range(self.n):
                if inside((x + 0.5) / self.n, fy):
                    row[x] = blend(row[x], colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour)

    def line(self, ax, ay, bx, by, width, colour):
        def inside(x, y):
            dx, dy = bx - ax, by - ay
            t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2
        self.fill(inside, colour)

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: math.hypot(x - cx, y - cy) <= r, colour)

    def pixels(self):
        """Downsampled rows, top to bottom, as (r, g, b, a) bytes."""
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SUPER):
                    for sx in range(SUPER):
                        r, g, b, a = self.px[y * SUPER + sy][x * SUPER + sx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                a = acc[3] / (SUPER * SUPER)
                if acc[3]:
                    row.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a * 255)),))
                else:
                    row.append((0, 0, 0, 0))
            out.append(row)
        return out


OUTLINE = (40, 48, 64, 1)
PAPER = (250, 250, 246, 1)
PAPER_DIM = (176, 180, 188, 1)
FLAP = (96, 110, 130, 1)
NEW = (230, 60, 40, 1)
GOLD = (255, 200, 40, 1)


def envelope(c, paper=PAPER, flap=FLAP, outline=OUTLINE):
    c.rect(0.06, 0.22, 0.94, 0.80, outline)
    c.rect(0.12, 0.28, 0.88, 0.74, paper)
    c.line(0.13, 0.29, 0.50, 0.56, 0.07, flap)
    c.line(0.87, 0.29, 0.50, 0.56, 0.07, flap)


def icon_normal(c):
    envelope(c)


def icon_new_mail(c):
    envelope(c, paper=(255, 244, 190, 1))
    c.disc(0.80, 0.24, 0.20, (255, 255, 255, 1))
    c.disc(0.80, 0.24, 0.16, NEW)


def icon_blink_off(c):
    envelope(c, paper=PAPER_DIM, flap=(130, 136, 146, 1), outline=(90, 96, 108, 1))


def icon_paused(c):
    envelope(c, paper=PAPER_DIM)
    c.disc(0.72, 0.68, 0.26, (255, 255, 255, 1))
    c.disc(0.72, 0.68, 0.22, (60, 90, 170, 1))
    c.rect(0.62, 0.56, 0.69, 0.80, (255, 255, 255, 1))
    c.rect(0.75, 0.56, 0.82, 0.80, (255, 255, 255, 1))


def icon_program(c):
    """The program itself: the envelope under a blue badge with a tick."""
    envelope(c)
    c.disc(0.72, 0.68, 0.26, (255, 255, 255, 1))
    c.disc(0.72, 0.68, 0.22, (40, 110, 200, 1))
    c.line(0.61, 0.68, 0.69, 0.77, 0.07, (255, 255, 255, 1))
    c.line(0.69, 0.77, 0.83, 0.58, 0.07, (255, 255, 255, 1))


KEY = (220, 170, 30, 1)
KEY_DARK = (120, 90, 10, 1)


def icon_password(c):
    """The envelope with a key across its corner."""
    envelope(c)
    c.disc(0.70, 0.66, 0.19, KEY_DARK)
    c.disc(0.70, 0.66, 0.14, KEY)
    c.disc(0.70, 0.66, 0.05, PAPER)
    c.line(0.58, 0.76, 0.22, 0.96, 0.09, KEY_DARK)
    c.line(0.58, 0.76, 0.22, 0.96, 0.05, KEY)
    c.line(0.30, 0.92, 0.36, 1.0, 0.05, KEY_DARK)


def polygon(c, points, colour):
    """A filled polygon (even-odd rule) of (x, y) corners."""
    def inside(x, y):
        result = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    c.fill(inside, colour)


SPEAKER = (70, 78, 92, 1)


def speaker(c, colour=SPEAKER):
    c.rect(0.08, 0.36, 0.30, 0.64, colour)
    polygon(c, [(0.26, 0.36), (0.54, 0.12), (0.54, 0.88), (0.26, 0.64)], colour)


def icon_sound_none(c):
    """No sound: a grey speaker, struck through in red."""
    speaker(c, (150, 154, 162, 1))
    c.line(0.62, 0.30, 0.94, 0.70, 0.13, NEW)
    c.line(0.62, 0.70, 0.94, 0.30, 0.13, NEW)


def icon_sound_melody(c):
    """A melody of the PC speaker: two beamed notes."""
    ink = (40, 70, 160, 1)
    c.disc(0.27, 0.78, 0.15, ink)
    c.disc(0.73, 0.68, 0.15, ink)
    c.rect(0.34, 0.18, 0.43, 0.78, ink)
    c.rect(0.80, 0.08, 0.89, 0.68, ink)
    polygon(c, [(0.34, 0.18), (0.89, 0.06), (0.89, 0.26), (0.34, 0.38)], ink)


def icon_sound_midi(c):
    """A MIDI device: piano keys."""
    c.rect(0.04, 0.16, 0.96, 0.86, OUTLINE)
    c.rect(0.09, 0.21, 0.91, 0.81, (255, 255, 255, 1))
    for x in (0.30, 0.50, 0.70):
        c.rect(x - 0.02, 0.21, x + 0.02, 0.81, OUTLINE)
    for x in (0.30, 0.50, 0.70):
        c.rect(x - 0.08, 0.21, x + 0.08, 0.56, OUTLINE)


def icon_sound_wave(c):
    """A WAVE file: a sound wave on a dark panel."""
    c.rect(0.04, 0.14, 0.96, 0.86, OUTLINE)
    c.rect(0.08, 0.18, 0.92, 0.82, (24, 40, 36, 1))
    steps = 24
    points = [(0.12 + 0.76 * i / steps,
               0.50 - 0.24 * math.sin(2 * math.pi * 2 * i / steps) * (1 - abs(i - steps / 2) / steps))
              for i in range(steps + 1)]
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        c.line(ax, ay, bx, by, 0.09, (80, 230, 110, 1))


def bitmap_play(c):
    """The play button's picture: a triangle pointing right."""
    polygon(c, [(0.31, 0.19), (0.75, 0.50), (0.31, 0.81)], (0, 0, 0, 1))


def bitmap_stop(c):
    """The stop button's picture: a square."""
    c.rect(0.25, 0.25, 0.75, 0.75, (0, 0, 0, 1))


CROSS = (200, 30, 30, 1)


def cross(c):
    """The deletion mark: a red cross with a white rim, lower right."""
    c.line(0.50, 0.48, 0.94, 0.92, 0.24, (255, 255, 255, 1))
    c.line(0.50, 0.92, 0.94, 0.48, 0.24, (255, 255, 255, 1))
    c.line(0.54, 0.52, 0.90, 0.88, 0.13, CROSS)
    c.line(0.54, 0.88, 0.90, 0.52, 0.13, CROSS)


def icon_marked(c):
    """A message marked for deletion: the read envelope, crossed."""
    envelope(c)
    cross(c)


def icon_marked_new(c):
    """A new message marked for deletion: the new-mail envelope, crossed."""
    icon_new_mail(c)
    cross(c)


# The message list's toolbar, one 16 x 15 picture per button in toolbar
# order, drawn on 16 x 16 canvases whose last row is dropped.
INK = (0, 0, 0, 1)
BLUE = (20, 70, 190, 1)
GREEN = (20, 140, 40, 1)


def small_envelope(c, y0=0.20, y1=0.78):
    c.rect(0.04, y0, 0.96, y1, OUTLINE)
    c.rect(0.11, y0 + 0.07, 0.89, y1 - 0.07, PAPER)
    c.line(0.12, y0 + 0.08, 0.50, y0 + 0.36, 0.09, FLAP)
    c.line(0.88, y0 + 0.08, 0.50, y0 + 0.36, 0.09, FLAP)


def tool_mailer(c):
    """Start the mail program: an envelope with a green arrow leaving it."""
    small_envelope(c, 0.30, 0.90)
    c.line(0.46, 0.58, 0.86, 0.14, 0.16, GREEN)
    polygon(c, [(0.56, 0.06), (0.98, 0.02), (0.94, 0.44)], GREEN)


def tool_sound_off(c):
    """Stop all sounds: a speaker, struck through."""
    icon_sound_none(c)


def tool_header(c):
    """The header: a page of text lines."""
    c.rect(0.16, 0.02, 0.84, 0.94, INK)
    c.rect(0.23, 0.09, 0.77, 0.87, (255, 255, 255, 1))
    for y in (0.22, 0.38, 0.54, 0.70):
        c.rect(0.30, y, 0.70 if y < 0.6 else 0.55, y + 0.06, BLUE)


def tool_mark(c):
    """Mark for deletion: an envelope, crossed."""
    small_envelope(c, 0.08, 0.66)
    c.line(0.48, 0.50, 0.92, 0.92, 0.15, CROSS)
    c.line(0.48, 0.92, 0.92, 0.50, 0.15, CROSS)


def tool_delete_marked(c):
    """Delete the marked messages: a waste bin."""
    c.rect(0.14, 0.14, 0.86, 0.24, INK)
    c.rect(0.38, 0.06, 0.62, 0.14, INK)
    polygon(c, [(0.20, 0.28), (0.80, 0.28), (0.72, 0.96), (0.28, 0.96)], INK)
    polygon(c, [(0.27, 0.34), (0.73, 0.34), (0.66, 0.90), (0.34, 0.90)], (150, 156, 166, 1))
    for x in (0.40, 0.50, 0.60):
        c.rect(x - 0.03, 0.40, x + 0.03, 0.84, INK)


def tool_check_now(c):
    """Check now: a circular arrow."""
    def ring(x, y):
        r = math.hypot(x - 0.5, y - 0.5)
        a = math.atan2(y - 0.5, x - 0.5)
        return 0.26 <= r <= 0.40 and not (-1.9 < a < -0.9)
    c.fill(ring, GREEN)
    polygon(c, [(0.50, 0.00), (0.78, 0.10), (0.50, 0.32)], GREEN)


def tool_remind_later(c):
    """Remind later: a clock."""
    c.disc(0.50, 0.50, 0.46, INK)
    c.disc(0.50, 0.50, 0.38, (255, 255, 255, 1))
    c.line(0.50, 0.50, 0.50, 0.22, 0.09, INK)
    c.line(0.50, 0.50, 0.72, 0.62, 0.09, INK)


def tool_about(c):
    """About: an information sign."""
    c.disc(0.50, 0.50, 0.46, BLUE)
    c.disc(0.50, 0.27, 0.08, (255, 255, 255, 1))
    c.rect(0.43, 0.42, 0.57, 0.80, (255, 255, 255, 1))


def tool_context_help(c):
    """Context help: the arrow with a question mark."""
    polygon(c, [(0.04, 0.02), (0.04, 0.80), (0.20, 0.64), (0.32, 0.94), (0.42, 0.90),
                (0.30, 0.60), (0.52, 0.60)], INK)
    def hook(x, y):
        r = math.hypot(x - 0.76, y - 0.28)
        a = math.atan2(y - 0.28, x - 0.76)
        return 0.10 <= r <= 0.22 and not (1.2 < a < 2.9)
    c.fill(hook, BLUE)
    c.rect(0.70, 0.46, 0.82, 0.66, BLUE)
    c.rect(0.70, 0.76, 0.82, 0.90, BLUE)


TOOLBAR = [tool_mailer, tool_sound_off, tool_header, tool_mark, tool_delete_marked,
           tool_check_now, tool_remind_later, tool_about, tool_context_help]


def write_strip8(path, draws, width=16, height=15, background=(192, 192, 192)):
    """Pictures side by side as one 256-colour bitmap over silver (the
    button face once mapped); half-transparent edges become background or
    colour."""
    q = lambda v: min(255, (v + 25) // 51 * 51)
    pixels = [[] for _ in range(height)]
    for draw in draws:
        c = Canvas(width)
        draw(c)
        for y, row in enumerate(c.pixels()[:height]):
            pixels[y] += [(q(r), q(g), q(b)) if a >= 128 else background for (r, g, b, a) in row]
    size = len(pixels[0])
    palette = [background]
    for row in pixels:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    index = {colour: i for i, colour in enumerate(palette)}
    stride = (size + 3) // 4 * 4
    data = b"".join(bytes(index[p] for p in row) + bytes(stride - size) for row in reversed(pixels))
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette) + bytes(4 * (256 - len(palette)))
    info = struct.pack("<IiiHHIIiiII", 40, size, height, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(colours)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + info + colours + data)


def icon_frame(k):
    """Checking: a bright dot travels round the envelope, one eighth a frame."""
    def draw(c):
        envelope(c)
        for i in range(8):
            angle = 2 * math.pi * i / 8 - math.pi / 2
            x, y = 0.50 + 0.36 * math.cos(angle), 0.51 + 0.36 * math.sin(angle)
            lag = (k - i) % 8
            if lag < 3:
                c.disc(x, y, 0.14 - 0.03 * lag, (30, 160, 60, 1 - 0.25 * lag))
    return draw


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_bmp8(path, draw, size=32, background=(192, 192, 192)):
    """A 256-colour picture over silver, which the program maps to the
    button face; half-transparent edges become background or colour."""
    write_strip8(path, [draw], width=size, height=size, background=background)


def write_ico(path, draw):
    images = []
    for size in (16, 32):
        c = Canvas(size)
        draw(c)
        images.append((size, bmp_entry(c.pixels())))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    data += b"".join(blob for _, blob in images)
    with open(path, "wb") as f:
        f.write(data)


ICONS = {
    "normal.ico": icon_normal,
    "newmail.ico": icon_new_mail,
    "blinkoff.ico": icon_blink_off,
    "paused.ico": icon_paused,
    "program.ico": icon_program,
    "password.ico": icon_password,
}
for k in range(8):
    ICONS[f"check{k}.ico"] = icon_frame(k)
ICONS["soundnone.ico"] = icon_sound_none
ICONS["soundmelody.ico"] = icon_sound_melody
ICONS["soundmidi.ico"] = icon_sound_midi
ICONS["soundwave.ico"] = icon_sound_wave
ICONS["marked.ico"] = icon_marked
ICONS["markednew.ico"] = icon_marked_new


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(outdir, name), draw)
    write_bmp8(os.path.join(outdir, "password.bmp"), icon_password)
    write_bmp8(os.path.join(outdir, "play.bmp"), bitmap_play, size=16)
    write_bmp8(os.path.join(outdir, "stop.bmp"), bitmap_stop, size=16)
    write_strip8(os.path.join(outdir, "maillist.bmp"), TOOLBAR)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
