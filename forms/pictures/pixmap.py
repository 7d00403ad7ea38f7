#!/usr/bin/env python3
"""Turns Leafcatch's text pixel maps into a Windows bitmap or icon file.

    pixmap.py bmp IN.txt OUT.bmp    32 x 32, 8 bits per pixel, bottom-up DIB file
    pixmap.py ico IN.txt OUT.ico    icon file: one 32 x 32 image, optionally a
                                    16 x 16 one too, 8 bits per pixel each

Only the Python 3 standard library is used, and the output depends on nothing
but the input, so the same text always gives the same bytes.

The text format
---------------
    # A line starting with '#' is a comment, anywhere in the file.
    base: glyph1.txt        (optional) start from another map, see below
    palette:
    Y #F8E8A0  anything after the colour is a comment
    . transparent           icons only: see-through pixel
    pixels:
    ................................   <- 32 rows of 32 characters
    ...

Each palette line gives one character (any printable character except space,
'#' and '-') and its colour.  Below 'pixels:' every non-empty line is a row:
exactly 32 rows of exactly 32 characters, top row first, and every character
must be in the palette.  An icon file may hold a second 'pixels:' block of
16 rows of 16 characters: the small image for the notification area and the
caption.

'base: FILE' (relative to the map that names it) makes an overlay: the palette
and pixels of FILE come first, the palette lines here add to them, and in the
pixel rows here '-' keeps the base pixel underneath.  The glyph for button 2 is
the glyph for button 1 with another numeral painted over it.

The palette's order is the colour table's order.  Icons put black first: a
transparent pixel is colour 0 (black) with its AND mask bit set, which is what
Windows expects of the two masks.
"""

import os
import struct
import sys

KEEP = '-'          # in an overlay: the base picture's pixel
TRANSPARENT = None  # the palette value of a see-through pixel


class MapError(Exception):
    pass


class PixelMap:
    """A parsed text map: an ordered palette and one or more square images."""

    def __init__(self):
        self.palette = {}   # character -> (r, g, b) or TRANSPARENT, in order
        self.images = []    # lists of row strings


def parse_colour(text, where):
    if text == 'transparent':
        return TRANSPARENT
    if len(text) != 7 or text[0] != '#':
        raise MapError(f'{where}: colour must be #RRGGBB or "transparent", not {text!r}')
    try:
        value = int(text[1:], 16)
    except ValueError:
        raise MapError(f'{where}: {text!r} is not a hexadecimal colour') from None
    return (value >> 16 & 0xFF, value >> 8 & 0xFF, value & 0xFF)


def load(path, seen=()):
    """Reads a map file, following 'base:' to the map it paints over."""
    path = os.path.abspath(path)
    if path in seen:
        raise MapError(f'{path}: "base:" goes round in a circle')
    try:
        with open(path, encoding='utf-8') as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise MapError(f'{path}: cannot read: {e.strerror}') from None

    result = PixelMap()
    base = None
    section = 'header'
    blocks = []         # (line number of 'pixels:', rows)
    for number, raw in enumerate(lines, 1):
        where = f'{path}:{number}'
        line = raw.rstrip()
        if line.lstrip().startswith('#'):
            continue
        if section == 'pixels':
            if line == 'pixels:':
                blocks.append((number, []))
            elif line:
                blocks[-1][1].append((number, line))
            continue
        if not line:
            continue
        if line == 'palette:':
            section = 'palette'
        elif line == 'pixels:':
            section = 'pixels'
            blocks.append((number, []))
        elif line.startswith('base:') and section == 'header':
            if base is not None:
                raise MapError(f'{where}: only one "base:" line is allowed')
            base_path = os.path.join(os.path.dirname(path), line[5:].strip())
            base = load(base_path, seen + (path,))
            result.palette.update(base.palette)
        elif section == 'palette':
            parts = line.split()
            char = line[0]
            if line[0].isspace() or len(parts) < 2 or len(parts[0]) != 1:
                raise MapError(f'{where}: palette line must be "C #RRGGBB" with one character C')
            if char == KEEP:
                raise MapError(f'{where}: {KEEP!r} is kept for overlays and cannot be a colour')
            if char in result.palette:
                raise MapError(f'{where}: character {char!r} is already in the palette')
            result.palette[char] = parse_colour(parts[1], where)
        else:
            raise MapError(f'{where}: expected "palette:" or "pixels:", found {line!r}')

    if not blocks:
        raise MapError(f'{path}: no "pixels:" block')
    for index, (start, rows) in enumerate(blocks):
        if index > 1:
            raise MapError(f'{path}:{start}: at most two "pixels:" blocks (32 x 32, then 16 x 16)')
        size = 32 if index == 0 else 16
        if len(rows) != size:
            raise MapError(f'{path}:{start}: this block needs {size} rows of {size} '
                           f'characters, it has {len(rows)} rows')
        base_rows = None
        if base is not None:
            if index >= len(base.images):
                raise MapError(f'{path}:{start}: the base map has no {size} x {size} image')
            base_rows = base.images[index]
        image = []
        for y, (number, row) in enumerate(rows):
            where = f'{path}:{number}'
            if len(row) != size:
                raise MapError(f'{where}: row has {len(row)} characters, expected {size}')
            out = []
            for x, char in enumerate(row):
                if char == KEEP and base_rows is not None:
                    char = base_rows[y][x]
                elif char not in result.palette:
                    raise MapError(f'{where}: column {x + 1}: character {char!r} '
                                   'is not in the palette')
                out.append(char)
            image.append(''.join(out))
        result.images.append(image)
    return result


