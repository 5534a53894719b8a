#!/usr/bin/python3
"""The two splash screens: 1152x720 RGBA, text on translucent panels, clear elsewhere.

The quad is drawn over the globe, so everything outside the panels is fully transparent and the
panels themselves are only partly opaque. Transparent texels carry the panel colour rather than
white so that linear filtering does not leave light fringes around the panels.

The controller names assume the common twin-stick layout as the window system numbers it:
button 0 = A, 1 = B, 2 = X, 6 = Back, 7 = Start; axis 1 = left stick vertical, axis 2 = the
triggers, axes 3 and 4 = right stick.
"""
import argparse
import os

from PIL import Image, ImageDraw, ImageFilter, ImageFont

WIDTH, HEIGHT = 1152, 720
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
PANEL = (8, 14, 28)
PANEL_ALPHA = 165
TEXT = (255, 255, 255, 255)
ACCENT = (255, 200, 90, 255)
DIM = (190, 205, 225, 255)

TOUR_TITLE = "Orbitarium"
TOUR_LINE = "A narrated tour of the satellites, rocket bodies and debris that orbit the Earth"
TOUR_START = [("Press ", TEXT), ("Space", ACCENT), (" or controller button ", TEXT), ("A", ACCENT),
              (" to start the tour", TEXT)]
TOUR_HINT = "During the tour: Delete / B skips a narration, P / Start pauses, Esc quits"

EXPLORE_TITLE = "Free exploration"
# The program's table of controls, which its help shows and the README repeats.
CONTROLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                        "controls.tsv")


def explore_rows(path=CONTROLS):
    """(what it does, keyboard, mouse, controller) for each line of the controls table."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            cells = line.split("\t")
            if len(cells) != 4 or not cells[0]:
                raise SystemExit("%s:%d: expected four tab-separated cells" % (path, number))
            rows.append(tuple(cells))
    return rows


EXPLORE_START = [("Press ", TEXT), ("Space", ACCENT), (" or ", TEXT), ("A", ACCENT),
                 (" to begin", TEXT)]


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


class Canvas:
    def __init__(self):
        self.panels = Image.new("RGBA", (WIDTH, HEIGHT), PANEL + (0,))
        self.text = Image.new("RGBA", (WIDTH, HEIGHT), PANEL + (0,))
        self.pd = ImageDraw.Draw(self.panels)
        self.td = ImageDraw.Draw(self.text)

    def panel(self, box, radius=18):
        self.pd.rounded_rectangle(box, radius=radius, fill=PANEL + (PANEL_ALPHA,))

    def width(self, s, f):
        return self.td.textlength(s, font=f)

    def line(self, x, y, s, f, colour=TEXT, anchor="la"):
        self.td.text((x, y), s, font=f, fill=colour, anchor=anchor)

    def runs(self, cx, y, runs, f):
        """Centred line made of differently coloured pieces."""
        total = sum(self.width(s, f) for s, _ in runs)
        x = cx - total / 2
        for s, colour in runs:
            self.line(x, y, s, f, colour, anchor="ls")
            x += self.width(s, f)

    def image(self):
        # A soft dark halo under the glyphs keeps them legible where the panel is thin.
        alpha = self.text.getchannel("A").filter(ImageFilter.GaussianBlur(3))
        halo = Image.new("RGBA", (WIDTH, HEIGHT), PANEL + (0,))
        halo.putalpha(alpha.point(lambda a: min(255, a * 2) * 7 // 10))
        out = Image.alpha_composite(self.panels, halo)
        out = Image.alpha_composite(out, self.text)
        return out


def tour_splash():
    c = Canvas()
    title = font("DejaVuSans-Bold.ttf", 92)
    body = font("DejaVuSans.ttf", 26)
    start = font("DejaVuSans-Bold.ttf", 32)
    hint = font("DejaVuSans.ttf", 22)
    pad = 30
    top = max(c.width(TOUR_TITLE, title), c.width(TOUR_LINE, body)) / 2 + pad
    c.panel((WIDTH / 2 - top, 14, WIDTH / 2 + top, 170))
    c.line(WIDTH / 2, 112, TOUR_TITLE, title, TEXT, anchor="ms")
    c.line(WIDTH / 2, 152, TOUR_LINE, body, DIM, anchor="ms")
    bottom = max(sum(c.width(s, start) for s, _ in TOUR_START), c.width(TOUR_HINT, hint)) / 2 + pad
    c.panel((WIDTH / 2 - bottom, 600, WIDTH / 2 + bottom, 706))
    c.runs(WIDTH / 2, 646, TOUR_START, start)
    c.line(WIDTH / 2, 688, TOUR_HINT, hint, DIM, anchor="ms")
    if max(top, bottom) > WIDTH / 2:
        raise SystemExit("tour splash text does not fit")
    return c.image()


def wrap(c, text, f, width):
    lines, cur = [], ""
    for w in text.split():
        trial = (cur + " " + w).strip()
        if c.width(trial, f) > width and cur:
            lines.append(cur)
            cur = w
        else:
            cur = trial
    lines.append(cur)
    if any(c.width(l, f) > width for l in lines):
        raise SystemExit("splash text %r does not fit its column" % text)
    return lines


def exploration_splash():
    c = Canvas()
    title = font("DejaVuSans-Bold.ttf", 44)
    head = font("DejaVuSans-Bold.ttf", 19)
    body = font("DejaVuSans.ttf", 18)
    key = font("DejaVuSans-Bold.ttf", 18)
    start = font("DejaVuSans-Bold.ttf", 28)
    left, right = 36, WIDTH - 36
    # (x, width) of the four columns
    columns = ((left + 24, 440), (left + 484, 215), (left + 719, 130), (left + 869, 180))
    c.panel((left, 12, right, 708))
    c.line(WIDTH / 2, 62, EXPLORE_TITLE, title, TEXT, anchor="ms")
    y = 102
    for (x, _), name in zip(columns, ("To do this", "Keyboard", "Mouse", "Controller")):
        c.line(x, y, name, head, DIM, anchor="ls")
    c.pd.line((left + 20, y + 10, right - 20, y + 10), fill=DIM[:3] + (150,), width=2)
    y += 34
    line_step = 22
    for row in explore_rows():
        height = 1
        for (x, width), text, f, colour in zip(columns, row, (body, key, key, key),
                                               (TEXT, ACCENT, ACCENT, ACCENT)):
            lines = wrap(c, text, f, width) if text else []
            for i, l in enumerate(lines):
                c.line(x, y + line_step * i, l, f, colour, anchor="ls")
            height = max(height, len(lines))
        y += line_step * height + 7
    if y > 668:
        raise SystemExit("exploration splash rows run into the last line")
    c.runs(WIDTH / 2, 694, EXPLORE_START, start)
    return c.image()


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out-dir", default="resources/splash")
    args = p.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)
    for name, make in (("tour.png", tour_splash), ("exploration.png", exploration_splash)):
        im = make()
        path = os.path.join(args.out_dir, name)
        im.save(path, optimize=True)
        print("%s: %dx%d %s, %d bytes" % (path, im.width, im.height, im.mode, os.path.getsize(path)))


if __name__ == "__main__":
    main()
