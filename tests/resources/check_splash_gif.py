#!/usr/bin/python3
"""Checks the splash picture's bytes: the splash window relies on a plain,
single-frame, non-interlaced GIF89a with a full colour table, no transparency,
and the window's background colour behind the drawing.

Usage: check_splash_gif.py PATH_TO_GIF
"""

import struct
import sys

from checklib import Failed, ok, require

WIDTH, HEIGHT = 484, 493
BACK = (192, 192, 255)


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n, what):
        require(
            self.pos + n <= len(self.data), "file ends inside %s (offset %d)" % (what, self.pos)
        )
        chunk = self.data[self.pos : self.pos + n]
        self.pos += n
        return chunk

    def byte(self, what):
        return self.take(1, what)[0]

    def sub_blocks(self, what):
        out = bytearray()
        while True:
            n = self.byte(what)
            if n == 0:
                return bytes(out)
            out += self.take(n, what)


def lzw_decode(data, min_code_size, count):
    """Plain GIF LZW decoder; kept independent of the writer on purpose."""
    require(2 <= min_code_size <= 8, "LZW minimum code size %d is invalid" % min_code_size)
    clear = 1 << min_code_size
    eoi = clear + 1
    bitpos = 0
    total_bits = len(data) * 8
    out = bytearray()
    table = None
    size = min_code_size + 1
    prev = None

    def reset():
        return [bytes([i]) for i in range(clear)] + [b"", b""]

    table = reset()
    while True:
        require(bitpos + size <= total_bits, "LZW data ends without an end-of-information code")
        code = 0
        for i in range(size):
            bit = (data[(bitpos + i) >> 3] >> ((bitpos + i) & 7)) & 1
            code |= bit << i
        bitpos += size
        if code == clear:
            table = reset()
            size = min_code_size + 1
            prev = None
            continue
        if code == eoi:
            break
        if prev is None:
            require(code < clear, "LZW code %d right after a clear code" % code)
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            if len(table) < 4096:
                table.append(prev + entry[:1])
        else:
            require(code == len(table), "LZW code %d is beyond the table (%d)" % (code, len(table)))
            entry = prev + prev[:1]
            table.append(entry)
        out += entry
        prev = entry
        if len(table) >= (1 << size) and size < 12:
            size += 1
    require(len(out) == count, "image data holds %d pixels, expected %d" % (len(out), count))
    return bytes(out)


def check(path):
    with open(path, "rb") as f:
        data = f.read()
    r = Reader(data)

    require(r.take(6, "header") == b"GIF89a", "signature is not GIF89a")
    ok("signature GIF89a")

    width, height, packed, background, _aspect = struct.unpack(
        "<HHBBB", r.take(7, "logical screen descriptor")
    )
    require(
        (width, height) == (WIDTH, HEIGHT),
        "logical screen is %dx%d, expected %dx%d" % (width, height, WIDTH, HEIGHT),
    )
    ok("logical screen %dx%d" % (width, height))

    require(packed & 0x80, "no global colour table")
    entries = 2 << (packed & 0x07)
    require(entries == 256, "global colour table has %d entries, expected 256" % entries)
    table = r.take(3 * entries, "global colour table")
    palette = [tuple(table[i : i + 3]) for i in range(0, len(table), 3)]
    ok("global colour table of 256 entries")

    require(
        palette[background] == BACK,
        "background index %d is colour %s, expected %s" % (background, palette[background], BACK),
    )
    ok("background index %d is %s" % (background, BACK))

    frames = []
    while True:
        introducer = r.byte("block introducer")
        if introducer == 0x3B:
            break
        if introducer == 0x21:
            label = r.byte("extension label")
            body = r.sub_blocks("extension")
            if label == 0xF9:
                require(len(body) >= 1, "graphic control extension is empty")
                require(
                    not (body[0] & 0x01), "a graphic control extension sets the transparency flag"
                )
            continue
        require(
            introducer == 0x2C, "unexpected block 0x%02X at offset %d" % (introducer, r.pos - 1)
        )
        left, top, w, h, flags = struct.unpack("<HHHHB", r.take(9, "image descriptor"))
        frame_palette = palette
        if flags & 0x80:
            n = 2 << (flags & 0x07)
            raw = r.take(3 * n, "local colour table")
            frame_palette = [tuple(raw[i : i + 3]) for i in range(0, len(raw), 3)]
        min_code_size = r.byte("LZW minimum code size")
        lzw = r.sub_blocks("image data")
        frames.append((left, top, w, h, flags, frame_palette, min_code_size, lzw))
    require(r.pos == len(data), "%d bytes after the trailer" % (len(data) - r.pos))
    ok("no transparency flag set")
    ok("trailer present")

    require(len(frames) == 1, "%d image descriptors, expected 1" % len(frames))
    left, top, w, h, flags, frame_palette, min_code_size, lzw = frames[0]
    require(
        (left, top, w, h) == (0, 0, WIDTH, HEIGHT),
        "the frame is %dx%d at (%d,%d), expected the whole screen" % (w, h, left, top),
    )
    require(not (flags & 0x40), "the frame is interlaced")
    ok("one frame, %dx%d, not interlaced" % (w, h))

    pixels = lzw_decode(lzw, min_code_size, w * h)
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        index = pixels[y * w + x]
        require(
            index < len(frame_palette),
            "pixel (%d,%d) has index %d outside the table" % (x, y, index),
        )
        colour = frame_palette[index]
        require(colour == BACK, "pixel (%d,%d) is %s, expected %s" % (x, y, colour, BACK))
    ok("pixel (0,0) and the corners are %s" % (BACK,))
    require(len(set(pixels)) > 1, "the picture is blank")
    ok("picture has content (%d colours used)" % len(set(pixels)))


def main(argv):
    if len(argv) != 2:
        print("usage: check_splash_gif.py PATH_TO_GIF", file=sys.stderr)
        return 2
    try:
        check(argv[1])
    except Failed as e:
        print("FAILED: %s: %s" % (argv[1], e), file=sys.stderr)
        return 1
    except OSError as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    print("all checks passed: " + argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