def colour_table(pixel_map, transparent_first):
    """Returns (character -> index, 256 RGBQUADs as bytes) in palette order."""
    index = {}
    colours = []
    if transparent_first:
        colours.append((0, 0, 0))
    for char, colour in pixel_map.palette.items():
        if colour is TRANSPARENT:
            index[char] = 0
        else:
            index[char] = len(colours)
            colours.append(colour)
    if len(colours) > 256:
        raise MapError(f'the palette has {len(colours)} colours; 256 at most')
    colours += [(0, 0, 0)] * (256 - len(colours))
    return index, b''.join(struct.pack('<4B', b, g, r, 0) for r, g, b in colours)


def padded(row):
    """Rows of a DIB are padded to a multiple of 4 bytes."""
    return row + b'\0' * (-len(row) % 4)


def xor_pixels(image, index):
    """8-bit pixel rows, bottom row first."""
    return b''.join(padded(bytes(index[c] for c in row)) for row in reversed(image))


def info_header(width, height, image_size):
    # BITMAPINFOHEADER: size, width, height, planes, bits per pixel, BI_RGB,
    # image size, 96 dpi in pixels per metre, 256 colours used, all important.
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, image_size,
                       3780, 3780, 256, 0)


def bmp_file(pixel_map):
    if len(pixel_map.images) != 1:
        raise MapError('a bitmap holds one 32 x 32 image; this map has a 16 x 16 one too')
    if any(colour is TRANSPARENT for colour in pixel_map.palette.values()):
        raise MapError('a bitmap has no transparent pixels: give every character a colour')
    image = pixel_map.images[0]
    index, table = colour_table(pixel_map, transparent_first=False)
    pixels = xor_pixels(image, index)
    header = info_header(32, 32, len(pixels)) + table
    offset = 14 + len(header)
    # BITMAPFILEHEADER: 'BM', file size, two reserved words, offset of the pixels.
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + header + pixels


def and_mask(image, palette):
    """1-bit rows, bottom row first: 1 where the screen shows through."""
    rows = []
    for row in reversed(image):
        bits = bytearray((len(row) + 7) // 8)
        for x, char in enumerate(row):
            if palette[char] is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(padded(bytes(bits)))
    return b''.join(rows)


def ico_file(pixel_map):
    index, table = colour_table(pixel_map, transparent_first=True)
    images = []
    for image in pixel_map.images:
        size = len(image)
        xor = xor_pixels(image, index)
        mask = and_mask(image, pixel_map.palette)
        # In an icon the header's height covers both masks: twice the image.
        images.append(info_header(size, size * 2, len(xor) + len(mask)) + table + xor + mask)
    # ICONDIR: reserved, type 1 = icon, number of images.
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, rows in zip(images, pixel_map.images):
        size = len(rows)
        # ICONDIRENTRY: width, height, colour count (0 for 256), reserved,
        # planes, bits per pixel, bytes in the image, offset of the image.
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    return data + b''.join(images)


def main(argv):
    if len(argv) != 4 or argv[1] not in ('bmp', 'ico'):
        sys.stderr.write('usage: pixmap.py bmp IN.txt OUT.bmp\n'
                         '       pixmap.py ico IN.txt OUT.ico\n')
        return 2
    kind, in_path, out_path = argv[1:]
    try:
        pixel_map = load(in_path)
        data = (bmp_file if kind == 'bmp' else ico_file)(pixel_map)
    except MapError as e:
        sys.stderr.write(f'pixmap.py: {e}\n')
        return 1
    # Write to a temporary name first so that a failed run leaves no half file.
    temp_path = out_path + '.tmp'
    with open(temp_path, 'wb') as f:
        f.write(data)
    os.replace(temp_path, out_path)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
