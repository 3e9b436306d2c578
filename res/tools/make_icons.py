#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (32x32 and 16x16,
32-bit with alpha).  Run from anywhere: python3 res/tools/make_icons.py
Pictures are drawn on a 64x64 canvas and scaled down by averaging."""
import math
import os
import struct

S = 64  # drawing canvas

GREEN = (40, 180, 60)
YELLOW = (235, 190, 30)
ORANGE = (235, 110, 30)
RED = (210, 30, 30)
GRAY = (150, 150, 150)
DARK = (60, 60, 60)
WHITE = (255, 255, 255)
BLUE = (40, 100, 210)


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * S for _ in range(S)]

    def put(self, x, y, c, a=255):
        if 0 <= x < S and 0 <= y < S:
            self.px[y][x] = (c[0], c[1], c[2], a)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c, w=2):
        self.rect(x0, y0, x1, y0 + w, c)
        self.rect(x0, y1 - w, x1, y1, c)
        self.rect(x0, y0, x0 + w, y1, c)
        self.rect(x1 - w, y0, x1, y1, c)

    def disc(self, cx, cy, r, c):
        for y in range(S):
            for x in range(S):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r0, r1, c, ymax=S):
        for y in range(ymax):
            for x in range(S):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r0 <= d <= r1:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, w):
        for y in range(S):
            for x in range(S):
                px, py = x + 0.5, y + 0.5
                dx, dy = x1 - x0, y1 - y0
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / float(dx * dx + dy * dy)))
                if math.hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= w / 2.0:
                    self.put(x, y, c)

    def scaled(self, n):
        f = S // n
        out = []
        for y in range(n):
            row = []
            for x in range(n):
                r = g = b = a = 0
                for yy in range(f):
                    for xx in range(f):
                        pr, pg, pb, pa = self.px[y * f + yy][x * f + xx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                if a:
                    row.append((r // a, g // a, b // a, a // (f * f)))
                else:
                    row.append((0, 0, 0, 0))
            out.append(row)
        return out


def bars(cv, filled, colour):
    """Four rising signal bars; the first `filled` in colour, the rest hollow."""
    for i in range(4):
        x0 = 6 + i * 14
        h = 14 + i * 12
        y0 = 60 - h
        if i < filled:
            cv.rect(x0, y0, x0 + 11, 60, colour)
            cv.frame(x0, y0, x0 + 11, 60, DARK, 2)
        else:
            cv.rect(x0, y0, x0 + 11, 60, (225, 225, 225))
            cv.frame(x0, y0, x0 + 11, 60, GRAY, 2)


def icon_good():
    cv = Canvas()
    bars(cv, 4, GREEN)
    return cv


def icon_normal():
    cv = Canvas()
    bars(cv, 3, YELLOW)
    return cv


def icon_weak():
    cv = Canvas()
    bars(cv, 1, ORANGE)
    return cv


def icon_disconnected():
    # Empty bars crossed out by a red X: no link.
    cv = Canvas()
    bars(cv, 0, GRAY)
    cv.line(30, 6, 58, 34, WHITE, 12)
    cv.line(58, 6, 30, 34, WHITE, 12)
    cv.line(31, 7, 57, 33, RED, 7)
    cv.line(57, 7, 31, 33, RED, 7)
    return cv


def icon_no_adapter():
    # A network card outline with a red "no" sign over it: no adapter.
    cv = Canvas()
    cv.rect(6, 20, 52, 48, (200, 210, 220))
    cv.frame(6, 20, 52, 48, DARK, 3)
    for i in range(5):
        cv.rect(12 + i * 8, 48, 17 + i * 8, 56, (200, 160, 40))
    cv.rect(52, 26, 60, 42, DARK)
    cv.ring(32, 32, 22, 29, RED)
    cv.line(16, 48, 48, 16, RED, 7)
    return cv


def icon_wep_error():
    # A padlock with an exclamation mark: the key does not fit.
    cv = Canvas()
    cv.ring(32, 24, 11, 17, DARK, ymax=24)   # the shackle's arc
    cv.rect(15, 24, 21, 32, DARK)
    cv.rect(43, 24, 49, 32, DARK)
    cv.rect(8, 30, 56, 60, YELLOW)
    cv.frame(8, 30, 56, 60, DARK, 3)
    cv.rect(29, 35, 35, 50, RED)
    cv.rect(29, 53, 35, 57, RED)
    return cv


def icon_message():
    # Information sign for the message box.
    cv = Canvas()
    cv.disc(32, 32, 29, BLUE)
    cv.ring(32, 32, 27, 29.5, (20, 60, 150))
    cv.disc(32, 17, 5, WHITE)
    cv.rect(27, 26, 37, 50, WHITE)
    cv.rect(23, 46, 41, 51, WHITE)
    cv.rect(23, 26, 32, 30, WHITE)
    return cv


def ico_entry(pixels):
    n = len(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('BBBB', b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_ico(path, cv):
    images = [ico_entry(cv.scaled(n)) for n in (32, 16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


ICONS = {
    'state_good.ico': icon_good,
    'state_normal.ico': icon_normal,
    'state_weak.ico': icon_weak,
    'state_disconnected.ico': icon_disconnected,
    'state_no_adapter.ico': icon_no_adapter,
    'state_wep_error.ico': icon_wep_error,
    'message.ico': icon_message,
}

if __name__ == '__main__':
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'icons')
    os.makedirs(folder, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(folder, name), draw())
        print('wrote', name)
