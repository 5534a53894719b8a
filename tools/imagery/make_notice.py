#!/usr/bin/python3
"""The virtual headset's notice: what the preview is and how to use it, as an image.

Writes resources/splash/preview_notice.png. The panel colour is the one the notice had when it
was drawn without text, and the middle row stays clear of writing: a check of the preview looks
for that colour at the centre of each eye. Needs Debian's python3-pil and fonts-dejavu-core.
"""
import argparse
import os

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
WIDTH, HEIGHT = 630, 600
PANEL = (31, 41, 66)
FRAME = (242, 242, 242)
STRIPE = (242, 191, 26)
TEXT = (214, 219, 230)
ACCENT = (255, 191, 87)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.normpath(os.path.join(here, "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "resources", "splash", "preview_notice.png"))
    args = parser.parse_args()

    image = Image.new("RGB", (WIDTH, HEIGHT), PANEL)
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, WIDTH - 1, HEIGHT - 1], outline=FRAME, width=12)
    draw.rectangle([63, 48, WIDTH - 64, 108], fill=STRIPE)
    title = ImageFont.truetype(os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf"), 34)
    body = ImageFont.truetype(os.path.join(FONT_DIR, "DejaVuSans.ttf"), 24)
    keys = ImageFont.truetype(os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf"), 26)
    draw.text((WIDTH / 2, 78), "Virtual headset preview", font=title, fill=PANEL, anchor="mm")
    # Above the middle: what this is. The middle row (y = 300) stays empty.
    about = ["Both eyes side by side, as a headset", "would show them, for trying the",
             "program without a headset."]
    for i, line in enumerate(about):
        draw.text((WIDTH / 2, 160 + i * 36), line, font=body, fill=TEXT, anchor="mm")
    # Below the middle: how to use it.
    how = [("Drag with the mouse", " to look around"), ("R", " recentres the view"),
           ("Any key", " begins")]
    for i, (key, rest) in enumerate(how):
        y = 370 + i * 56
        total = draw.textlength(key, font=keys) + draw.textlength(rest, font=body)
        x = WIDTH / 2 - total / 2
        draw.text((x, y), key, font=keys, fill=ACCENT, anchor="lm")
        draw.text((x + draw.textlength(key, font=keys), y), rest, font=body, fill=TEXT, anchor="lm")
    os.makedirs(os.path.dirname(args.out), exist_ok=True)
    image.save(args.out, optimize=True)


if __name__ == "__main__":
    main()
