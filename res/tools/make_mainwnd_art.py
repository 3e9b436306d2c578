#!/usr/bin/env python3
"""Draws the profile list's image strip (bitmap 167).
Run from anywhere: python3 res/tools/make_mainwnd_art.py"""
import os
import struct

from make_icons import GREEN, DARK, BLUE

NAVY = (30, 60, 130)
TEAL = (20, 140, 150)
PURPLE = (120, 60, 170)
LIGHT = (230, 236, 245)


def resample(cv, n):
    """Area average of the 64x64 canvas into n x n (any n)."""
    out = []
    for y in range(n):
        row = []
        y0, y1 = y * S / n, (y + 1) * S / n
        for x in range(n):
            x0, x1 = x * S / n, (x + 1) * S / n
            r = g = b = a = cnt = 0
            for yy in range(int(y0), min(S, int(y1 + 0.999))):
                for xx in range(int(x0), min(S, int(x1 + 0.999))):
                    pr, pg, pb, pa = cv.px[yy][xx]
                    r += pr * pa
                    g += pg * pa
                    b += pb * pa
                    a += pa
                    cnt += 1
            row.append((r // a, g // a, b // a, a // cnt) if a else (0, 0, 0, 0))
        out.append(row)
    return out


def write_ico_sizes(path, cv, sizes):
    images = [ico_entry(resample(cv, n)) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


# ---- The profile list's image strip (bitmap 167) ---------------------------------
# 16 x 16 images on white (the mask colour): 0 ad hoc, 1 infrastructure,
# 2 "a", 3 "b", 4 "g", 5 secured, 6 connected, 7 not connected, 8 WPS, 9 "n".

GLYPHS = {
    'a': ["0110", "0001", "0111", "1001", "0111"],
    'b': ["1000", "1000", "1110", "1001", "1001", "1110"],
    'g': ["0111", "1001", "1001", "0111", "0001", "0110"],
    'n': ["1110", "1001", "1001", "1001", "1001"],
}


def strip_images():
    imgs = []

    def blank():
        return [[(255, 255, 255)] * 16 for _ in range(16)]

    def box(im, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                im[y][x] = c

    def screen(im, x0, y0):
        box(im, x0, y0, x0 + 6, y0 + 5, DARK)
        box(im, x0 + 1, y0 + 1, x0 + 5, y0 + 4, (120, 180, 240))
        box(im, x0 + 2, y0 + 5, x0 + 4, y0 + 6, DARK)
        box(im, x0, y0 + 6, x0 + 6, y0 + 7, DARK)

    im = blank()                         # 0 ad hoc: two computers side by side
    screen(im, 1, 4)
    screen(im, 9, 4)
    box(im, 7, 7, 9, 8, BLUE)
    imgs.append(im)

    im = blank()                         # 1 infrastructure: access point with aerials
    box(im, 2, 9, 14, 13, DARK)
    box(im, 3, 10, 13, 12, (120, 130, 140))
    box(im, 4, 3, 5, 9, DARK)
    box(im, 11, 3, 12, 9, DARK)
    box(im, 6, 11, 7, 12, GREEN)
    imgs.append(im)

    for ch in 'abg':                     # 2-4 letters
        im = blank()
        g = GLYPHS[ch]
        for y, row in enumerate(g):
            for x, bit in enumerate(row):
                if bit == '1':
                    box(im, 4 + x * 2, 2 + y * 2, 6 + x * 2, 4 + y * 2, NAVY)
        imgs.append(im)

    im = blank()                         # 5 secured: padlock
    box(im, 5, 2, 11, 3, DARK)
    box(im, 4, 3, 5, 7, DARK)
    box(im, 11, 3, 12, 7, DARK)
    box(im, 3, 7, 13, 14, (220, 170, 30))
    box(im, 7, 9, 9, 12, DARK)
    imgs.append(im)

    im = blank()                         # 6 connected: green disc
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 30:
                im[y][x] = (30, 170, 50)
    box(im, 5, 7, 7, 9, (250, 250, 250))
    box(im, 7, 9, 9, 10, (250, 250, 250))
    box(im, 9, 5, 11, 9, (250, 250, 250))
    imgs.append(im)

    im = blank()                         # 7 in use, not connected: grey disc with a red bar
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 30:
                im[y][x] = (160, 160, 160)
    box(im, 4, 7, 12, 9, (200, 30, 30))
    imgs.append(im)

    im = blank()                         # 8 WPS: small green push button
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 36:
                im[y][x] = (40, 140, 70)
    box(im, 7, 3, 9, 9, (250, 250, 250))
    imgs.append(im)

    im = blank()                         # 9 "n"
    for y, row in enumerate(GLYPHS['n']):
        for x, bit in enumerate(row):
            if bit == '1':
                box(im, 4 + x * 2, 4 + y * 2, 6 + x * 2, 6 + y * 2, PURPLE)
    imgs.append(im)
    return imgs


def write_strip(path, imgs):
    w, h = 16 * len(imgs), 16
    stride = (w * 3 + 3) // 4 * 4
    rows = b''
    for y in reversed(range(h)):
        row = bytearray()
        for im in imgs:
            for x in range(16):
                r, g, b = im[y][x]
                row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += bytes(row)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + rows)


if __name__ == '__main__':
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'icons')
    os.makedirs(folder, exist_ok=True)
    write_strip(os.path.join(folder, 'profile_list.bmp'), strip_images())
    print('wrote profile_list.bmp')
