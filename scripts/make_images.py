#!/usr/bin/env python3
"""Writes the program's icon and the faces of the preview buttons into res/.

The pictures are drawn pixel by pixel in the standard 16-colour palette, so
they look the same on every display depth. Run it again after changing a
picture and commit what it writes; the build only reads the files.
"""
import math
import os
import struct

# The standard 16-colour palette, in the order the system uses for 4-bit DIBs.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, LIGHT_GREY = range(8)
DARK_GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None  # transparent, icons only

BUTTON_WIDTH, BUTTON_HEIGHT = 22, 18


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, left, top, right, bottom, colour):
        """Fills the rectangle, both corners included."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.put(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        self.rect(left, top, right, top, colour)
        self.rect(left, bottom, right, bottom, colour)
        self.rect(left, top, left, bottom, colour)
        self.rect(right, top, right, bottom, colour)


# Button faces ---------------------------------------------------------------

def button_face():
    """A raised button: light grey face, white highlight at top and left, dark
    grey shadow at bottom and right. The bitmap covers most of the small
    preview button, so it brings its own edge."""
    c = Canvas(BUTTON_WIDTH, BUTTON_HEIGHT, LIGHT_GREY)
    right, bottom = BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1
    c.rect(0, 0, right - 1, 0, WHITE)
    c.rect(0, 0, 0, bottom - 1, WHITE)
    c.rect(0, bottom, right, bottom, DARK_GREY)
    c.rect(right, 0, right, bottom, DARK_GREY)
    return c


def play_face():
    c = button_face()
    # Pointing right: 11 rows tall, one pixel wider per row towards the middle.
    left, middle = 8, 8
    for y in range(middle - 5, middle + 6):
        width = 6 - abs(y - middle)
        c.rect(left, y, left + width - 1, y, GREEN)
        c.put(left + width - 1, y, DARK_GREEN)
    c.rect(left, middle - 5, left, middle + 5, DARK_GREEN)
    return c


def pause_face():
    c = button_face()
    for left in (7, 12):
        c.rect(left, 4, left + 2, 13, GREEN)
        c.rect(left + 2, 4, left + 2, 13, DARK_GREEN)
        c.rect(left, 13, left + 2, 13, DARK_GREEN)
    return c


def stop_face():
    c = button_face()
    c.rect(7, 5, 14, 12, RED)
    c.rect(14, 5, 14, 12, DARK_RED)
    c.rect(7, 12, 14, 12, DARK_RED)
    return c


# Icon -----------------------------------------------------------------------

def sine_wave(c, left, right, middle, amplitude, periods, colour):
    """Draws a sine across [left, right] and joins neighbouring samples with
    vertical runs so the line never breaks."""
    previous = None
    span = right - left
    for x in range(left, right + 1):
        y = math.floor(middle - amplitude * math.sin(2 * math.pi * periods * (x - left) / span) + 0.5)
        if previous is None:
            c.put(x, y, colour)
        else:
            step = 1 if y >= previous else -1
            for run in range(previous + step if y != previous else y, y + step, step):
                c.put(x, run, colour)
        previous = y


def arrow(c, left, shaft_end, tip, middle, shaft_half, head_half):
    """A yellow arrow pointing right with a black outline; the head's slopes
    are at 45 degrees so they stay crisp at small sizes."""
    shape = set()
    for x in range(left, shaft_end + 1):
        for y in range(middle - shaft_half, middle + shaft_half + 1):
            shape.add((x, y))
    for x in range(shaft_end, tip + 1):
        half = head_half - (x - shaft_end)
        for y in range(middle - half, middle + half + 1):
            shape.add((x, y))
    for (x, y) in shape:
        for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)):
            if (x + dx, y + dy) not in shape:
                c.put(x + dx, y + dy, BLACK)
    for (x, y) in shape:
        c.put(x, y, YELLOW)


def screen(c, left, top, right, bottom, inset):
    """A small oscilloscope: raised grey bezel with a black outline around a
    black screen."""
    c.rect(left, top, right, bottom, LIGHT_GREY)
    c.frame(left, top, right, bottom, BLACK)
    c.rect(left + 1, top + 1, right - 1, top + 1, WHITE)
    c.rect(left + 1, top + 1, left + 1, bottom - 1, WHITE)
    c.rect(left + 1, bottom - 1, right - 1, bottom - 1, DARK_GREY)
    c.rect(right - 1, top + 1, right - 1, bottom - 1, DARK_GREY)
    c.rect(left + inset, top + inset, right - inset, bottom - inset, BLACK)


def icon_32():
    c = Canvas(32, 32, CLEAR)
    screen(c, 0, 0, 31, 21, 3)
    sine_wave(c, 4, 27, 10.5, 6.5, 1.5, GREEN)
    # The arrow's top outline shares the bezel's bottom line.
    arrow(c, 6, 20, 24, 26, 2, 4)
    return c


def icon_16():
    c = Canvas(16, 16, CLEAR)
    screen(c, 0, 0, 15, 9, 2)
    sine_wave(c, 3, 12, 4.5, 2, 1, GREEN)
    arrow(c, 3, 9, 11, 12, 1, 2)
    return c


def monochrome(c):
    """The 2-colour image: every colour becomes black or white by its
    brightness, so the outlines stay black and the wave and arrow white."""
    m = Canvas(c.width, c.height, CLEAR)
    for y in range(c.height):
        for x in range(c.width):
            colour = c.pixels[y][x]
            if colour is not None:
                r, g, b = PALETTE[colour]
                m.pixels[y][x] = 1 if (r * 299 + g * 587 + b * 114) / 1000 > 140 else 0
    return m


# File formats ---------------------------------------------------------------

def packed_rows(c, bits, value):
    """The pixel rows bottom-up, packed at `bits` per pixel, each row padded
    to a multiple of four bytes as DIBs require."""
    out = bytearray()
    per_byte = 8 // bits
    for y in reversed(range(c.height)):
        row = bytearray()
        for x0 in range(0, c.width, per_byte):
            byte = 0
            for i in range(per_byte):
                x = x0 + i
                v = value(c.pixels[y][x]) if x < c.width else 0
                byte |= v << (8 - bits * (i + 1))
            row.append(byte)
        while len(row) % 4:
            row.append(0)
        out += row
    return bytes(out)


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       image_size, 0, 0, colours, 0)


def bitmap_file(c):
    pixels = packed_rows(c, 4, lambda v: v)
    header = info_header(c.width, c.height, 4, len(pixels), 16) + palette_bytes(PALETTE)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def icon_image(c, bits, colours):
    xor = packed_rows(c, bits, lambda v: 0 if v is None else v)
    mask = packed_rows(c, 1, lambda v: 1 if v is None else 0)
    # An icon's header counts the height of the colour image and the mask.
    header = info_header(c.width, c.height * 2, bits, len(xor) + len(mask), len(colours))
    return header + palette_bytes(colours) + xor + mask


def icon_file(images):
    """images: (canvas, bits per pixel, palette) in directory order."""
    blobs = [icon_image(c, bits, colours) for (c, bits, colours) in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (c, bits, colours), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, len(colours) % 256,
                           0, 1, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    large = icon_32()
    files = {
        "play.bmp": bitmap_file(play_face()),
        "pause.bmp": bitmap_file(pause_face()),
        "stop.bmp": bitmap_file(stop_face()),
        "tonvelka.ico": icon_file([
            (monochrome(large), 1, [PALETTE[BLACK], PALETTE[WHITE]]),
            (large, 4, PALETTE),
            (icon_16(), 4, PALETTE),
        ]),
    }
    for name, data in files.items():
        with open(os.path.join(res, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
