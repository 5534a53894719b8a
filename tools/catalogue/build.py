#!/usr/bin/python3
"""Regenerate resources/catalogue/ (element sets per category and the catalogue table)
from the installed Debian packages and our breakup and constellation models.

    /usr/bin/python3 tools/catalogue/build.py

Byte-reproducible: every random draw comes from a fixed seed.
"""
import collections
import datetime as dt
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import debris    # noqa: E402
import orbit     # noqa: E402
import rules     # noqa: E402
import sources   # noqa: E402
import tlefmt    # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "resources", "catalogue")

CATEGORIES = [
    "1999-025", "2012-044", "amateur", "argos", "beidou", "cosmos-2251-debris", "cubesat", "dmc",
    "education", "engineering", "galileo", "geo", "geodetic", "globalstar", "glo-ops", "goes",
    "gorizont", "gps-ops", "intelsat", "iridium", "iridium-33-debris", "military", "molniya",
    "musson", "nnss", "noaa", "orbcomm", "other", "other-comm", "radar", "raduga", "resource",
    "sarsat", "sbas", "science", "sputnik", "stations", "tdrss", "weather", "x-comm",
]
DEBRIS = ["1999-025", "2012-044", "cosmos-2251-debris", "iridium-33-debris"]
TOUR = [1, 23613, 24876, 27540, 27714, 32404, 40025, 40032,
        36585, 37753, 38833, 39166, 39533, 39741]

TARGET = tlefmt.TARGET_EPOCH
# Last launch before 2014-11-21 00:00 UTC: 2014-072 (Yaogan 24, 20 November); 2014-073
# (Kuaizhou 2) flew on the 21st.  Catalogue numbers above Yaogan 24's are later too.
LAST_LAUNCH = (2014, 72)
LAST_NUMBER = 40310

SOURCE_PREFERENCE = {"gpredict": 0, "stellarium": 1, "savi-geo": 2, "savi-visual": 3,
                     "sgp4-ver": 9}


def launched_in_time(cands):
    # Satellites deployed from the space station carry its 1998 designator; their numbers
    # still tell when they were catalogued.
    if cands[0].number > LAST_NUMBER:
        return False
    for c in cands:
        d = tlefmt.designator(c.l1)
        if d:
            return d <= LAST_LAUNCH
    return cands[0].number <= LAST_NUMBER


def best_name(cands):
    named = [c for c in cands if c.name]
    named.sort(key=lambda c: SOURCE_PREFERENCE.get(c.source, 5))
    if not named:
        return ""
    # gpredict marks Iridium status as " [+]" / " [-]"; not part of the name.
    return re.sub(r"\s*\[[-+A-Z?]\]$", "", named[0].name).strip()


def sun_right_ascension(when):
    """Low-precision solar right ascension (Astronomical Almanac), degrees."""
    d = (when - dt.datetime(2000, 1, 1, 12)).total_seconds() / 86400.0
    g = math.radians((357.529 + 0.98560028 * d) % 360)
    q = (280.459 + 0.98564736 * d) % 360
    lam = math.radians(q + 1.915 * math.sin(g) + 0.020 * math.sin(2 * g))
    eps = math.radians(23.439 - 0.00000036 * d)
    return math.degrees(math.atan2(math.cos(eps) * math.sin(lam), math.cos(lam))) % 360


def real_sets(log):
    stel, creator, offset = sources.stellarium()
    cands = (sources.gpredict() + stel + sources.savi() + sources.sgp4_verification()
             + sources.extra_iss())
    by_number = collections.defaultdict(list)
    for c in cands:
        by_number[c.number].append(c)
    log["source_counts"] = collections.Counter(c.source.split(":")[0] for c in cands)
    log["rejected"] = dict(sources.rejected)
    log["stellarium"] = (creator, offset)
    chosen = {}
    late = 0
    unconfirmed = []
    for number, group in sorted(by_number.items()):
        if not launched_in_time(group):
            late += 1
            continue
        # A low orbit seen only before the target epoch may have decayed before it (UARS,
        # 2011): without a later set there is no evidence it still flew.
        if (all(tlefmt.epoch_of(c.l1) < TARGET for c in group)
                and tlefmt.fields(group[0].l1, group[0].l2)["n"] > 11.0):
            unconfirmed.append("%d %s" % (number, best_name(group)))
            continue
        name = best_name(group)
        if not name:
            continue
        best = min(group, key=lambda c: (abs((tlefmt.epoch_of(c.l1) - TARGET).total_seconds()),
                                         SOURCE_PREFERENCE.get(c.source, 5)))
        groups = frozenset().union(*(c.groups for c in group))
        chosen[number] = (name, best, groups)
    log["launched_late"] = late
    log["unconfirmed"] = unconfirmed
    return chosen


