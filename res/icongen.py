#!/usr/bin/env python3
"""Writes a Windows icon (.ico) from a text source.

    icongen.py SOURCE.txt OUTPUT.ico
    icongen.py SOURCE.txt OUTPUT.bmp   (the first image, for the help pages)

A source is either pixel art or a small vector drawing:

  Pixel art (one 16-colour image): "colour C NAME" lines give a character a
  colour of the standard 16-colour palette; the image rows follow, one
  character per pixel, "." for transparent. Written at 4 bits per pixel.

  Vector drawing (several sizes): "canvas N" sets the drawing's coordinate
  range, "sizes A B ..." the images to write (24 bits per pixel), then
  "circle CX CY R #RRGGBB" and "polygon #RRGGBB X1 Y1 X2 Y2 ..." are painted
  in order. Each image is sampled 8x8 per pixel: a pixel is opaque when at
  least half its samples are covered, and takes the mean colour of them.

A .bmp output holds the first image at 24 bits per pixel, transparent pixels
white (the help pages' background). Lines starting with "#" are comments. The
output depends only on the source, byte for byte.
"""
import struct
import sys

PALETTE = [
    ("black", (0x00, 0x00, 0x00)), ("maroon", (0x80, 0x00, 0x00)),
    ("green", (0x00, 0x80, 0x00)), ("olive", (0x80, 0x80, 0x00)),
    ("navy", (0x00, 0x00, 0x80)), ("purple", (0x80, 0x00, 0x80)),
    ("teal", (0x00, 0x80, 0x80)), ("silver", (0xC0, 0xC0, 0xC0)),
    ("gray", (0x80, 0x80, 0x80)), ("red", (0xFF, 0x00, 0x00)),
    ("lime", (0x00, 0xFF, 0x00)), ("yellow", (0xFF, 0xFF, 0x00)),
    ("blue", (0x00, 0x00, 0xFF)), ("fuchsia", (0xFF, 0x00, 0xFF)),
    ("aqua", (0x00, 0xFF, 0xFF)), ("white", (0xFF, 0xFF, 0xFF)),
]
PALETTE_INDEX = {name: i for i, (name, _) in enumerate(PALETTE)}
SUPERSAMPLE = 8


class SourceError(Exception):
    pass


def row_bytes(width, bpp):
    """Bytes of one bitmap row, padded to a 4-byte boundary."""
    return (width * bpp + 31) // 32 * 4


def mask_bits(pixels, width, height):
    """The AND mask, bottom-up: 1 where the pixel is transparent."""
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(row_bytes(width, 1))
        for x in range(width):
            if pixels[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def image_4bpp(pixels, width, height):
    """Header, palette, colour bits and mask of a 16-colour image; transparent
    pixels are black in the colour bits so that the mask alone hides them."""
    xor = bytearray()
    for y in reversed(range(height)):
        row = bytearray(row_bytes(width, 4))
        for x in range(width):
            index = pixels[y][x] or 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += row
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    return header(width, height, 4, len(xor)) + palette + bytes(xor) + mask_bits(pixels, width, height)


def bits_24bpp(pixels, width, height):
    """Colour bits, bottom-up; transparent pixels black."""
    xor = bytearray()
    for y in reversed(range(height)):
        row = bytearray(row_bytes(width, 24))
        for x in range(width):
            r, g, b = pixels[y][x] or (0, 0, 0)
            row[3 * x:3 * x + 3] = bytes((b, g, r))
        xor += row
    return bytes(xor)


def image_24bpp(pixels, width, height):
    xor = bits_24bpp(pixels, width, height)
    return header(width, height, 24, len(xor)) + xor + mask_bits(pixels, width, height)


def header(width, height, bpp, xor_size):
    mask_size = row_bytes(width, 1) * height
    # An icon's BITMAPINFOHEADER counts the colour bits and the mask: twice the height.
    return struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bpp, 0,
                       xor_size + mask_size, 0, 0, 0, 0)


