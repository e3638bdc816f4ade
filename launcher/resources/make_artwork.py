#!/usr/bin/python3
# Regenerates the splash picture and the application icon in this directory:
#     /usr/bin/python3 launcher/resources/make_artwork.py
# Output is deterministic (fixed palette, own GIF writer, no time stamps); commit the results.
"""Draws splash.gif, icon30001.bin, icongroup1.bin and app.ico."""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

SPLASH_SIZE = (484, 493)
ICON_SIZE = 32
ICON_RES_ID = 30001

BACK = (192, 192, 255)  # the splash window paints this colour too
NAVY = (16, 24, 96)
INK = (32, 32, 48)
GREY_DARK = (64, 64, 72)
GREY = (128, 128, 136)
GREY_LIGHT = (200, 200, 208)
SILVER = (224, 224, 232)
WHITE = (255, 255, 255)
SCREEN = (40, 72, 152)
SCREEN_TEXT = (200, 224, 255)
MODEM = (48, 56, 72)
MODEM_FACE = (72, 84, 104)
LED_GREEN = (64, 224, 64)
LED_AMBER = (255, 176, 0)
CABLE = (24, 24, 24)
BUBBLE = (255, 255, 240)

FONT_DIR = "/usr/share/fonts/truetype/dejavu"


def font(name, size):
    path = os.path.join(FONT_DIR, name)
    if os.path.exists(path):
        return ImageFont.truetype(path, size)
    # Without DejaVu the output is still deterministic, only plainer.
    try:
        return ImageFont.load_default(size)
    except TypeError:
        return ImageFont.load_default()


# ---------------------------------------------------------------- palette


def build_palette():
    """256 fixed colours: background first (index 0), the drawing colours,
    anti-aliasing ramps for the text, then a colour cube to fill up."""
    colours = [BACK]

    def add(c):
        if c not in colours and len(colours) < 256:
            colours.append(c)

    for c in (
        NAVY,
        INK,
        GREY_DARK,
        GREY,
        GREY_LIGHT,
        SILVER,
        WHITE,
        SCREEN,
        SCREEN_TEXT,
        MODEM,
        MODEM_FACE,
        LED_GREEN,
        LED_AMBER,
        CABLE,
        BUBBLE,
    ):
        add(c)
    for fg, bg in (
        (NAVY, BACK),
        (INK, BACK),
        (SCREEN_TEXT, SCREEN),
        (NAVY, BUBBLE),
        (WHITE, MODEM_FACE),
    ):
        for step in range(1, 12):
            t = step / 12.0
            add(tuple(int(round(bg[i] + (fg[i] - bg[i]) * t)) for i in range(3)))
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                add((r, g, b))
    grey = 8
    while len(colours) < 256:
        add((grey, grey, grey))
        grey += 16
    assert len(colours) == 256
    return colours


def to_indexed(rgb, palette):
    """Nearest-colour mapping done here rather than by PIL, so that exact
    palette colours (above all the background) always keep their index."""
    cache = {}
    for _, colour in rgb.getcolors(rgb.size[0] * rgb.size[1]):
        best, best_d = 0, None
        for i, p in enumerate(palette):
            d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + (p[2] - colour[2]) ** 2
            if best_d is None or d < best_d:
                best, best_d = i, d
                if d == 0:
                    break
        cache[colour] = best
    out = Image.new("P", rgb.size)
    out.putpalette([v for c in palette for v in c])
    out.putdata([cache[c] for c in rgb.getdata()])
    return out


# ---------------------------------------------------------------- GIF writer