def reepoch_set(best):
    el = tlefmt.fields(best.l1, best.l2)
    src = tlefmt.epoch_of(best.l1)
    raan, argp, ma, kept = orbit.reepoch(el, src, TARGET)
    l1, l2 = tlefmt.set_epoch_and_angles(best.l1, best.l2, tlefmt.TARGET_EPOCH_FIELD,
                                         raan, argp, ma)
    return l1, l2, src, kept


def sputnik():
    """Catalogue number 1 from its documented orbit: 65.1 deg, 215 x 939 km, 96.2 min.
    Node, perigee and anomaly are not documented to us: set to 0 (perigee at the node)."""
    period_min = 96.2
    n = 1440.0 / period_min
    a = (orbit.MU * (period_min * 60 / (2 * math.pi)) ** 2) ** (1 / 3.0)
    rp, ra = orbit.RE + 215.0, orbit.RE + 939.0
    ecc = (ra - rp) / (ra + rp)
    l1, l2 = tlefmt.make_set(1, "57001A", "57277.80437500", 65.1, 0.0, ecc, 0.0, 0.0, n,
                             element_no=1, rev=0)
    return ("Sputnik 1", l1, l2), {"a_km": a, "ecc": ecc, "n": n}


def circular_set(number, name, designator, alt_km, incl, raan, u):
    a = orbit.RE + alt_km
    n = 1440.0 / (2 * math.pi * math.sqrt(a ** 3 / orbit.MU) / 60.0)
    return (name,) + tlefmt.make_set(number, designator, tlefmt.TARGET_EPOCH_FIELD,
                                     incl, raan, 0.0001, 0.0, u, n)


def modelled_dmc():
    """savi's DMC script: one plane at 686 km, 98.2 deg, local time of the ascending node
    10:15, four satellites 90 deg apart.  The node follows from the Sun's right ascension
    at the epoch: raan = ra_sun + (10.25 - 12) x 15 deg."""
    raan = (sun_right_ascension(TARGET) + (10.25 - 12.0) * 15.0) % 360.0
    return [circular_set(90100 + i, "DMC MODEL %d" % (i + 1), "", 686.0, 98.2, raan, 90.0 * i)
            for i in range(4)], raan


def modelled_musson():
    """Musson geodetic satellites: circular orbits near 1,500 km at 82.6 deg (first
    generation) and 73.6 deg (later), modelled as nine satellites with nodes 40 deg apart."""
    out = []
    for i in range(9):
        incl = 82.6 if i < 4 else 73.6
        out.append(circular_set(90200 + i, "MUSSON MODEL %d" % (i + 1), "", 1500.0, incl,
                                40.0 * i, 97.0 * i))
    return out


