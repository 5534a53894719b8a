#!/usr/bin/python3
"""Regenerate resources/catalogue/ (element sets per category and the catalogue table) from
the source copies in tools/catalogue/sources/ alone.

    /usr/bin/python3 tools/catalogue/build.py
    /usr/bin/python3 tools/catalogue/build.py --compare DIR   # cross-check another build's
                                                              # tle/ folder, write nothing
Needs python3-sgp4. Byte-reproducible: no random draws, no time stamps.
"""
import collections
import datetime as dt
import math
import os
import re
import sys

from sgp4.api import jday  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import carry     # noqa: E402
import facts     # noqa: E402
import orbit     # noqa: E402
import rules     # noqa: E402
import sources   # noqa: E402
import tlefmt    # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "resources", "catalogue")

def manifest_categories():
    """The element-set categories, as the program's resource manifest lists their files."""
    names = []
    with open(os.path.join(ROOT, "resources", "resources.txt")) as manifest:
        for line in manifest:
            fields = line.split()
            if len(fields) == 3 and fields[0] == "DATA" and fields[2].startswith("resources/catalogue/tle/"):
                names.append(os.path.splitext(os.path.basename(fields[2]))[0])
    return names


CATEGORIES = manifest_categories()
TOUR = [1, 23613, 24876, 27540, 27714, 32404, 40025, 40032,
        36585, 37753, 38833, 39166, 39533, 39741]
TARGET = tlefmt.TARGET_EPOCH

# One object of the catalogue: where its set came from and what it became.
Entry = collections.namedtuple(
    "Entry", "number name cats source src_l1 src_l2 l1 l2 slot")


def load():
    d = {"satcat": sources.read_satcat(), "ucs14": sources.read_ucs("ucs-2014-02-01.tsv"),
         "ucs20": sources.read_ucs("ucs-2020-08-01.tsv"), "debian": sources.read_debian(),
         "full": {n: (name, l1, l2) for n, name, l1, l2
                  in sources.three_line_sets("catalogue-2015-08.txt")},
         "debris": {c: sources.three_line_sets("debris-2015-03/%s.txt" % c)
                    for c in sources.BREAKUP_DESIGNATORS}}
    return d


def distance(l1):
    return abs((tlefmt.epoch_of(l1) - TARGET).total_seconds())


def select(d, log):
    """Every object of the catalogue with its chosen source set, carried to the date."""
    satcat = d["satcat"]
    last = sources.last_number(satcat)
    entries = []
    in_clouds = {n for sets in d["debris"].values() for n, _, _, _ in sets}
    musson = {n for n, row in d["ucs14"].items() if rules.is_musson(row)}
    universe = set(d["debian"]) | musson | {
        n for n, (name, _, _) in d["full"].items()
        if re.search(rules.DMC_NAMES, name.upper())}
    log["not on orbit"] = sorted(n for n in universe if n in satcat
                                 and not sources.on_orbit(satcat[n], last))
    log["no category"] = []
    log["break-up parents"] = sorted(universe & in_clouds)
    for number in sorted(universe - in_clouds):
        if number not in satcat or not sources.on_orbit(satcat[number], last):
            continue
        deb = d["debian"].get(number)
        cands = []
        if number in d["full"]:
            cands.append(("catalogue 2015-08",) + d["full"][number][1:])
        if deb:
            cands.append(("debian " + deb.source, deb.l1, deb.l2))
        if not cands:
            continue
        source, l1, l2 = min(cands, key=lambda c: distance(c[1]))
        name = deb.name if deb else tlefmt.clean_name(d["full"][number][0])
        el = tlefmt.fields(l1, l2)
        operational = number in d["ucs14"] or number in d["ucs20"]
        slot = carry.holds_slot(el, operational)
        n1, n2 = carry.carry(l1, l2, TARGET, slot)
        cats = rules.categories(name, deb.lists if deb else frozenset(), tlefmt.fields(n1, n2),
                                {"musson"} if number in musson else ())
        if not cats:
            log["no category"].append(number)
            continue
        entries.append(Entry(number, name, cats, source, l1, l2, n1, n2, slot))
    for cat, sets in d["debris"].items():
        for number, name, l1, l2 in sets:
            if not sources.on_orbit(satcat[number], last):
                raise SystemExit("%s %d was not on orbit on the date" % (cat, number))
            n1, n2 = carry.carry(l1, l2, TARGET)
            entries.append(Entry(number, name, {cat}, "break-up " + cat, l1, l2, n1, n2, False))
    return entries