def lzw_encode(indices, min_code_size=8):
    clear = 1 << min_code_size
    eoi = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, eoi + 1, min_code_size + 1

    table, next_code, size = reset()
    emit(clear, size)
    prefix = b""
    for v in indices:
        candidate = prefix + bytes([v])
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], size)
        table[candidate] = next_code
        next_code += 1
        # The decoder adds its entries one code later, hence '>' and not '>='.
        if next_code > (1 << size) and size < 12:
            size += 1
        if next_code == 4096:
            emit(clear, size)
            table, next_code, size = reset()
        prefix = bytes([v])
    if prefix:
        emit(table[prefix], size)
    emit(eoi, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def write_gif(path, image, palette):
    """GIF89a, one frame, not interlaced, full 256-entry global table, no
    extensions at all (so no transparency), background index 0."""
    w, h = image.size
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", w, h, 0xF7, 0, 0)
    for c in palette:
        data += bytes(c)
    data += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
    data.append(8)
    lzw = lzw_encode(image.getdata())
    for i in range(0, len(lzw), 255):
        chunk = lzw[i : i + 255]
        data.append(len(chunk))
        data += chunk
    data.append(0)
    data.append(0x3B)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- drawing


def centred_text(draw, y, text, fnt, fill, width):
    left, top, right, bottom = draw.textbbox((0, 0), text, font=fnt)
    draw.text(((width - (right - left)) // 2 - left, y), text, font=fnt, fill=fill)
    return bottom - top


def fitting_font(draw, name, size, text, max_width):
    while size > 8:
        fnt = font(name, size)
        left, _, right, _ = draw.textbbox((0, 0), text, font=fnt)
        if right - left <= max_width:
            return fnt
        size -= 1
    return font(name, size)


def draw_notebook(d, x, y):
    """Open notebook, lid at (x, y), 200 px wide."""
    # Lid and display.
    d.rounded_rectangle((x, y, x + 200, y + 132), radius=8, fill=GREY_DARK, outline=INK, width=2)
    d.rectangle((x + 12, y + 12, x + 188, y + 120), fill=SCREEN)
    small = font("DejaVuSans.ttf", 11)
    d.text((x + 22, y + 20), "SMS Server", font=font("DejaVuSans-Bold.ttf", 13), fill=SCREEN_TEXT)
    for i, line in enumerate(
        ("> +49 170 000001  OK", "> +49 170 000002  OK", "> +49 170 000003  sent")
    ):
        d.text((x + 22, y + 44 + i * 16), line, font=small, fill=SCREEN_TEXT)
    d.rectangle((x + 22, y + 96, x + 120, y + 104), fill=SCREEN_TEXT)
    # Base with keyboard, drawn in perspective.
    base = [(x - 4, y + 134), (x + 204, y + 134), (x + 232, y + 178), (x - 32, y + 178)]
    d.polygon(base, fill=SILVER, outline=INK)
    d.rectangle((x - 32, y + 178, x + 232, y + 184), fill=GREY, outline=INK)
    for row in range(3):
        top = y + 140 + row * 10
        inset = 8 + (2 - row) * 6
        left = x - 4 - row * 6 + inset
        right = x + 204 + row * 6 - inset
        k = left
        while k + 10 <= right:
            d.rectangle((k, top, k + 8, top + 6), fill=GREY_LIGHT, outline=GREY)
            k += 12
    d.rectangle((x + 78, y + 170, x + 122, y + 176), fill=GREY_LIGHT, outline=GREY)


def draw_modem(d, x, y, label):
    """GSM modem box, 96 x 56, with a stub antenna on its left."""
    d.rounded_rectangle((x, y, x + 96, y + 56), radius=7, fill=MODEM, outline=INK, width=2)
    d.rectangle((x + 8, y + 8, x + 88, y + 30), fill=MODEM_FACE)
    d.text((x + 14, y + 11), label, font=font("DejaVuSans-Bold.ttf", 13), fill=WHITE)
    d.ellipse((x + 10, y + 38, x + 18, y + 46), fill=LED_GREEN, outline=INK)
    d.ellipse((x + 24, y + 38, x + 32, y + 46), fill=LED_AMBER, outline=INK)
    for i in range(4):
        d.line((x + 54 + i * 8, y + 38, x + 54 + i * 8, y + 48), fill=INK, width=2)
    # Antenna with a small knob and radio waves.
    d.rectangle((x + 80, y - 34, x + 85, y), fill=INK)
    d.ellipse((x + 78, y - 40, x + 87, y - 31), fill=INK)
    for r in (10, 17):
        d.arc((x + 82 - r, y - 36 - r, x + 82 + r, y - 36 + r), 300, 60, fill=NAVY, width=2)


def draw_bubble(d, x, y):
    d.rounded_rectangle((x, y, x + 70, y + 34), radius=10, fill=BUBBLE, outline=NAVY, width=2)
    d.polygon([(x + 14, y + 33), (x + 28, y + 33), (x + 10, y + 46)], fill=BUBBLE, outline=NAVY)
    d.line((x + 15, y + 32, x + 27, y + 32), fill=BUBBLE, width=2)
    d.text((x + 14, y + 7), "SMS", font=font("DejaVuSans-Bold.ttf", 16), fill=NAVY)


def make_splash(palette):
    w, h = SPLASH_SIZE
    img = Image.new("RGB", SPLASH_SIZE, BACK)
    d = ImageDraw.Draw(img)

    title = "Dovern Professional SMS Server"
    y = 22
    y += centred_text(
        d, y, title, fitting_font(d, "DejaVuSans-Bold.ttf", 26, title, w - 36), NAVY, w
    )
    d.line((40, y + 16, w - 40, y + 16), fill=NAVY, width=2)

    lx, ly = 48, 162
    draw_notebook(d, lx, ly)
    draw_bubble(d, 34, 110)
    modems = ((352, 162, "GSM 1"), (352, 274, "GSM 2"))
    for mx, my, label in modems:
        draw_modem(d, mx, my, label)
    # Cables from the modems to the notebook's side.
    for i, (mx, my, _) in enumerate(modems):
        sx, sy = mx, my + 28
        ex, ey = lx + 228, ly + 170 + i * 6
        mid = sx - 30 - i * 10
        d.line([(sx, sy), (mid, sy), (mid, ey), (ex, ey)], fill=CABLE, width=3, joint="curve")
        d.rectangle((sx - 6, sy - 4, sx, sy + 4), fill=GREY_DARK)

    y = 386
    y += centred_text(d, y, "Version 1.00", font("DejaVuSans-Bold.ttf", 17), INK, w) + 20
    for line in ("dovern", "www.dovern.example  \u00b7  support@dovern.example"):
        y += centred_text(d, y, line, font("DejaVuSans.ttf", 14), INK, w) + 10
    return to_indexed(img, palette)


def make_icon(palette):
    img = Image.new("RGB", (ICON_SIZE, ICON_SIZE), BACK)
    d = ImageDraw.Draw(img)
    # Modem body, face, LEDs and antenna, as on the splash.
    d.rounded_rectangle((3, 13, 28, 29), radius=3, fill=MODEM, outline=INK)
    d.rectangle((6, 16, 25, 21), fill=MODEM_FACE)
    d.rectangle((6, 24, 8, 26), fill=LED_GREEN)
    d.rectangle((11, 24, 13, 26), fill=LED_AMBER)
    d.rectangle((23, 3, 24, 13), fill=INK)
    d.rectangle((22, 2, 25, 4), fill=INK)
    d.arc((18, -2, 29, 9), 300, 60, fill=NAVY)
    # A small message bubble.
    d.rounded_rectangle((2, 2, 16, 10), radius=2, fill=BUBBLE, outline=NAVY)
    d.polygon([(4, 10), (8, 10), (4, 13)], fill=NAVY)
    d.line((5, 5, 13, 5), fill=NAVY)
    d.line((5, 7, 11, 7), fill=NAVY)
    return to_indexed(img, palette)


# ---------------------------------------------------------------- icon files


def icon_image_bytes(icon, palette):
    """RT_ICON data: BITMAPINFOHEADER (height doubled for XOR + AND), palette,
    bottom-up 8-bit XOR bitmap, all-zero (opaque) AND mask."""
    n = ICON_SIZE
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 8, 0, n * n + n * 4, 0, 0, 0, 0)
    rgbquads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pixels = list(icon.getdata())
    xor = b"".join(bytes(pixels[row * n : (row + 1) * n]) for row in range(n - 1, -1, -1))
    and_mask = bytes(n * 4)
    data = header + rgbquads + xor + and_mask
    assert len(data) == 2216
    return data


def group_icon_bytes(image_size):
    return struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHIH", ICON_SIZE, ICON_SIZE, 0, 0, 1, 8, image_size, ICON_RES_ID
    )


def ico_file_bytes(image):
    return (
        struct.pack("<HHH", 0, 1, 1)
        + struct.pack("<BBBBHHII", ICON_SIZE, ICON_SIZE, 0, 0, 1, 8, len(image), 6 + 16)
        + image
    )


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    palette = build_palette()
    write_gif(os.path.join(HERE, "splash.gif"), make_splash(palette), palette)
    image = icon_image_bytes(make_icon(palette), palette)
    write("icon30001.bin", image)
    write("icongroup1.bin", group_icon_bytes(len(image)))
    write("app.ico", ico_file_bytes(image))
    return 0


if __name__ == "__main__":
    sys.exit(main())
