"""Screenshots, and what the splash window must show in them."""
import subprocess
from collections import Counter

from PIL import Image

BACKGROUND = (192, 192, 255)
PICTURE_W, PICTURE_H = 488, 492
CLIENT_W, CLIENT_H = 487, 492


def screenshot(path):
    subprocess.run(["import", "-window", "root", str(path)], check=True, timeout=20)


def region(img, x, y, w, h):
    return list(img.crop((x, y, x + w, y + h)).getdata())


def splash_problems(shot, origin, big, big_origin, big_size):
    """What is wrong in screenshot `shot` of the splash at its own size, and in `big` after its
    client area was enlarged to `big_size`; the origins are the client areas' on the screen."""
    shot, big = (Image.open(p).convert("RGB") for p in (shot, big))
    (bx, by), (bw, bh) = big_origin, big_size
    picture = region(shot, *origin, CLIENT_W, CLIENT_H)
    colours, size = Counter(picture), len(picture)
    drawn = size - colours[BACKGROUND]
    # Enlarging the window must not stretch the picture: its top left stays as it was.
    changed = sum(a != b for a, b in zip(picture, region(big, bx, by, CLIENT_W, CLIENT_H)))
    right = region(big, bx + PICTURE_W + 2, by, bw - PICTURE_W - 4, bh - 2)
    below = region(big, bx, by + PICTURE_H + 2, bw - 2, bh - PICTURE_H - 4)
    off = [sum(px != BACKGROUND for px in area) for area in (right, below)]
    problems = {
        f"commonest colour {colours.most_common(1)[0][0]}, not {BACKGROUND}":
            colours.most_common(1)[0][0] != BACKGROUND,
        f"blank: {drawn} pixels off the background, {len(colours)} colours":
            drawn < size // 100 or len(colours) < 3,
        f"{changed} pixels changed after enlarging the window": changed > size // 1000,
        f"{off} pixels right of and below the picture are not {BACKGROUND}":
            not right or not below or off[0] > len(right) // 200 or off[1] > len(below) // 200,
    }  # fmt: skip
    return [problem for problem, found in problems.items() if found]