def sputnik(satcat):
    """Catalogue number 1, as the tour names it: Sputnik 1's orbit from its SATCAT row
    (1957-001B; the SATCAT numbers the rocket body 1 and Sputnik 1 itself 2). Node, perigee
    and anomaly are not in the row and are set to 0 (perigee at the node)."""
    row = [r for r in satcat.values() if r["designator"] == "1957-001B"][0]
    period_min = float(row["orbital_period"])
    n = 1440.0 / period_min
    a = (orbit.MU * (period_min * 60 / (2 * math.pi)) ** 2) ** (1 / 3.0)
    rp, ra = orbit.RE + float(row["perigee"]), orbit.RE + float(row["apogee"])
    ecc = (ra - rp) / (ra + rp)
    l1, l2 = tlefmt.make_set(1, "57001A", "57277.80437500", float(row["inclination"]), 0.0, ecc,
                             0.0, 0.0, n, element_no=1, rev=0)
    return ("Sputnik 1", l1, l2), row, {"a_km": a, "ecc": ecc, "n": n}


def angle(a, b):
    c = sum(x * y for x, y in zip(a, b)) / math.sqrt(sum(x * x for x in a) * sum(y * y for y in b))
    return math.degrees(math.acos(max(-1.0, min(1.0, c))))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def state(l1, l2, when=None):
    """TEME position and velocity by sgp4 at an instant (the set's epoch when None)."""
    s = carry.satrec(l1, l2)
    err, r, v = s.sgp4_tsince(0.0) if when is None else s.sgp4(
        *jday(when.year, when.month, when.day, when.hour, when.minute,
              when.second + when.microsecond * 1e-6))
    return None if err else (r, v)


def longitude(r, when):
    return math.degrees(math.atan2(r[1], r[0])) - orbit.gmst_deg(when)


def group_of(e):
    if e.source.startswith("break-up"):
        return "debris"
    return rules.orbit_class(tlefmt.fields(e.l1, e.l2))


def crosscheck(entries, sets=None):
    """Plane and position of our set at its epoch (sets: number -> (l1, l2) of another build,
    by default the entries' own) against the chosen source set propagated by sgp4 to the
    date; for satellites that hold a slot, the longitude against the source set's at its
    own epoch. Returns group -> list of (plane, position) or of (longitude,)."""
    out = collections.defaultdict(list)
    for e in entries:
        ours = (e.l1, e.l2) if sets is None else sets.get(e.number)
        if ours is None:
            continue
        b = state(*ours)
        if e.slot:
            # The source set within a day of its epoch, when the Earth shows the same face
            # as at the date: a satellite that keeps its slot is then at the same point of its
            # daily track (an inclined one draws a figure eight).
            src = tlefmt.epoch_of(e.src_l1)
            turn = (orbit.gmst_deg(TARGET) - orbit.gmst_deg(src)) % 360.0
            same_face = src + dt.timedelta(days=turn / 360.0 / orbit.SIDEREAL_REV_PER_DAY)
            a = state(e.src_l1, e.src_l2, same_face)
            if a and b:
                out["slot"].append((abs((longitude(a[0], same_face) - longitude(b[0], TARGET)
                                         + 180.0) % 360.0 - 180.0),))
            continue
        a = state(e.src_l1, e.src_l2, TARGET)
        if a and b:
            out[group_of(e)].append((angle(cross(*a), cross(*b)), angle(a[0], b[0])))
    return out


def pct(values, q):
    v = sorted(values)
    return v[min(len(v) - 1, int(q * (len(v) - 1) + 0.5))] if v else float("nan")


