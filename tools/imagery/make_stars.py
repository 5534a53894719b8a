#!/usr/bin/python3
"""Six 1024x1024 star-cube faces from the Hipparcos/Tycho star catalogue of kstars-data.

Every star of the catalogue down to magnitude 8 (J2000 positions) is drawn as a Gaussian
point-spread disc measured in angle on the sky, so discs stay round and continue seamlessly across
face edges.
Peak brightness follows the star's flux with a compressed response (0.5 of the magnitude scale)
until it saturates near magnitude 1.5; brighter stars grow in size instead. The colour is the
black-body colour of the temperature estimated from the B-V index (spectral class where the
catalogue gives no index), mixed towards white so that only the tint remains.

Under the stars lies a faint Milky Way from the all-sky panorama in stellarium-data (an
equirectangular RGBA image in equatorial coordinates, right ascension 6 h at the left edge and
decreasing to the right, north up; checked against the catalogue by cross-correlation). Its own
stars are removed with a grey opening before it is blurred and dimmed, so only the diffuse glow
remains.

Faces are placed through cube.py's conventions: the renderer's fixed rotation R and OpenGL's
cube-map face addressing, so each star shows in its true direction in the scene's frame.
"""
import argparse
import os
import sys

import numpy as np
from PIL import Image

import cube

CATALOGUE = "/usr/share/kstars/stars.dat"
MILKY_WAY = "/usr/share/stellarium/textures/milkyway.png"
MILKY_WAY_RA_AT_LEFT = 6.0  # hours
MILKY_WAY_GAIN = 0.30
SIZE = 1024
FAINTEST = 8.0
SATURATION_MAG = 1.5
RESPONSE = 0.5            # fraction of the magnitude scale kept in the peak brightness
SIGMA_FAINT = 0.6         # PSF sigma in face-centre pixels for faint stars
SIGMA_GROWTH = 0.5        # extra sigma per magnitude brighter than 3.5
WHITE_MIX = 0.35
# Channel layout of the resources: three RGB faces, three RGBA faces.
RGBA_FACES = {"positive_y", "negative_y", "positive_z"}
SPECTRAL_BV = {"O": -0.30, "B": -0.15, "A": 0.05, "F": 0.45, "G": 0.70, "K": 1.15, "M": 1.60}


def parse_line(line, number):
    """One fixed-column record: RA hhmmss.ss, Dec sddmmss.s (J2000), ..., mag, B-V, class."""
    try:
        ra = int(line[0:2]) + int(line[2:4]) / 60.0 + float(line[4:9]) / 3600.0
        sign = -1.0 if line[10] == "-" else 1.0
        dec = sign * (int(line[11:13]) + int(line[13:15]) / 60.0 + float(line[15:19]) / 3600.0)
        mag = float(line[46:51])
        bv_text = line[51:56].strip()
        bv = float(bv_text) if bv_text else SPECTRAL_BV.get(line[56:57], 0.6)
    except (ValueError, IndexError):
        sys.exit("%s:%d: malformed star record" % (CATALOGUE, number))
    if not (0 <= ra < 24 and -90 <= dec <= 90):
        sys.exit("%s:%d: position out of range" % (CATALOGUE, number))
    return ra, dec, mag, bv


