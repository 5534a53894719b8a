#!/usr/bin/python3
"""The desktop icon: the globe from the embedded day map, lit from the upper left, with three
orbits in the class colours (low green, medium orange, geosynchronous blue).

Reads resources/earth/day.jpg (made by make_earth_maps.py); writes resources/icon/orbitarium.png.
Needs Debian's python3-pil and python3-numpy.
"""
import argparse
import math
import os

import numpy as np
from PIL import Image, ImageDraw

SIZE = 256


def globe(day, size, radius, lat0, lon0):
    """RGBA image of the sphere seen from latitude lat0, longitude lon0 (degrees)."""
    ys, xs = np.mgrid[0:size, 0:size].astype(np.float64)
    x = (xs + 0.5 - size / 2) / radius
    y = (size / 2 - ys - 0.5) / radius
    inside = x * x + y * y <= 1.0
    z = np.sqrt(np.clip(1.0 - x * x - y * y, 0.0, 1.0))
    phi0, lam0 = math.radians(lat0), math.radians(lon0)
    # Inverse orthographic projection.
    lat = np.arcsin(np.clip(z * math.sin(phi0) + y * math.cos(phi0), -1, 1))
    lon = lam0 + np.arctan2(x, z * math.cos(phi0) - y * math.sin(phi0))
    w, h = day.size
    pixels = np.asarray(day.convert("RGB"), dtype=np.float64)
    u = ((np.degrees(lon) + 180.0) % 360.0 / 360.0 * (w - 1)).astype(int)
    v = ((90.0 - np.degrees(lat)) / 180.0 * (h - 1)).astype(int)
    colour = pixels[v, u]
    light = np.array([-0.5, 0.5, 0.7])
    light /= np.linalg.norm(light)
    shade = np.clip(x * light[0] + y * light[1] + z * light[2], 0.0, 1.0) * 0.85 + 0.15
    rgba = np.zeros((size, size, 4), dtype=np.uint8)
    rgba[..., :3] = np.clip(colour * shade[..., None], 0, 255).astype(np.uint8)
    rgba[..., 3] = np.where(inside, 255, 0)
    return Image.fromarray(rgba, "RGBA")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.normpath(os.path.join(here, "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", default=os.path.join(root, "resources", "icon", "orbitarium.png"))
    args = parser.parse_args()

    day = Image.open(os.path.join(root, "resources", "earth", "day.jpg"))
    icon = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    draw = ImageDraw.Draw(icon)
    # Orbits: ellipses of growing size, behind and in front of the globe.
    orbits = [((112, 209, 107), 0.52, 0.22), ((255, 191, 87), 0.75, 0.30), ((107, 166, 222), 0.96, 0.18)]
    for colour, rx, ry in orbits:
        box = [SIZE / 2 - rx * SIZE / 2, SIZE / 2 - ry * SIZE / 2, SIZE / 2 + rx * SIZE / 2, SIZE / 2 + ry * SIZE / 2]
        draw.ellipse(box, outline=colour + (255,), width=6)
    sphere = globe(day, SIZE, SIZE * 0.36, 20.0, -30.0)
    icon.alpha_composite(sphere)
    # The near halves of the orbits pass in front of the globe.
    front = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    fd = ImageDraw.Draw(front)
    for colour, rx, ry in orbits:
        box = [SIZE / 2 - rx * SIZE / 2, SIZE / 2 - ry * SIZE / 2, SIZE / 2 + rx * SIZE / 2, SIZE / 2 + ry * SIZE / 2]
        fd.arc(box, 0, 180, fill=colour + (255,), width=6)
    icon.alpha_composite(front)
    os.makedirs(os.path.dirname(args.out), exist_ok=True)
    icon.save(args.out, optimize=True)


if __name__ == "__main__":
    main()
