#!/usr/bin/env python3
"""Draws the pictures of the widget library and the navigation bar: the
navigation, radio, check-box and survey-radio icons (32x32 and 16x16,
32-bit with alpha) and the 16x16 toolbar strip of the TTLS inner-method menu
(24-bit, magenta where it is transparent).
Run from anywhere: python3 res/tools/make_widget_pictures.py"""
import math
import os
import struct

from make_icons import (Canvas, S, GREEN, YELLOW, ORANGE, RED, GRAY, DARK, WHITE, BLUE,
                        write_ico)

TEAL = (30, 150, 160)
PURPLE = (120, 60, 170)
SKY = (120, 180, 235)
MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)


def icon_profile():
    # A card with a person on it: stored profiles.
    cv = Canvas()
    cv.rect(6, 12, 58, 54, (235, 235, 225))
    cv.frame(6, 12, 58, 54, DARK, 3)
    cv.disc(22, 27, 7, BLUE)
    cv.disc(22, 46, 12, BLUE)
    cv.rect(6, 51, 58, 54, DARK)
    for i in range(3):
        cv.rect(36, 22 + i * 9, 52, 26 + i * 9, GRAY)
    return cv


def icon_network():
    # Radio waves from a mast: the networks in the air.
    cv = Canvas()
    for r0, r1 in ((8, 13), (18, 23), (28, 33)):
        cv.ring(32, 34, r0, r1, BLUE, ymax=30)
    cv.disc(32, 34, 5, DARK)
    cv.line(32, 36, 20, 60, DARK, 5)
    cv.line(32, 36, 44, 60, DARK, 5)
    return cv


def icon_advanced():
    # A gear: settings of the radio.
    cv = Canvas()
    for k in range(8):
        a = k * math.pi / 4
        cv.line(32, 32, 32 + 26 * math.cos(a), 32 + 26 * math.sin(a), GRAY, 9)
    cv.disc(32, 32, 20, GRAY)
    cv.ring(32, 32, 18, 21, DARK)
    cv.disc(32, 32, 8, WHITE)
    cv.ring(32, 32, 7, 9, DARK)
    return cv


def icon_statistics():
    # Bar chart: counters of the link.
    cv = Canvas()
    for i, (h, c) in enumerate(((20, GREEN), (34, YELLOW), (14, ORANGE), (44, BLUE))):
        x0 = 8 + i * 12
        cv.rect(x0, 56 - h, x0 + 9, 56, c)
        cv.frame(x0, 56 - h, x0 + 9, 56, DARK, 2)
    cv.rect(4, 56, 60, 59, DARK)
    cv.rect(4, 6, 7, 59, DARK)
    return cv


def icon_wmm():
    # Three queues of different priority: multimedia.
    cv = Canvas()
    for i, c in enumerate((RED, YELLOW, GREEN)):
        y0 = 10 + i * 16
        cv.rect(8 + i * 8, y0, 56, y0 + 11, c)
        cv.frame(8 + i * 8, y0, 56, y0 + 11, DARK, 2)
    return cv


def icon_wps():
    # A padlock with a push button: protected set-up.
    cv = Canvas()
    cv.ring(32, 26, 11, 17, DARK, ymax=26)
    cv.rect(15, 26, 21, 32, DARK)
    cv.rect(43, 26, 49, 32, DARK)
    cv.rect(8, 30, 56, 60, TEAL)
    cv.frame(8, 30, 56, 60, DARK, 3)
    cv.disc(32, 45, 8, WHITE)
    cv.disc(32, 45, 5, GREEN)
    return cv


def icon_about():
    # An "i" in a circle.
    cv = Canvas()
    cv.disc(32, 32, 29, PURPLE)
    cv.disc(32, 17, 5, WHITE)
    cv.rect(28, 26, 36, 50, WHITE)
    return cv


def icon_radio(on):
    # A power symbol, green when the radio is on, grey when off.
    cv = Canvas()
    c = GREEN if on else GRAY
    cv.disc(32, 32, 29, BLACK)
    cv.ring(32, 34, 13, 19, c)
    cv.rect(26, 6, 38, 20, BLACK)   # the gap of the ring
    cv.rect(29, 8, 35, 34, c)
    return cv


# The check box and the option button are drawn in the middle 18 of 32
# pixels: the survey shows them in 20-pixel buttons, which cut off the rest
# of an icon of its natural size.
def icon_check(checked):
    # A check box; the tick in it when checked.
    cv = Canvas()
    cv.rect(14, 14, 50, 50, WHITE)
    cv.frame(14, 14, 50, 50, DARK, 4)
    if checked:
        cv.line(21, 32, 29, 41, GREEN, 6)
        cv.line(29, 41, 44, 22, GREEN, 6)
    return cv


def icon_option(selected):
    # A round option button; the dot in it when selected.
    cv = Canvas()
    cv.disc(32, 32, 18, WHITE)
    cv.ring(32, 32, 14, 18, DARK)
    if selected:
        cv.disc(32, 32, 8, BLUE)
    return cv


ICONS = {
    'nav_profile.ico': icon_profile,
    'nav_network.ico': icon_network,
    'nav_advanced.ico': icon_advanced,
    'nav_statistics.ico': icon_statistics,
    'nav_wmm.ico': icon_wmm,
    'nav_wps.ico': icon_wps,
    'nav_about.ico': icon_about,
    'radio_on.ico': lambda: icon_radio(True),
    'radio_off.ico': lambda: icon_radio(False),
    'check_on.ico': lambda: icon_check(True),
    'check_off.ico': lambda: icon_check(False),
    'option_on.ico': lambda: icon_option(True),
    'option_off.ico': lambda: icon_option(False),
}


# ---- Toolbar strip: 16x16 images side by side, magenta background ----

def toolbar_strip():
    """Five images for CHAP, MS-CHAP, MS-CHAP-V2, PAP, EAP-MD5."""
    n, size = 5, 16
    px = [[MAGENTA] * (n * size) for _ in range(size)]
    colours = (BLUE, TEAL, GREEN, ORANGE, PURPLE)
    # a key: ring and shaft, one per method, with 1..5 teeth
    for i, c in enumerate(colours):
        x0 = i * size
        for y in range(size):
            for x in range(size):
                d = math.hypot(x - 4.5, y - 7.5)
                if 2.0 <= d <= 3.8:
                    px[y][x0 + x] = c
        for x in range(8, 15):
            px[7][x0 + x] = c
            px[8][x0 + x] = c
        for t in range(i + 1):
            px[9][x0 + 14 - 2 * t] = c
            px[10][x0 + 14 - 2 * t] = c
        px[7][x0 + 4] = DARK
    return px


def write_bmp24(path, px):
    h, w = len(px), len(px[0])
    stride = (w * 3 + 3) & ~3
    rows = b''
    for row in reversed(px):
        line = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in row)
        rows += line + b'\0' * (stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + rows)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    icons = os.path.join(here, '..', 'icons')
    bitmaps = os.path.join(here, '..', 'bitmaps')
    os.makedirs(icons, exist_ok=True)
    os.makedirs(bitmaps, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(icons, name), draw())
        print('wrote', name)
    write_bmp24(os.path.join(bitmaps, 'toolbar_ttls.bmp'), toolbar_strip())
    print('wrote toolbar_ttls.bmp')