def breakup_events():
    """The four breakups.  Parent planes: see PROVENANCE.md."""
    d = orbit.DEG
    fy_event = dt.datetime(2007, 1, 11, 22, 26, 0)
    # Fengyun 1C's plane: the node of its launch's rocket body (CZ-4B R/B 25732, savi
    # visual.tle, epoch 2009-01-06) carried back to the event with J2; the fragments start at
    # 865 km on the southbound pass over 28.2 N.
    rb = [c for c in sources.savi() if c.number == 25732][0]
    rb_el = tlefmt.fields(rb.l1, rb.l2)
    node_rate, _, _ = orbit.j2_rates(rb_el["n"], rb_el["ecc"], rb_el["incl"])
    fy_raan = (rb_el["raan"] + node_rate *
               (fy_event - tlefmt.epoch_of(rb.l1)).total_seconds() / 86400.0) % 360.0
    fy_incl = 98.65
    u = math.pi - math.asin(math.sin(28.2 * d) / math.sin(fy_incl * d))
    fy_parent = (orbit.RE * 1000 + 865e3, 0.0, fy_incl, fy_raan, 0.0, u / d)

    col_event = dt.datetime(2009, 2, 10, 16, 56, 0)
    col_alt = 789e3
    irid_raan, irid_u = debris.raan_through_point(86.4, 72.5, 97.9, col_event, True)
    cos_raan, cos_u = debris.raan_through_point(74.0, 72.5, 97.9, col_event, False)

    brz_launch = dt.datetime(2012, 8, 6, 19, 31, 0)
    brz_event = dt.datetime(2012, 10, 16, 0, 0, 0)
    brz_incl = 49.9
    brz_raan, _ = debris.raan_through_point(brz_incl, 45.96, 63.31, brz_launch, True)
    rp, ra = orbit.RE + 266.0, orbit.RE + 5015.0
    brz_a, brz_e = (rp + ra) / 2.0, (ra - rp) / (ra + rp)
    n_brz = 1440.0 / (2 * math.pi * math.sqrt(brz_a ** 3 / orbit.MU) / 60.0)
    node_rate, _, _ = orbit.j2_rates(n_brz, brz_e, brz_incl)
    brz_raan = (brz_raan + node_rate * (brz_event - brz_launch).total_seconds() / 86400.0) % 360
    brz_nu = 180.0   # near apogee: assumed, the event's position is not known to us
    return [
        {"category": "1999-025", "name": "FENGYUN 1C DEB", "designator": "99025",
         "count": 2664, "seed": 1999025, "kind": "collision", "body": "spacecraft",
         "when": fy_event, "parent": fy_parent, "lmin": 0.05, "lmax": 1.0},
        {"category": "2012-044", "name": "BREEZE-M DEB", "designator": "12044",
         "count": 30, "seed": 2012044, "kind": "explosion", "body": "rocket",
         "when": brz_event, "parent": (brz_a * 1000, brz_e, brz_incl, brz_raan, 0.0, brz_nu),
         "lmin": 0.1, "lmax": 2.0},
        {"category": "cosmos-2251-debris", "name": "COSMOS 2251 DEB", "designator": "93036",
         "count": 1129, "seed": 1993036, "kind": "collision", "body": "spacecraft",
         "when": col_event,
         "parent": (orbit.RE * 1000 + col_alt, 0.0, 74.0, cos_raan, 0.0, cos_u),
         "lmin": 0.05, "lmax": 1.0},
        {"category": "iridium-33-debris", "name": "IRIDIUM 33 DEB", "designator": "97051",
         "count": 366, "seed": 1997051, "kind": "collision", "body": "spacecraft",
         "when": col_event,
         "parent": (orbit.RE * 1000 + col_alt, 0.0, 86.4, irid_raan, 0.0, irid_u),
         "lmin": 0.05, "lmax": 1.0},
    ]


def _sgp4_state(l1, l2, when):
    from sgp4.api import Satrec, jday
    jd, fr = jday(when.year, when.month, when.day, when.hour, when.minute,
                  when.second + when.microsecond * 1e-6)
    err, r, v = Satrec.twoline2rv(l1, l2).sgp4(jd, fr)
    return None if err else (r, v)


def _angle(a, b):
    c = sum(x * y for x, y in zip(a, b)) / math.sqrt(sum(x * x for x in a) * sum(y * y for y in b))
    return math.degrees(math.acos(max(-1.0, min(1.0, c))))


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def crosscheck(l1_src, l2_src, l1_new, l2_new, src_epoch, kept):
    """Compare with the independent sgp4 propagator.  For sets carried by J2: angles (deg)
    between sgp4's positions and between its orbit normals, of the source set propagated to
    the target epoch and of our set at its own epoch.  For slot-kept sets: the difference of
    the sub-satellite longitude at the source epoch and at the target epoch."""
    a = _sgp4_state(l1_src, l2_src, src_epoch if kept else TARGET)
    b = _sgp4_state(l1_new, l2_new, TARGET)
    if a is None or b is None:
        return None
    if kept:
        lon_a = math.degrees(math.atan2(a[0][1], a[0][0])) - orbit.gmst_deg(src_epoch)
        lon_b = math.degrees(math.atan2(b[0][1], b[0][0])) - orbit.gmst_deg(TARGET)
        return (abs((lon_a - lon_b + 180.0) % 360.0 - 180.0),)
    return _angle(a[0], b[0]), _angle(_cross(*a), _cross(*b))