def print_crosscheck(checks):
    for k in ["LEO", "MEO", "GEO", "Elliptical", "debris", "slot"]:
        v = checks.get(k, [])
        if not v:
            continue
        for j, what in enumerate(["plane", "position"] if k != "slot" else ["longitude"]):
            w = [x[j] for x in v]
            print("sgp4 cross-check %-10s %-9s n=%4d median %7.3f deg, 90%% %7.3f deg, "
                  "worst %7.3f deg" % (k, what, len(w), pct(w, 0.5), pct(w, 0.9), max(w)))


def heights(l1, l2):
    el = tlefmt.fields(l1, l2)
    a = (orbit.MU * (86400.0 / el["n"] / (2 * math.pi)) ** 2) ** (1 / 3.0)
    return a * (1 + el["ecc"]) - orbit.RE, a * (1 - el["ecc"]) - orbit.RE, el["incl"]


def cloud_summary(d, entries):
    """Counts, apogee range and inclination spread of each cloud beside the SATCAT's figures
    for the same pieces, and the pieces on orbit on the date that the files lack."""
    satcat = d["satcat"]
    for cat, des in sources.BREAKUP_DESIGNATORS.items():
        ours = [heights(e.l1, e.l2) for e in entries if cat in e.cats]
        pub = [(float(satcat[e.number]["apogee"]), float(satcat[e.number]["inclination"]))
               for e in entries if cat in e.cats and satcat[e.number]["apogee"]]
        pieces = [r for r in satcat.values() if r["designator"].startswith(des)]
        alive = [r for r in pieces if sources.on_orbit(r, sources.last_number(satcat))]
        files_date = max(tlefmt.epoch_of(e.src_l1) for e in entries if cat in e.cats)
        in_file = {e.number for e in entries if cat in e.cats}
        gone = [r for r in alive if r["decay"] and r["decay"] <= files_date
                and int(r["norad_cat_num"]) not in in_file]
        missing = [r for r in alive if int(r["norad_cat_num"]) not in in_file
                   and not (r["decay"] and r["decay"] <= files_date)]
        apo = [h[0] for h in ours]
        inc = [h[2] for h in ours]
        print("cloud %-19s %4d pieces (SATCAT: %4d on orbit on the date, %3d re-entered before "
              "the files' %s, %3d on orbit but not in the files)"
              % (cat, len(ours), len(alive), len(gone), files_date.date(), len(missing)))
        print("      apogee min/median/max %5.0f / %5.0f / %5.0f km, inclination 10..90%% "
              "%.2f..%.2f deg; SATCAT (2017) for the same pieces: apogee %5.0f / %5.0f / %5.0f "
              "km, inclination %.2f..%.2f deg"
              % (min(apo), pct(apo, 0.5), max(apo), pct(inc, 0.1), pct(inc, 0.9),
                 min(p[0] for p in pub), pct([p[0] for p in pub], 0.5), max(p[0] for p in pub),
                 pct([p[1] for p in pub], 0.1), pct([p[1] for p in pub], 0.9)))


def crlf(lines):
    return "".join(l + "\r\n" for l in lines).encode("utf-8")


class Tee:
    """Print the summary and keep it beside the data as build-summary.txt."""

    def __init__(self, path):
        self.lines, self.path, self.out = [], path, sys.stdout

    def write(self, text):
        self.out.write(text)
        self.lines.append(text)

    def flush(self):
        self.out.flush()

    def save(self):
        with open(self.path, "wb") as f:
            f.write("".join(self.lines).replace("\n", "\r\n").encode("ascii"))


def compare(folder):
    """The cross-check figures of the element-set files in folder (an earlier build)."""
    sets = {}
    for name in os.listdir(folder):
        lines = open(os.path.join(folder, name), encoding="ascii").read().splitlines()
        for k in range(0, len(lines) - 2, 3):
            sets[int(lines[k + 1][2:7])] = (lines[k + 1], lines[k + 2])
    entries = select(load(), {})
    print("objects of this build that %s holds: %d of %d"
          % (folder, sum(1 for e in entries if e.number in sets), len(entries)))
    print_crosscheck(crosscheck(entries, sets))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--compare":
        compare(sys.argv[2])
        return
    tee = Tee(os.path.join(OUT, "build-summary.txt"))
    sys.stdout = tee
    try:
        build()
    finally:
        sys.stdout = tee.out
    tee.save()


