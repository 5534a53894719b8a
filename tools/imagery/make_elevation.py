#!/usr/bin/python3
"""Resample the ETOPO5 relief onto the globe's 0.4-degree elevation grid.

Output: 405,000 records of three little-endian float64 (longitude, latitude, elevation in
metres), longitude-major: record = column * 450 + row, column 0..899 from longitude -180,
row 0..449 from latitude -90, both 0.4 degrees apart.

Each record is the area-weighted mean of the ETOPO5 cells (treated as constant over their
1/12-degree cell) that overlap the 0.4-degree cell centred on the record's point. Latitude
weights are exact spherical-zone areas (sin difference), so high latitudes are not over-counted.
The row at -90 is a single polar cap, so every column of it gets the same cap mean; otherwise the
450 vertices that coincide at the pole would get different radii.
"""
import argparse
import sys

import numpy as np
from scipy import sparse
from scipy.io import netcdf_file

COLUMNS, ROWS, STEP = 900, 450, 0.4
DEFAULT_SOURCE = "/usr/share/ferret-vis/data/etopo5.cdf"


def overlap_matrix(target_lo, target_hi, source_lo, source_hi, measure):
    """Sparse (targets x sources) matrix of measure(overlap) for 1-D intervals."""
    rows, cols, vals = [], [], []
    for t, (a, b) in enumerate(zip(target_lo, target_hi)):
        lo = np.maximum(a, source_lo)
        hi = np.minimum(b, source_hi)
        hit = np.nonzero(hi > lo)[0]
        w = measure(lo[hit], hi[hit])
        rows += [t] * len(hit)
        cols += list(hit)
        vals += list(w)
    return sparse.csr_matrix((vals, (rows, cols)), shape=(len(target_lo), len(source_lo)))


def resample(source):
    nc = netcdf_file(source, "r", mmap=False)
    lon = np.array(nc.variables["ETOPO05_X"][:], dtype=np.float64)
    lat = np.array(nc.variables["ETOPO05_Y"][:], dtype=np.float64)
    z = np.array(nc.variables["ROSE"][:], dtype=np.float64)  # (lat, lon)
    nc.close()
    if z.shape != (lat.size, lon.size):
        sys.exit("unexpected ETOPO5 layout %s" % (z.shape,))
    if np.any(np.abs(z) > 1e5):
        sys.exit("ETOPO5 holds missing values; refusing to average them")

    dlon = 360.0 / lon.size
    dlat = 180.0 / (lat.size - 1)
    # The stored axis drifts by float32 rounding; rebuild it from the index.
    lon = np.arange(lon.size) * dlon
    lat = -90.0 + np.arange(lat.size) * dlat

    # Source cells in longitude, shifted to -180..180 and repeated once on each side for wrap.
    slon = ((lon + 180.0) % 360.0) - 180.0
    order = np.argsort(slon)
    slon, z = slon[order], z[:, order]
    ext_lo = np.concatenate([slon - 360.0, slon, slon + 360.0]) - dlon / 2
    ext_hi = ext_lo + dlon
    tlon = -180.0 + np.arange(COLUMNS) * STEP
    wlon3 = overlap_matrix(tlon - STEP / 2, tlon + STEP / 2, ext_lo, ext_hi, lambda a, b: b - a)
    n = slon.size
    wlon = wlon3[:, :n] + wlon3[:, n:2 * n] + wlon3[:, 2 * n:]

    slat_lo = np.clip(lat - dlat / 2, -90, 90)
    slat_hi = np.clip(lat + dlat / 2, -90, 90)
    tlat = -90.0 + np.arange(ROWS) * STEP
    tlat_lo = np.clip(tlat - STEP / 2, -90, 90)
    tlat_hi = np.clip(tlat + STEP / 2, -90, 90)
    zone = lambda a, b: np.sin(np.radians(b)) - np.sin(np.radians(a))
    wlat = overlap_matrix(tlat_lo, tlat_hi, slat_lo, slat_hi, zone)

    # grid[row, column] = (wlat z wlon^T) / (wlat 1 wlon^T)
    num = (wlat @ (wlon @ z.T).T)
    den = np.asarray(wlat.sum(axis=1)) * np.asarray(wlon.sum(axis=1)).T
    grid = num / den

    # Polar cap at -90: one value for the whole cap.
    grid[0, :] = grid[0, :].mean()
    return tlon, tlat, grid


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--source", default=DEFAULT_SOURCE)
    p.add_argument("--out", default="resources/earth/elevation.bin")
    args = p.parse_args()
    tlon, tlat, grid = resample(args.source)
    rec = np.zeros((COLUMNS, ROWS, 3), dtype="<f8")
    rec[:, :, 0] = tlon[:, None]
    rec[:, :, 1] = tlat[None, :]
    rec[:, :, 2] = grid.T
    rec.tofile(args.out)
    print("%s: %d records, elevation %.0f .. %.0f m" % (args.out, COLUMNS * ROWS, grid.min(), grid.max()))


if __name__ == "__main__":
    main()
