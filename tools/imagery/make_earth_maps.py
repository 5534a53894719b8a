#!/usr/bin/python3
"""Day map, night lights and specular (water) mask of the globe.

All three are equirectangular, longitude -180 at the left edge, north at the top, which is what
the globe's texture coordinates expect (u = (lon + 180) / 360, v = 1 - (lat + 90) / 180 with the
first image row at v = 0).

- day.jpg: the land of the Blue Marble Next Generation map of January from gpredict, the oceans
  of marble-data's Blue Marble. The tour's date is 2014-11-21: of the monthly maps Debian
  packages offer (gpredict's January, March, May, July, August), January's is the nearest
  season, snow on Canada and Siberia included; but its oceans are black, which on the globe
  reads as empty space, so water (by the water mask below) takes marble's blue, shaded ocean,
  except where January's own pixels are bright with sea ice.
- night.jpg: the city-lights map of xplanet-images, copied byte for byte (black background, lights
  only, so it works as an emissive map).
- water_mask.jpg: GSHHG high-resolution shorelines rasterised by GMT's grdlandmask on a 1.6-arcminute
  pixel grid (ocean and lakes 1, land and islands in lakes 0), box-averaged down to 2700 x 1350
  for anti-aliased coasts, written as a 1-channel JPEG.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

DAY_SOURCE = "/usr/share/pixmaps/gpredict/maps/nasa-bmng-01_2048.jpg"
OCEAN_SOURCE = "/usr/share/marble/data/maps/earth/bluemarble/bluemarble.jpg"
NIGHT_SOURCE = "/usr/share/xplanet/images/night.jpg"
SUPERSAMPLE = 5  # 2700 px * 5 = 13500 px around the equator: 1.6 arcmin cells
MASK_SIZE = (2700, 1350)


def water_mask(width, height, resolution):
    cols, rows = width * SUPERSAMPLE, height * SUPERSAMPLE
    if cols * 2 != rows * 4:
        sys.exit("day map is not 2:1")
    inc_arcmin = 360.0 * 60.0 / cols
    with tempfile.TemporaryDirectory() as tmp:
        grid = os.path.join(tmp, "mask.b")
        # -r: pixel registration, so cell (0, 0) spans lon -180..-180+inc, lat 90-inc..90.
        # -N ocean/land/lake/island/pond = 1/0/1/0/1: white on water.
        subprocess.run(["gmt", "grdlandmask", "-R-180/180/-90/90", "-I%.10fm" % inc_arcmin, "-r",
                        "-D" + resolution, "-N1/0/1/0/1", "-G%s=bb" % grid],
                       check=True, cwd=tmp)  # cwd: keep gmt.history out of the tree
        raw = np.fromfile(grid, dtype=np.uint8)
    header = raw.size - cols * rows
    if header < 0:
        sys.exit("grdlandmask wrote a grid of unexpected size")
    # GMT native grids are stored north row first, after a fixed header.
    m = raw[header:].reshape(rows, cols).astype(np.float32)
    m = m.reshape(height, SUPERSAMPLE, width, SUPERSAMPLE).mean(axis=(1, 3))
    return np.clip(np.rint(m * 255.0), 0, 255).astype(np.uint8)


def compose_day(january, ocean, mask):
    """January's land and sea ice over the other map's oceans, at January's size."""
    size = january.size
    jan = np.asarray(january, dtype=np.float32) / 255.0
    sea = np.asarray(ocean.resize(size, Image.LANCZOS), dtype=np.float32) / 255.0
    water = np.asarray(mask.resize(size, Image.LANCZOS), dtype=np.float32)[..., None] / 255.0
    brightness = jan.mean(axis=2, keepdims=True)
    ice = np.clip((brightness - 0.45) / 0.25, 0.0, 1.0)
    weight = water * (1.0 - ice)
    out = jan * (1.0 - weight) + sea * weight
    return Image.fromarray(np.clip(np.rint(out * 255.0), 0, 255).astype(np.uint8), mode="RGB")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out-dir", default="resources/earth")
    p.add_argument("--shorelines", default="h", help="GSHHG resolution letter (f, h, i, l, c)")
    p.add_argument("--day-only", action="store_true",
                   help="remake day.jpg alone, with the water mask already in --out-dir")
    args = p.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)

    for source in (DAY_SOURCE, OCEAN_SOURCE):
        im = Image.open(source)
        if im.mode != "RGB" or im.format != "JPEG":
            sys.exit("%s is not an RGB JPEG" % source)
    mask_path = os.path.join(args.out_dir, "water_mask.jpg")
    if args.day_only:
        mask = Image.open(mask_path).convert("L")
    else:
        mask = Image.fromarray(water_mask(*MASK_SIZE, args.shorelines), mode="L")
        mask.save(mask_path, quality=90, optimize=True)
    day = compose_day(Image.open(DAY_SOURCE), Image.open(OCEAN_SOURCE), mask)
    day.save(os.path.join(args.out_dir, "day.jpg"), quality=92, optimize=True)
    if args.day_only:
        return
    night = Image.open(NIGHT_SOURCE)
    if night.mode != "RGB" or night.format != "JPEG":
        sys.exit("%s is not an RGB JPEG" % NIGHT_SOURCE)
    shutil.copyfile(NIGHT_SOURCE, os.path.join(args.out_dir, "night.jpg"))

    for name in ("day.jpg", "night.jpg", "water_mask.jpg"):
        path = os.path.join(args.out_dir, name)
        im = Image.open(path)
        print("%s: %dx%d %s, %d bytes" % (path, im.width, im.height, im.mode, os.path.getsize(path)))


if __name__ == "__main__":
    main()