def build():
    d = load()
    log = {}
    entries = select(d, log)
    (sp_name, sp_l1, sp_l2), sp_row, sp_info = sputnik(d["satcat"])
    files = {c: [] for c in CATEGORIES}
    for e in entries:
        for c in e.cats:
            files[c].append((e.number, e.name, e.l1, e.l2))
    files["sputnik"].append((1, sp_name, sp_l1, sp_l2))

    os.makedirs(os.path.join(OUT, "tle"), exist_ok=True)
    total_bytes = 0
    for cat in CATEGORIES:
        rows = sorted(files[cat])
        if not rows:
            raise SystemExit("empty category " + cat)
        data = crlf([x for _, name, l1, l2 in rows for x in (name, l1, l2)])
        total_bytes += len(data)
        with open(os.path.join(OUT, "tle", cat + ".txt"), "wb") as f:
            f.write(data)

    table = [facts.row(1, sp_name, {"sputnik"}, tlefmt.fields(sp_l1, sp_l2), sp_row, None, None)]
    for e in entries:
        if not e.source.startswith("break-up"):
            table.append(facts.row(e.number, e.name, e.cats, tlefmt.fields(e.l1, e.l2),
                                   d["satcat"][e.number], d["ucs14"].get(e.number),
                                   d["ucs20"].get(e.number)))
    table.sort(key=lambda r: int(r[0]))
    data = crlf(["\t".join(facts.HEADER)] + ["\t".join(facts.cell(v) for v in r) for r in table])
    with open(os.path.join(OUT, "satcat.tsv"), "wb") as f:
        f.write(data)

    rec = ["number\tsource\tsource-epoch\trule"]
    for e in sorted(entries):
        if not e.source.startswith("break-up"):
            rec.append("%d\t%s\t%s\t%s" % (e.number, e.source, tlefmt.epoch_of(e.src_l1)
                                           .strftime("%Y-%m-%dT%H:%M:%S"),
                                           "slot" if e.slot else "sgp4-rates"))
    with open(os.path.join(OUT, "sets.tsv"), "wb") as f:
        f.write(crlf(rec))

    real = [e for e in entries if not e.source.startswith("break-up")]
    print("catalogue objects: %d (%d satellites and other payloads, %d break-up pieces, "
          "Sputnik 1 hand-written)" % (len(entries) + 1, len(real), len(entries) - len(real)))
    print("left out as not on orbit on 2014-11-21 (SATCAT): %d" % len(log["not on orbit"]))
    print("break-up parents kept in their break-up category only: %s"
          % ", ".join(map(str, log["break-up parents"])))
    print("sets by source:", dict(sorted(collections.Counter(e.source.split(" ")[0] + " "
                                                             + e.source.split(" ")[1]
                                                             for e in real).items())))
    older = sorted((e.number, e.name, tlefmt.epoch_of(e.src_l1).date().isoformat())
                   for e in real if not e.source.startswith("catalogue"))
    print("older sources kept (not in the 2015 catalogue): %d: %s"
          % (len(older), "; ".join("%d %s (%s)" % o for o in older)))
    print("slot rule applied: %d" % sum(1 for e in entries if e.slot))
    print("sets per category:")
    for cat in CATEGORIES:
        print("  %-20s %5d" % (cat, len(files[cat])))
    print("element sets: %d, bytes: %d, table rows: %d, table bytes: %d"
          % (sum(len(v) for v in files.values()), total_bytes, len(table), len(data)))
    print("table rows: %d with a launch date, %d a country, %d a mass, %d users and purpose"
          % (sum(1 for r in table if r[8]), sum(1 for r in table if r[1]),
             sum(1 for r in table if r[6] or r[7]), sum(1 for r in table if r[2] and r[3])))
    print_crosscheck(crosscheck(entries))
    cloud_summary(d, entries)
    print("sputnik from SATCAT 1957-001B: a %.1f km e %.5f n %.8f incl %s"
          % (sp_info["a_km"], sp_info["ecc"], sp_info["n"], sp_row["inclination"]))
    numbers = {e.number for e in entries} | {1}
    missing = [n for n in TOUR if n not in numbers]
    if missing:
        raise SystemExit("tour satellites missing: %s" % missing)


if __name__ == "__main__":
    main()