def pct(values, q):
    v = sorted(values)
    return v[min(len(v) - 1, int(q * (len(v) - 1) + 0.5))] if v else float("nan")


def crlf(lines):
    return "".join(l + "\r\n" for l in lines).encode("ascii")


class Tee:
    """Print the summary and keep it beside the data as build-summary.txt."""

    def __init__(self, path):
        self.lines = []
        self.path = path
        self.out = sys.stdout

    def write(self, text):
        self.out.write(text)
        self.lines.append(text)

    def flush(self):
        self.out.flush()

    def save(self):
        with open(self.path, "wb") as f:
            f.write("".join(self.lines).replace("\n", "\r\n").encode("ascii"))


def main():
    tee = Tee(os.path.join(OUT, "build-summary.txt"))
    sys.stdout = tee
    try:
        build()
    finally:
        sys.stdout = tee.out
    tee.save()


def build():
    log = {}
    files = {c: [] for c in CATEGORIES}
    origin = {}            # number -> (kind, source, source epoch, rule)
    table_rows = []
    chosen = real_sets(log)
    checks = collections.defaultdict(list)
    for number, (name, best, groups) in sorted(chosen.items()):
        el = tlefmt.fields(best.l1, best.l2)
        cats = rules.categories(name, groups, el)
        if not cats:
            continue
        l1, l2, src_epoch, kept = reepoch_set(best)
        new_el = tlefmt.fields(l1, l2)
        cls = rules.orbit_class(new_el)
        if cls in ("MEO", "GEO") or el["n"] < 6.4:
            angle = crosscheck(best.l1, best.l2, l1, l2, src_epoch, kept)
            if angle is not None:
                checks["slot" if kept else cls].append(angle)
                if not kept and cats & {"gps-ops", "glo-ops", "galileo", "beidou"}:
                    checks["GNSS"].append(angle)
        for c in cats:
            files[c].append((number, name, l1, l2))
        origin[number] = ("real", best.source, src_epoch, "slot" if kept else "j2")
        if not rules.is_rocket_or_debris(name.upper()):
            country, users, purpose = rules.table_facts(name, cats)
            table_rows.append([str(number), country, users, purpose, cls,
                               rules.orbit_type(new_el, cls), "", "", "", name])

    # Hand-written and modelled sets.
    sp, sp_info = sputnik()
    files["sputnik"].append((1, sp[0], sp[1], sp[2]))
    origin[1] = ("hand-written", "documented orbit", None, "")
    dmc, dmc_raan = modelled_dmc()
    for name, l1, l2 in dmc:
        n = int(l1[2:7])
        files["dmc"].append((n, name, l1, l2))
        origin[n] = ("modelled", "savi dmc.tcl", None, "")
        el = tlefmt.fields(l1, l2)
        cls = rules.orbit_class(el)
        table_rows.append([str(n), "", "", "Earth Observation", cls, rules.orbit_type(el, cls),
                           "", "", "", name])
    for name, l1, l2 in modelled_musson():
        n = int(l1[2:7])
        files["musson"].append((n, name, l1, l2))
        origin[n] = ("modelled", "documented design", None, "")
        el = tlefmt.fields(l1, l2)
        cls = rules.orbit_class(el)
        table_rows.append([str(n), "Russia", "", "Earth Science", cls,
                           rules.orbit_type(el, cls), "", "", "", name])

    number = 80000
    cloud_stats = {}
    for event in breakup_events():
        sets, stats = debris.make_cloud(event, number, TARGET)
        for name, l1, l2 in sets:
            files[event["category"]].append((int(l1[2:7]), name, l1, l2))
            origin[int(l1[2:7])] = ("modelled", "breakup model", None, "")
        cloud_stats[event["category"]] = (event, stats)
        number += len(sets)

    # "other": payloads that the sources list only as visible objects.
    if not files["other"]:
        raise SystemExit("category other is empty")

    os.makedirs(os.path.join(OUT, "tle"), exist_ok=True)
    total_bytes = 0
    for cat in CATEGORIES:
        rows = sorted(files[cat])
        if not rows:
            raise SystemExit("empty category " + cat)
        lines = []
        for _, name, l1, l2 in rows:
            lines += [name, l1, l2]
        data = crlf(lines)
        total_bytes += len(data)
        with open(os.path.join(OUT, "tle", cat + ".txt"), "wb") as f:
            f.write(data)

    header = ["NORAD-UCS", "country", "users", "purpose", "class", "type", "launch-mass",
              "dry-mass", "launch-date", "name-UCS"]
    table_rows.sort(key=lambda r: int(r[0]))

    def cell(v):
        return '"%s"' % v if ("," in v or "\t" in v) else v
    data = crlf(["\t".join(header)] + ["\t".join(cell(v) for v in r) for r in table_rows])
    with open(os.path.join(OUT, "satcat.tsv"), "wb") as f:
        f.write(data)

    # Per-set record of where each real set came from.
    rec = ["number\tkind\tsource\tsource-epoch\trule"]
    for n in sorted(origin):
        kind, src, ep, rule = origin[n]
        if kind == "modelled" and src == "breakup model":
            continue
        rec.append("%d\t%s\t%s\t%s\t%s" % (n, kind, src.split(":")[0],
                                           ep.strftime("%Y-%m-%dT%H:%M:%S") if ep else "", rule))
    with open(os.path.join(OUT, "sets.tsv"), "wb") as f:
        f.write(crlf(rec))

    # Summary for the provenance file and the build log.
    print("sources:", dict(log["source_counts"]), "rejected:", log["rejected"])
    print("stellarium list:", log["stellarium"][0], "at byte", log["stellarium"][1])
    print("dropped as launched after 2014-11-20:", log["launched_late"])
    print("dropped as low orbits seen only before 2014-11-21:", ", ".join(log["unconfirmed"]))
    kinds = collections.Counter(v[0] for v in origin.values())
    print("satellites by kind:", dict(kinds), "total", len(origin))
    real_epochs = sorted(v[2] for v in origin.values() if v[0] == "real")
    print("real source epochs: %s .. %s" % (real_epochs[0], real_epochs[-1]))
    print("by source:", dict(collections.Counter(v[1].split(":")[0] for v in origin.values()
                                                  if v[0] == "real")))
    print("slot rule applied:", sum(1 for v in origin.values() if v[3] == "slot"))
    print("sets per category:")
    for cat in CATEGORIES:
        print("  %-20s %5d" % (cat, len(files[cat])))
    print("element sets:", sum(len(v) for v in files.values()), "bytes:", total_bytes,
          "table rows:", len(table_rows), "table bytes:", len(data))
    for k, v in sorted(checks.items()):
        for j, what in enumerate(["position", "orbit normal"][:len(v[0])]):
            w = [x[j] for x in v]
            print("sgp4 cross-check %-10s %-12s n=%4d median %.3f deg, 90%% %.3f deg, max %.3f deg"
                  % (k, what if k != "slot" else "longitude", len(w), pct(w, 0.5), pct(w, 0.9),
                     max(w)))
    for cat, (event, st) in cloud_stats.items():
        hp = [h[0] for h in st["heights"]]
        ha = [h[1] for h in st["heights"]]
        print("cloud %-20s parent node %.2f deg, drawn %d, dropped (perigee) %d, "
              "dropped (decay) %d, perigee median %.0f km, apogee median %.0f km, "
              "apogee 10..90%% %.0f..%.0f km" % (
                  cat, event["parent"][3], st["drawn"], st["dropped_low"], st["dropped_decay"],
                  pct(hp, 0.5), pct(ha, 0.5), pct(ha, 0.1), pct(ha, 0.9)))
    print("dmc model node %.2f deg; sputnik a %.1f km e %.5f n %.8f" % (
        dmc_raan, sp_info["a_km"], sp_info["ecc"], sp_info["n"]))
    missing = [n for n in TOUR if n not in origin]
    if missing:
        raise SystemExit("tour satellites missing: %s" % missing)


if __name__ == "__main__":
    main()
