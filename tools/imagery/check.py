#!/usr/bin/python3
"""Checks over the embedded Earth maps, elevation grid, star cube and splash screens.

Reads the files named in resources/resources.txt, so it checks exactly what is embedded.
Exit status 0 when every check passes; each failure is printed with its numbers.
With --gl-probe PATH (a build of cube_probe.c) it also compares cube.py's face and texel
addressing with what a real GL driver samples.
"""
import argparse
import math
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cube  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# id: (width, height, channels) as the program's image decoder must report them
IMAGES = {
    517: (2048, 1024, 3),   # night lights
    533: (2048, 1024, 3),   # day colour (January)
    549: (2700, 1350, 1),   # specular (water) mask
    593: (1024, 1024, 3), 581: (1024, 1024, 3), 589: (1024, 1024, 3),
    597: (1024, 1024, 4), 585: (1024, 1024, 4), 601: (1024, 1024, 4),
    602: (1152, 720, 4), 603: (1152, 720, 4),
}
FACE_IDS = (593, 581, 597, 585, 601, 589)  # +X, -X, +Y, -Y, +Z, -Z

# (name, latitude, longitude): specular mask must be dark (<= 40) on land, bright (>= 215) on water
LAND = [("Sahara", 23.0, 13.0), ("central Australia", -25.0, 134.0), ("Siberia", 62.0, 100.0),
        ("Kansas", 38.5, -98.0), ("Mato Grosso", -10.0, -55.0), ("Antarctic plateau", -80.0, 30.0)]
WATER = [("equatorial Pacific", 0.0, -140.0), ("North Atlantic", 35.0, -40.0),
         ("Indian Ocean", -30.0, 80.0), ("South Atlantic", -30.0, -15.0),
         ("South Pacific", -45.0, -120.0), ("Caspian Sea", 42.0, 50.5),
         ("Lake Superior", 47.7, -87.5)]

# (name, right ascension in hours, declination in degrees), J2000
STARS = [("Polaris", 2.530301, 89.264109), ("Sirius", 6.752481, -16.716116),
         ("Alnitak", 5.679313, -1.942572), ("Alnilam", 5.603559, -1.201919),
         ("Mintaka", 5.533445, -0.299092)]
BRIGHT = 128


class Checker:
    def __init__(self):
        self.failures = 0

    def check(self, ok, message):
        print("%s  %s" % ("ok  " if ok else "FAIL", message))
        if not ok:
            self.failures += 1


def manifest():
    paths = {}
    with open(os.path.join(ROOT, "resources", "resources.txt")) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and not parts[0].startswith("#"):
                paths[(parts[0], int(parts[1]))] = os.path.join(ROOT, parts[2])
    return paths


