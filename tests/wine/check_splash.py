#!/usr/bin/python3
"""Checks two screenshots of the splash window.

usage: check_splash.py SHOT ORIGIN_X ORIGIN_Y BIG_SHOT BIG_ORIGIN_X BIG_ORIGIN_Y BIG_W BIG_H

SHOT shows the window at its own size, BIG_SHOT after its client area was
enlarged to BIG_W x BIG_H; the origins are the client areas' screen positions.
Prints one line per problem and exits 1 when there is any.
"""
import sys

from PIL import Image

BACKGROUND = (192, 192, 255)
PICTURE_W, PICTURE_H = 488, 492
CLIENT_W, CLIENT_H = 487, 492


def region(img, x, y, w, h):
    return list(img.crop((x, y, x + w, y + h)).getdata())


def main(argv):
    if len(argv) != 9:
        print(__doc__.strip())
        return 2
    shot = Image.open(argv[1]).convert("RGB")
    ox, oy = int(argv[2]), int(argv[3])
    big = Image.open(argv[4]).convert("RGB")
    bx, by, bw, bh = (int(v) for v in argv[5:9])
    problems = []

    picture = region(shot, ox, oy, CLIENT_W, CLIENT_H)
    counts = {}
    for px in picture:
        counts[px] = counts.get(px, 0) + 1
    commonest = max(counts, key=counts.get)
    if commonest != BACKGROUND:
        problems.append("picture's commonest colour is %s, not %s" % (commonest, BACKGROUND))
    drawn = len(picture) - counts.get(BACKGROUND, 0)
    if drawn < len(picture) // 100 or len(counts) < 3:
        problems.append("picture looks blank: %d pixels differ from the background, %d colours"
                        % (drawn, len(counts)))

    # Enlarging the window must not stretch the picture: the top-left stays as it was.
    again = region(big, bx, by, CLIENT_W, CLIENT_H)
    changed = sum(1 for a, b in zip(picture, again) if a != b)
    if changed > len(picture) // 1000:
        problems.append("picture changed after enlarging the window (%d pixels)" % changed)

    right = region(big, bx + PICTURE_W + 2, by, bw - PICTURE_W - 4, bh - 2)
    below = region(big, bx, by + PICTURE_H + 2, bw - 2, bh - PICTURE_H - 4)
    for name, pixels in (("right of", right), ("below", below)):
        if not pixels:
            problems.append("nothing to sample %s the picture" % name)
            continue
        off = [px for px in pixels if px != BACKGROUND]
        if len(off) > len(pixels) // 200:
            problems.append("%d of %d pixels %s the picture are not %s (e.g. %s)"
                            % (len(off), len(pixels), name, BACKGROUND, off[0]))

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
