#!/usr/bin/python3
"""Position error of the program's propagation against SGP4, the model the element sets are
made for: median and worst distance after 1, 3 and 7 days, per orbit class, with the secular
J2 drift the program uses ("j2") and with two-body motion alone ("kepler", the former model).

Needs Debian's python3-sgp4 (for measuring only; the program never uses it) and the
orbitarium_positions tool of a build:

    tools/propagation/compare_sgp4.py build/bench/orbitarium_positions FILE.txt [FILE.txt ...]

FILEs are three-line element sets, or OMM as JSON (a name ending in .json, read for SGP4
through the library's OMM support); every set is classed by its orbit: LEO (period under
225 minutes), GEO (period within 30 minutes of a sidereal day, eccentricity under 0.1),
Molniya (eccentricity over 0.5, period 11 to 13 hours), MEO (the rest). With --reference it
prints, instead of the table, SGP4's positions of the first set of each file after 1 day,
for the numbers stored in the CPU test.
"""
import json
import math
import statistics
import subprocess
import sys

from sgp4 import omm
from sgp4.api import Satrec

DAYS = (1, 3, 7)


def read_sets(path):
    lines = [l.rstrip() for l in open(path, encoding="latin-1") if l.strip()]
    sets = []
    i = 0
    while i + 1 < len(lines):
        if lines[i].startswith("1 ") and lines[i + 1].startswith("2 "):
            name = lines[i - 1].strip() if i > 0 and not lines[i - 1].startswith("2 ") else ""
            sets.append((name, lines[i], lines[i + 1]))
            i += 2
        else:
            i += 1
    return sets


def read_satellites(path):
    """(name, Satrec) of every set of a file."""
    if path.endswith(".json"):
        out = []
        for fields in json.load(open(path)):
            sat = Satrec()
            omm.initialize(sat, fields)
            out.append((fields.get("OBJECT_NAME", ""), sat))
        return out
    return [(name, Satrec.twoline2rv(l1, l2)) for name, l1, l2 in read_sets(path)]


def orbit_class(sat):
    period = 2 * math.pi / sat.no_kozai  # minutes
    if period < 225:
        return "LEO"
    if abs(period - 1436.07) < 30 and sat.ecco < 0.1:
        return "GEO"
    if sat.ecco > 0.5 and 660 < period < 780:
        return "Molniya"
    return "MEO"


def program_positions(tool, path):
    out = subprocess.run([tool, path] + [str(d * 1440) for d in DAYS], check=True,
                         capture_output=True, text=True).stdout.splitlines()
    positions = {}
    for line in out[1:]:
        number, minutes, model, x, y, z = line.split()
        positions[(int(number), float(minutes), model)] = (float(x), float(y), float(z))
    return positions


def main():
    args = sys.argv[1:]
    reference = "--reference" in args
    each = "--each" in args  # one row per set instead of per class
    args = [a for a in args if a not in ("--reference", "--each")]
    tool, files = args[0], args[1:]
    errors = {}  # (class, days, model) -> [km]
    for path in files:
        if reference:
            name, l1, l2 = read_sets(path)[0]
            sat = Satrec.twoline2rv(l1, l2)
            e, r, v = sat.sgp4_tsince(1440.0)
            print('{"%s", "%s", "%s", {%.3f, %.3f, %.3f}},' % (name, l1, l2, *r))
            continue
        ours = program_positions(tool, path)
        for name, sat in read_satellites(path):
            cls = orbit_class(sat)
            for days in DAYS:
                e, r, v = sat.sgp4_tsince(days * 1440.0)
                if e != 0:
                    continue  # decayed or diverged in SGP4 itself
                for model in ("j2", "kepler"):
                    p = ours.get((sat.satnum, float(days * 1440), model))
                    if p is None:
                        continue
                    key = (name if each else cls, days, model)
                    errors.setdefault(key, []).append(math.dist(p, r))
    if reference:
        return
    print("| class | sets | days | median km, two-body | median km, J2 | worst km, two-body | worst km, J2 |")
    print("|---|---|---|---|---|---|---|")
    groups = sorted({k[0] for k in errors}) if each else ("LEO", "MEO", "GEO", "Molniya")
    for cls in groups:
        for days in DAYS:
            before = errors.get((cls, days, "kepler"), [])
            after = errors.get((cls, days, "j2"), [])
            if not after:
                continue
            print("| %s | %d | %d | %.1f | %.1f | %.1f | %.1f |" % (
                cls, len(after), days, statistics.median(before), statistics.median(after),
                max(before), max(after)))


if __name__ == "__main__":
    main()