def header_channels(data):
    """Channel count the way the program's decoder reports it, read from the file header."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
        channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)  # palette (3) is left out on purpose
        return "PNG", width, height, channels if depth == 8 else None
    if data[:2] == b"\xff\xd8":
        i = 2
        while i + 9 < len(data):
            if data[i] != 0xFF:
                return "JPEG?", 0, 0, None
            marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
            if marker in (0xC0, 0xC1, 0xC2):
                height, width = struct.unpack(">HH", data[i + 5:i + 9])
                return "JPEG", width, height, data[i + 9]
            i += 2 + length
    return "unknown", 0, 0, None


def check_images(c, paths):
    arrays = {}
    for rid, (w, h, ch) in sorted(IMAGES.items()):
        path = paths.get(("IMG", rid))
        if path is None or not os.path.exists(path):
            c.check(False, "IMG %d missing" % rid)
            continue
        data = open(path, "rb").read()
        kind, hw, hh, hch = header_channels(data)
        im = Image.open(path)
        im.load()
        ok = (hw, hh, hch) == (w, h, ch) and im.size == (w, h) and len(im.getbands()) == ch
        c.check(ok, "IMG %d %s: %s %dx%d, %s channels, %d bytes (want %dx%d, %d)"
                % (rid, os.path.relpath(path, ROOT), kind, hw, hh, hch, len(data), w, h, ch))
        arrays[rid] = np.asarray(im)
    return arrays


def texel(img, lat, lon):
    h, w = img.shape[:2]
    col = min(w - 1, int(math.floor((lon + 180.0) / 360.0 * w)))
    row = min(h - 1, int(math.floor((90.0 - lat) / 180.0 * h)))
    return col, row, int(img[row, col])


def check_specular(c, arrays):
    mask = arrays.get(549)
    if mask is None:
        return
    for name, lat, lon in LAND:
        col, row, v = texel(mask, lat, lon)
        c.check(v <= 40, "specular land  %-18s (%6.1f, %7.1f) texel (%4d, %4d) = %3d <= 40"
                % (name, lat, lon, col, row, v))
    for name, lat, lon in WATER:
        col, row, v = texel(mask, lat, lon)
        c.check(v >= 215, "specular water %-18s (%6.1f, %7.1f) texel (%4d, %4d) = %3d >= 215"
                % (name, lat, lon, col, row, v))
    water = (mask >= 128).mean()
    c.check(0.65 <= water <= 0.80, "specular water fraction by texel %.3f in 0.65..0.80" % water)


def check_elevation(c, paths):
    path = paths.get(("DATA", 942))
    data = open(path, "rb").read()
    c.check(len(data) == 405000 * 24, "DATA 942 %d bytes = 405000 records of 24"
            % len(data))
    rec = np.frombuffer(data, dtype="<f8").reshape(900, 450, 3)  # [column, row]
    cols, rows = np.meshgrid(np.arange(900), np.arange(450), indexing="ij")
    lon_err = np.abs(rec[:, :, 0] - (-180.0 + 0.4 * cols)).max()
    lat_err = np.abs(rec[:, :, 1] - (-90.0 + 0.4 * rows)).max()
    c.check(lon_err < 1e-9 and lat_err < 1e-9,
            "record column*450+row holds lon -180+0.4*column, lat -90+0.4*row (max error %.1e, %.1e)"
            % (lon_err, lat_err))
    g = rec[450, 0]
    c.check(g[0] == 0.0 and g[1] == -90.0, "record 202500 (column 450, row 0) is lon %.1f lat %.1f"
            % (g[0], g[1]))
    z = rec[:, :, 2]
    ev = rec[667, 295]
    c.check(ev[2] > 4500, "Everest: record %d (column 667, row 295, lon %.1f lat %.1f) = %.0f m > 4500"
            % (667 * 450 + 295, ev[0], ev[1], ev[2]))
    ma = rec[806, 253]
    c.check(ma[2] < -7000, "Mariana: record %d (column 806, row 253, lon %.1f lat %.1f) = %.0f m < -7000"
            % (806 * 450 + 253, ma[0], ma[1], ma[2]))
    gg = rec[450, 225]
    c.check(gg[2] < -3000, "Gulf of Guinea: record %d (column 450, row 225, lon %.1f lat %.1f) = %.0f m < -3000"
            % (450 * 450 + 225, gg[0], gg[1], gg[2]))
    sa = rec[482, 282]
    c.check(sa[2] > 0, "Sahara: record %d (column 482, row 282, lon %.1f lat %.1f) = %.0f m > 0"
            % (482 * 450 + 282, sa[0], sa[1], sa[2]))
    c.check(-11000 < z.min() < -7000 and 5000 < z.max() < 8850,
            "elevation range %.0f .. %.0f m" % (z.min(), z.max()))
    c.check(np.all(z[:, 0] == z[0, 0]), "row 0 (latitude -90) is one value for all columns: %.0f m"
            % z[0, 0])


def check_stars(c, arrays):
    faces = [arrays.get(rid) for rid in FACE_IDS]
    if any(f is None for f in faces):
        return
    lum = [f[:, :, :3].max(axis=2) for f in faces]
    bright_fraction = np.mean([(l >= BRIGHT).mean() for l in lum])
    c.check(bright_fraction < 0.002, "bright texels (max channel >= %d) are %.4f%% of the cube"
            % (BRIGHT, 100 * bright_fraction))
    for f, rid in zip(faces[2:5], FACE_IDS[2:5]):
        if f.shape[2] == 4:
            c.check(int(f[:, :, 3].min()) == 255, "IMG %d alpha is opaque" % rid)
    misses_without_r = 0
    for name, ra, dec in STARS:
        w = cube.world_direction(ra, dec)
        cdir = cube.cube_direction(w)
        face, col, row = cube.lookup(cdir, 1024)
        v = int(lum[face][row, col])
        c.check(v >= BRIGHT, "%-8s world (%+.4f, %+.4f, %+.4f) cube (%+.4f, %+.4f, %+.4f) -> face %d "
                "(IMG %d) column %d row %d: %d >= %d"
                % (name, w[0], w[1], w[2], cdir[0], cdir[1], cdir[2], face, FACE_IDS[face],
                   col, row, v, BRIGHT))
        f0, c0, r0 = cube.lookup(w, 1024)
        misses_without_r += int(lum[f0][r0, c0]) < BRIGHT
    c.check(misses_without_r >= 4, "without R, %d of %d stars land on dark texels (the test "
            "depends on R)" % (misses_without_r, len(STARS)))


def check_gl_addressing(c, probe):
    """cube.lookup against the driver for the star directions and 20,000 random ones."""
    rng = np.random.default_rng(7)
    stars = [cube.cube_direction(cube.world_direction(ra, dec)) for _, ra, dec in STARS]
    dirs = np.vstack([np.array(stars), rng.normal(size=(20000, 3))]).astype(np.float32)
    text = "\n".join("%.9g %.9g %.9g" % tuple(v) for v in dirs)
    run = subprocess.run([probe], input=text, capture_output=True, text=True)
    if run.returncode != 0:
        c.check(False, "GL probe failed: %s" % run.stderr.strip())
        return
    gl = np.array([[int(x) for x in l.split()] for l in run.stdout.splitlines() if l.strip()])
    py = np.array([cube.lookup(v.astype(np.float64), 1024) for v in dirs])
    if gl.shape != py.shape:
        c.check(False, "GL probe answered %d of %d directions" % (len(gl), len(py)))
        return
    faces = int((gl[:, 0] != py[:, 0]).sum())
    off = np.abs(gl[:, 1:] - py[:, 1:]).max(axis=1)
    c.check(faces == 0 and off.max() <= 1 and (off > 0).sum() <= len(dirs) // 1000,
            "GL driver (%s) and cube.py agree: %d face differences, %d texels off by one (texel "
            "edges), star texels identical: %s" % (run.stderr.strip().split(": ", 1)[-1], faces,
                                                   int((off > 0).sum()),
                                                   bool((gl[:5] == py[:5]).all())))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--gl-probe", help="path of a built cube_probe (optional)")
    args = parser.parse_args()
    c = Checker()
    paths = manifest()
    arrays = check_images(c, paths)
    check_specular(c, arrays)
    check_elevation(c, paths)
    check_stars(c, arrays)
    if args.gl_probe:
        check_gl_addressing(c, args.gl_probe)
    total = 0
    for dirpath, _, files in os.walk(os.path.join(ROOT, "resources")):
        total += sum(os.path.getsize(os.path.join(dirpath, f)) for f in files)
    c.check(total < 30 * 1000 * 1000, "resources/ holds %d bytes < 30 MB" % total)
    print("%d failed" % c.failures)
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())
