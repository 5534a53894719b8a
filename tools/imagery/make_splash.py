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
EXPLORE_ROWS = [
    # (what it does, keyboard, controller)
    ("Look around the Earth", "Arrow keys", "Right stick"),
    ("Zoom in / out", "Page Up / Page Down", "Left stick"),
    ("Select a satellite: hold while looking at it, release to confirm", "Space", "A"),
    ("Fly to the selected satellite and ride along", "Enter", "X"),
    ("Return to free flight / clear the selection", "Delete", "B"),
    ("Pause / resume", "P", "Start"),
    ("Time faster / slower", "] / [", "Triggers"),
    ("Recentre the headset", "R", "Back"),
    ("Quit", "Esc", ""),
]
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
    title = font("DejaVuSans-Bold.ttf", 52)
    head = font("DejaVuSans-Bold.ttf", 22)
    body = font("DejaVuSans.ttf", 23)
    key = font("DejaVuSans-Bold.ttf", 23)
    start = font("DejaVuSans-Bold.ttf", 32)
    left, right = 40, WIDTH - 40
    # (x, width) of the three columns
    columns = ((left + 28, 490), (left + 545, 285), (left + 860, 190))
    c.panel((left, 16, right, 704))
    c.line(WIDTH / 2, 78, EXPLORE_TITLE, title, TEXT, anchor="ms")
    y = 128
    for (x, _), name in zip(columns, ("To do this", "Keyboard", "Controller")):
        c.line(x, y, name, head, DIM, anchor="ls")
    c.pd.line((left + 24, y + 12, right - 24, y + 12), fill=DIM[:3] + (150,), width=2)
    y += 50
    line_step = 29
    for row in EXPLORE_ROWS:
        height = 1
        for (x, width), text, f, colour in zip(columns, row, (body, key, key), (TEXT, ACCENT, ACCENT)):
            lines = wrap(c, text, f, width) if text else []
            for i, l in enumerate(lines):
                c.line(x, y + line_step * i, l, f, colour, anchor="ls")
            height = max(height, len(lines))
        y += line_step * height + 15
    if y > 640:
        raise SystemExit("exploration splash rows run into the last line")
    c.runs(WIDTH / 2, 680, EXPLORE_START, start)
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
