#!/usr/bin/env python3
"""Draws the pictures of the settings dialogs with the shapes of
gen_icons.py: the check-period icons, the English module's flag, and the toolbar strips of the period
list and of the rules page (16 x 15 images side by side, 256 colours over
silver).
Deterministic: the same files on every run.

    gen_settings_icons.py OUTDIR
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_icons  # noqa: E402
from gen_icons import Canvas, polygon, write_ico, write_strip8 as write_strip  # noqa: E402

FACE = (250, 250, 244, 1)
RIM = (52, 84, 140, 1)
HAND = (30, 30, 30, 1)
PAGE = (255, 255, 255, 1)
RED = (200, 40, 40, 1)
GREEN = (30, 150, 60, 1)


def clock(c, cx=0.5, cy=0.5, r=0.44):
    c.disc(cx, cy, r, RIM)
    c.disc(cx, cy, r * 0.80, FACE)
    c.line(cx, cy, cx, cy - r * 0.60, r * 0.16, HAND)
    c.line(cx, cy, cx + r * 0.45, cy + r * 0.10, r * 0.16, HAND)
    c.disc(cx, cy, r * 0.12, HAND)


def calendar(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, gen_icons.OUTLINE)
    c.rect(x0 + 0.05, y0 + 0.05, x1 - 0.05, y1 - 0.05, PAGE)
    c.rect(x0 + 0.05, y0 + 0.05, x1 - 0.05, y0 + 0.20, RED)
    for row in range(2):
        for col in range(3):
            x = x0 + 0.12 + col * (x1 - x0 - 0.24) / 2.5
            y = y0 + 0.32 + row * 0.18
            c.rect(x, y, x + 0.08, y + 0.08, gen_icons.OUTLINE)


def icon_period(c):
    """One check period: a clock."""
    clock(c)


def icon_period_list(c):
    """The list of periods: a calendar with a clock in front."""
    calendar(c, 0.04, 0.06, 0.74, 0.78)
    clock(c, 0.66, 0.66, 0.31)


def icon_account(c):
    """An account: a person in front of a server box."""
    c.rect(0.46, 0.06, 0.94, 0.70, gen_icons.OUTLINE)
    c.rect(0.50, 0.10, 0.90, 0.66, (170, 180, 196, 1))
    for y in (0.20, 0.34, 0.48):
        c.rect(0.56, y, 0.84, y + 0.06, gen_icons.OUTLINE)
    c.disc(0.32, 0.40, 0.17, (230, 180, 140, 1))
    polygon(c, [(0.04, 0.96), (0.10, 0.66), (0.32, 0.58), (0.54, 0.66), (0.60, 0.96)], RIM)


def button_properties(c):
    """Properties: a page with lines and a pencil."""
    c.rect(0.16, 0.08, 0.72, 0.92, gen_icons.OUTLINE)
    c.rect(0.22, 0.14, 0.66, 0.86, PAGE)
    for y in (0.28, 0.44, 0.60):
        c.rect(0.30, y, 0.58, y + 0.06, gen_icons.OUTLINE)
    c.line(0.52, 0.86, 0.92, 0.40, 0.14, (220, 160, 30, 1))
    polygon(c, [(0.46, 0.94), (0.48, 0.78), (0.58, 0.86)], HAND)


def button_add(c):
    """Add: a clock with a green plus."""
    clock(c, 0.42, 0.44, 0.38)
    c.rect(0.70, 0.52, 0.80, 0.96, GREEN)
    c.rect(0.53, 0.69, 0.97, 0.79, GREEN)


def button_delete(c):
    """Delete: a red cross."""
    c.line(0.18, 0.18, 0.82, 0.82, 0.18, RED)
    c.line(0.18, 0.82, 0.82, 0.18, 0.18, RED)


ARROW = (40, 90, 180, 1)


def button_up(c):
    """Move up: a blue arrow pointing up."""
    polygon(c, [(0.50, 0.04), (0.92, 0.46), (0.66, 0.46), (0.66, 0.90),
                (0.34, 0.90), (0.34, 0.46), (0.08, 0.46)], ARROW)


def button_down(c):
    """Move down: a blue arrow pointing down."""
    polygon(c, [(0.50, 0.90), (0.92, 0.48), (0.66, 0.48), (0.66, 0.04),
                (0.34, 0.04), (0.34, 0.48), (0.08, 0.48)], ARROW)


def button_rule_add(c):
    """Add a rule: a page of lines with a green plus."""
    c.rect(0.06, 0.06, 0.66, 0.86, gen_icons.OUTLINE)
    c.rect(0.12, 0.12, 0.60, 0.80, PAGE)
    for y in (0.24, 0.40, 0.56):
        c.rect(0.20, y, 0.52, y + 0.06, gen_icons.OUTLINE)
    c.rect(0.70, 0.50, 0.82, 0.98, GREEN)
    c.rect(0.52, 0.68, 1.00, 0.80, GREEN)


def icon_russian(c):
    """The built-in Russian interface: the flag."""
    c.rect(0.04, 0.18, 0.96, 0.82, gen_icons.OUTLINE)
    c.rect(0.08, 0.22, 0.92, 0.40, PAGE)
    c.rect(0.08, 0.40, 0.92, 0.60, (40, 70, 180, 1))
    c.rect(0.08, 0.60, 0.92, 0.78, RED)


def icon_english(c):
    """The English language module: the Union flag."""
    blue, white = (30, 50, 130, 1), (255, 255, 255, 1)
    c.rect(0.04, 0.18, 0.96, 0.82, gen_icons.OUTLINE)
    c.rect(0.08, 0.22, 0.92, 0.78, blue)
    for x0, y0, x1, y1 in ((0.12, 0.26, 0.88, 0.74), (0.12, 0.74, 0.88, 0.26)):
        c.line(x0, y0, x1, y1, 0.12, white)
        c.line(x0, y0, x1, y1, 0.04, RED)
    c.rect(0.41, 0.22, 0.59, 0.78, white)
    c.rect(0.08, 0.41, 0.92, 0.59, white)
    c.rect(0.45, 0.22, 0.55, 0.78, RED)
    c.rect(0.08, 0.45, 0.92, 0.55, RED)


def button_account_add(c):
    """Add an account: the account picture with a green plus."""
    c.disc(0.36, 0.30, 0.20, (230, 180, 140, 1))
    polygon(c, [(0.04, 0.96), (0.10, 0.62), (0.36, 0.52), (0.62, 0.62), (0.66, 0.96)], RIM)
    c.rect(0.74, 0.48, 0.86, 0.96, GREEN)
    c.rect(0.56, 0.66, 0.98, 0.78, GREEN)


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    write_ico(os.path.join(outdir, "period.ico"), icon_period)
    write_ico(os.path.join(outdir, "periodlist.ico"), icon_period_list)
    write_ico(os.path.join(outdir, "account.ico"), icon_account)
    write_ico(os.path.join(outdir, "russian.ico"), icon_russian)
    write_ico(os.path.join(outdir, "english.ico"), icon_english)
    # Toolbar order: properties, add, delete.
    write_strip(os.path.join(outdir, "periodlist.bmp"), [button_properties, button_add, button_delete])
    # The rules page's toolbar order: up, down, add, delete.
    write_strip(os.path.join(outdir, "rules.bmp"), [button_up, button_down, button_rule_add, button_delete])
    # Toolbar order: add, delete, properties.
    write_strip(os.path.join(outdir, "accounts.bmp"), [button_account_add, button_delete, button_properties])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