def load_stars():
    rows = []
    with open(CATALOGUE, encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            if line.startswith("#") or not line.strip():
                continue
            rows.append(parse_line(line, number))
    ra, dec, mag, bv = (np.array(c) for c in zip(*rows))
    keep = mag <= FAINTEST
    return ra[keep], dec[keep], mag[keep], bv[keep]


def cie_xyz(lam):
    """Multi-lobe Gaussian fit of the CIE 1931 colour-matching functions (lam in nm)."""
    def g(x, mu, s1, s2):
        return np.exp(-0.5 * ((x - mu) / np.where(x < mu, s1, s2)) ** 2)
    x = 1.056 * g(lam, 599.8, 37.9, 31.0) + 0.362 * g(lam, 442.0, 16.0, 26.7) \
        - 0.065 * g(lam, 501.1, 20.4, 26.2)
    y = 0.821 * g(lam, 568.8, 46.9, 40.5) + 0.286 * g(lam, 530.9, 16.3, 31.1)
    z = 1.217 * g(lam, 437.0, 11.8, 36.0) + 0.681 * g(lam, 459.0, 26.0, 13.8)
    return np.stack([x, y, z])


def star_tint(bv):
    """Display tint (0..1 RGB) for B-V indices."""
    bv = np.clip(bv, -0.4, 2.0)
    temp = 4600.0 * (1.0 / (0.92 * bv + 1.7) + 1.0 / (0.92 * bv + 0.62))
    lam = np.arange(380.0, 781.0, 5.0)
    cmf = cie_xyz(lam)                                           # 3 x L
    planck = 1.0 / (lam[None, :] ** 5 * (np.exp(1.4388e7 / (lam[None, :] * temp[:, None])) - 1))
    xyz = planck @ cmf.T                                          # N x 3
    m = np.array([[3.2406, -1.5372, -0.4986], [-0.9689, 1.8758, 0.0415],
                  [0.0557, -0.2040, 1.0570]])
    rgb = np.clip(xyz @ m.T, 0, None)
    rgb /= rgb.max(axis=1, keepdims=True)
    rgb = rgb ** (1 / 2.2)
    return (1 - WHITE_MIX) * rgb + WHITE_MIX


def load_milky_way():
    """Star-free, blurred panorama as float RGB 0..1 (rows from Dec +90, columns from RA 6 h)."""
    from scipy import ndimage
    pano = np.asarray(Image.open(MILKY_WAY).convert("RGB")).astype(np.float64) / 255.0
    glow = np.empty_like(pano)
    for ch in range(3):
        opened = ndimage.grey_opening(pano[:, :, ch], size=(7, 7), mode="wrap")
        glow[:, :, ch] = ndimage.gaussian_filter(opened, 2.0, mode="wrap")
    return glow * MILKY_WAY_GAIN


def sample_milky_way(glow, face):
    """Panorama colour behind every texel of one face (bilinear)."""
    from scipy import ndimage
    centres = (np.arange(SIZE) + 0.5) / SIZE * 2 - 1
    sc, tc = np.meshgrid(centres, centres)            # row index -> tc, column -> sc
    c = cube.face_direction(face, sc, tc)
    c /= np.linalg.norm(c, axis=-1, keepdims=True)
    w = c @ cube.R.T                                  # world = R c
    ra = np.degrees(np.arctan2(w[..., 0], w[..., 2])) / 15.0
    dec = np.degrees(np.arcsin(np.clip(w[..., 1], -1, 1)))
    h, wdt = glow.shape[:2]
    x = ((MILKY_WAY_RA_AT_LEFT - ra) / 24.0 % 1.0) * wdt - 0.5
    y = (90.0 - dec) / 180.0 * h - 0.5
    out = np.empty((SIZE, SIZE, 3))
    for ch in range(3):
        out[:, :, ch] = ndimage.map_coordinates(glow[:, :, ch], [y, x], order=1, mode="grid-wrap")
    return out


def render_face(face, cdir, mag, tint, background):
    img = background.copy()
    sc, tc, ma = cube.face_coords(face, cdir)
    near = ma > 0.3
    u, v = sc[near] / ma[near], tc[near] / ma[near]
    pix = 2.0 / SIZE                                  # face-centre pixel in radians
    sigma = pix * (SIGMA_FAINT + SIGMA_GROWTH * np.clip(3.5 - mag[near], 0, None))
    peak = np.minimum(1.0, 10 ** (-0.4 * RESPONSE * (mag[near] - SATURATION_MAG)))
    d = cdir[near]
    col_tint = tint[near]
    x = (u + 1) / 2 * SIZE - 0.5                      # texel-centre coordinates
    y = (v + 1) / 2 * SIZE - 0.5
    stretch = 1 + u * u + v * v                       # radians per face unit shrink by this
    reach = np.ceil(3.5 * sigma / (pix / stretch)).astype(int) + 1
    for i in np.nonzero((x + reach >= 0) & (x - reach < SIZE) &
                        (y + reach >= 0) & (y - reach < SIZE))[0]:
        c0, c1 = max(0, int(x[i]) - reach[i]), min(SIZE, int(x[i]) + reach[i] + 2)
        r0, r1 = max(0, int(y[i]) - reach[i]), min(SIZE, int(y[i]) + reach[i] + 2)
        cc, rr = np.meshgrid(np.arange(c0, c1), np.arange(r0, r1))
        dirs = cube.face_direction(face, (cc + 0.5) / SIZE * 2 - 1, (rr + 0.5) / SIZE * 2 - 1)
        dirs /= np.linalg.norm(dirs, axis=-1, keepdims=True)
        chord2 = ((dirs - d[i]) ** 2).sum(axis=-1)    # ~ angle^2 for small angles
        w = peak[i] * np.exp(-chord2 / (2 * sigma[i] ** 2))
        img[r0:r1, c0:c1] += w[..., None] * col_tint[i]
    return np.clip(np.rint(img * 255), 0, 255).astype(np.uint8)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out-dir", default="resources/stars")
    args = p.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)
    ra, dec, mag, bv = load_stars()
    cdir = cube.cube_direction(cube.world_direction(ra, dec))
    tint = star_tint(bv)
    print("%d stars, magnitude %.2f .. %.2f" % (len(mag), mag.min(), mag.max()))
    glow = load_milky_way()
    for face, name in enumerate(cube.FACES):
        rgb = render_face(face, cdir, mag, tint, sample_milky_way(glow, face))
        if name in RGBA_FACES:
            im = Image.fromarray(np.dstack([rgb, np.full(rgb.shape[:2], 255, np.uint8)]), "RGBA")
        else:
            im = Image.fromarray(rgb, "RGB")
        path = os.path.join(args.out_dir, name + ".png")
        im.save(path, optimize=True)
        print("%s: %s, %d bytes" % (path, im.mode, os.path.getsize(path)))


if __name__ == "__main__":
    main()