def ico(images):
    """images: list of (width, height, bpp, image bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, bpp, data in images:
        colours = 1 << bpp if bpp < 8 else 0
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0, 1, bpp,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for *_, data in images)


def parse_colour(text, line_no):
    if text.startswith("#") and len(text) == 7:
        try:
            return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))
        except ValueError:
            pass
    raise SourceError(f"line {line_no}: bad colour {text!r}")


def pixel_art(lines):
    colours = {".": None}
    rows = []
    for line_no, words, line in lines:
        if words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
            if words[2] not in PALETTE_INDEX:
                raise SourceError(f"line {line_no}: {words[2]!r} is not a palette colour")
            colours[words[1]] = PALETTE_INDEX[words[2]]
        else:
            unknown = set(line) - set(colours)
            if unknown:
                raise SourceError(f"line {line_no}: undefined colour {''.join(sorted(unknown))!r}")
            rows.append([colours[c] for c in line])
    if not rows or any(len(r) != len(rows) for r in rows) or len(rows) > 256:
        raise SourceError("pixel art must be a square of at most 256 rows")
    return [(len(rows), rows, 4)]


def inside_polygon(points, x, y):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def vector_drawing(lines):
    canvas, sizes, shapes = None, [], []
    for line_no, words, _ in lines:
        try:
            if words[0] == "canvas" and len(words) == 2:
                canvas = float(words[1])
            elif words[0] == "sizes" and len(words) > 1:
                sizes = [int(w) for w in words[1:]]
            elif words[0] == "circle" and len(words) == 5:
                cx, cy, r = (float(w) for w in words[1:4])
                colour = parse_colour(words[4], line_no)
                shapes.append((colour, lambda x, y, cx=cx, cy=cy, r=r:
                               (x - cx) ** 2 + (y - cy) ** 2 <= r * r))
            elif words[0] == "polygon" and len(words) >= 8 and len(words) % 2 == 0:
                colour = parse_colour(words[1], line_no)
                coords = [float(w) for w in words[2:]]
                points = list(zip(coords[0::2], coords[1::2]))
                shapes.append((colour, lambda x, y, p=points: inside_polygon(p, x, y)))
            else:
                raise SourceError(f"line {line_no}: cannot read {' '.join(words)!r}")
        except ValueError:
            raise SourceError(f"line {line_no}: bad number in {' '.join(words)!r}")
    if not canvas or not sizes or not shapes or any(not 0 < s <= 256 for s in sizes):
        raise SourceError("a drawing needs a canvas, sizes up to 256 and shapes")
    images = []
    for size in sizes:
        pixels = [[sample(shapes, canvas / size, x, y) for x in range(size)] for y in range(size)]
        images.append((size, pixels, 24))
    return images


def sample(shapes, scale, px, py):
    """The colour of pixel (px, py), or None when it is transparent."""
    covered, total = 0, [0, 0, 0]
    for sy in range(SUPERSAMPLE):
        for sx in range(SUPERSAMPLE):
            x = (px + (sx + 0.5) / SUPERSAMPLE) * scale
            y = (py + (sy + 0.5) / SUPERSAMPLE) * scale
            colour = None
            for shape_colour, contains in shapes:
                if contains(x, y):
                    colour = shape_colour
            if colour is not None:
                covered += 1
                total = [t + c for t, c in zip(total, colour)]
    if 2 * covered < SUPERSAMPLE * SUPERSAMPLE:
        return None
    return tuple((t + covered // 2) // covered for t in total)


def convert(text):
    lines = []
    for line_no, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if line and not line.startswith("#"):
            lines.append((line_no, line.split(), line))
    if not lines:
        raise SourceError("empty source")
    vector = lines[0][1][0] in ("canvas", "sizes")
    return vector_drawing(lines) if vector else pixel_art(lines)


def ico_of(images):
    encode = {4: image_4bpp, 24: image_24bpp}
    return ico([(size, size, bpp, encode[bpp](pixels, size, size)) for size, pixels, bpp in images])


def bmp_of(images):
    size, pixels, bpp = images[0]
    white = (0xFF, 0xFF, 0xFF)
    if bpp == 4:
        pixels = [[white if p is None else PALETTE[p][1] for p in row] for row in pixels]
    bits = bits_24bpp([[p or white for p in row] for row in pixels], size, size)
    # File header, then a plain BITMAPINFOHEADER at 72 dpi.
    return struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54) + \
        struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(bits), 2835, 2835, 0, 0) + bits


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: icongen.py SOURCE.txt OUTPUT.ico|OUTPUT.bmp\n")
        return 2
    try:
        with open(argv[1], encoding="utf-8") as f:
            images = convert(f.read())
    except (OSError, SourceError) as e:
        sys.stderr.write(f"{argv[1]}: {e}\n")
        return 1
    with open(argv[2], "wb") as f:
        f.write(bmp_of(images) if argv[2].endswith(".bmp") else ico_of(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
