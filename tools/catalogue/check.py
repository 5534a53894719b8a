#!/usr/bin/python3
"""Check the embedded catalogue files the way the program reads them.

    /usr/bin/python3 tools/catalogue/check.py

Reads resources/resources.txt for DATA 901..941, then for every element-set file:
CRLF line ends, three-line sets, lines of exactly 69 characters after trimming, every field
convertible at the reader's columns, both checksums, epoch exactly 14325.00000000
(catalogue number 1, Sputnik 1 of 1957, excepted).  Then the joined catalogue against the
source copies (tools/catalogue/sources/, whose SHA-256 must match SHA256SUMS): every object on
orbit on 2014-11-21 by its SATCAT dates, break-up categories holding pieces of their event
only, no number from 80000 up, orbit classes with the program's thresholds, the tour's
numbers; and the table: ten columns, unique numbers, every row backed by a non-debris set,
launch dates as the SATCAT's, users and purpose as the UCS releases', masses readable.
Exits non-zero if anything failed.
"""
import hashlib
import collections
import datetime as dt
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import rules    # noqa: E402
import sources  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEBRIS = {"1999-025", "2012-044", "cosmos-2251-debris", "iridium-33-debris"}
TOUR = [1, 23613, 24876, 27540, 27714, 32404, 40025, 40032,
        36585, 37753, 38833, 39166, 39533, 39741]
GPS_IIF = [36585, 37753, 38833, 39166, 39533, 39741]
TARGET = dt.datetime(2014, 11, 21)

errors = []


def fail(msg):
    errors.append(msg)


def c_int(text):
    """strtol-like: optional sign and digits at the start of the trimmed text."""
    m = re.match(r"\s*[+-]?\d+", text)
    if not m:
        raise ValueError("no integer in %r" % text)
    return int(m.group(0))


def c_float(text, implied_point=False):
    t = text.strip()
    if implied_point:
        t = "0." + t
    m = re.match(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", t)
    if not m:
        raise ValueError("no number in %r" % text)
    return float(m.group(0))


def checksum(line):
    return sum(int(c) if c.isdigit() else (1 if c == "-" else 0) for c in line[:68]) % 10


def read_sets(path):
    data = open(path, "rb").read()
    if not data.endswith(b"\r\n"):
        fail("%s: does not end with CRLF" % path)
    lines = data.split(b"\n")
    if lines[-1] == b"":
        lines = lines[:-1]
    for k, l in enumerate(lines):
        if not l.endswith(b"\r"):
            fail("%s:%d: line does not end with CRLF" % (path, k + 1))
    text = [l.decode("ascii").strip() for l in lines]
    if len(text) % 3:
        fail("%s: %d lines, not a whole number of three-line sets" % (path, len(text)))
    out = []
    for k in range(0, len(text) - 2, 3):
        name, l1, l2 = text[k:k + 3]
        where = "%s:%d" % (os.path.basename(path), k + 1)
        if not name:
            fail(where + ": empty name")
        if len(l1) != 69:
            fail(where + ": Malformed Line 1")
            continue
        if len(l2) != 69:
            fail(where + ": Malformed Line 2")
            continue
        if not l1.startswith("1 ") or not l2.startswith("2 ") or l1[2:7] != l2[2:7]:
            fail(where + ": line numbers or catalogue numbers disagree")
        for l in (l1, l2):
            if checksum(l) != int(l[68]):
                fail(where + ": bad checksum")
        try:
            rec = {
                "name": name, "number": c_int(l1[2:7]), "year": c_int(l1[18:20]),
                "day": c_float(l1[20:32]), "incl": c_float(l2[8:16]),
                "raan": c_float(l2[17:25]), "ecc": c_float(l2[26:33], True),
                "argp": c_float(l2[34:42]), "ma": c_float(l2[43:51]),
                "n": c_float(l2[52:63]),
            }
        except ValueError as e:
            fail(where + ": " + str(e))
            continue
        out.append(rec)
    return out


def epoch(rec):
    year = rec["year"] + (2000 if rec["year"] < 50 else 1900)
    return dt.datetime(year - 1, 12, 31) + dt.timedelta(days=rec["day"])


def orbit_class(rec, is_debris):
    """The program's class of a set: the one rule in rules.py, and debris is never low or medium."""
    cls = rules.orbit_class(rec)
    if is_debris and cls in ("LEO", "MEO"):
        return ""
    return {"LEO": "Leo", "MEO": "Meo", "GEO": "Geo", "Elliptical": "Elliptical"}[cls]


def split_row(line):
    """Tab-separated with double-quote quoting; backslash is an escape the reader rejects
    unless it precedes a quote, tab or backslash, so none may appear."""
    if "\\" in line:
        raise ValueError("backslash in row")
    fields, cur, quoted = [], "", False
    for ch in line:
        if ch == '"':
            quoted = not quoted
        elif ch == "\t" and not quoted:
            fields.append(cur)
            cur = ""
        else:
            cur += ch
    fields.append(cur)
    return [f.strip() for f in fields]


def reader_mass(text):
    """The program's reading of a mass column: a remark in parentheses dropped, digit groups
    joined ("1, 388" is 1388), then the longest number at the start."""
    t = text.split("(")[0].strip() or text.strip()
    t = re.sub(r"(?<=\d),\s*(?=\d)", "", t)
    return c_float(t)


SATCAT = UCS = None


def check_sources():
    global SATCAT, UCS
    for line in open(sources.path("SHA256SUMS")):
        digest, name = line.split()
        if hashlib.sha256(open(sources.path(name), "rb").read()).hexdigest() != digest:
            fail("source copy %s does not match SHA256SUMS" % name)
    SATCAT = sources.read_satcat()
    UCS = [sources.read_ucs("ucs-2014-02-01.tsv"), sources.read_ucs("ucs-2020-08-01.tsv")]


def check_membership(sats, cats):
    last = sources.last_number(SATCAT)
    for num in sorted(sats):
        if num == 1:
            continue
        row = SATCAT.get(num)
        if row is None or not sources.on_orbit(row, last):
            fail("%d was not on orbit on 2014-11-21 (SATCAT %s)" % (
                num, row and (row["launch_date"], row["decay_date"])))
            continue
        for cat in cats[num] & DEBRIS:
            if not row["designator"].startswith(sources.BREAKUP_DESIGNATORS[cat]):
                fail("%d (%s) in %s" % (num, row["designator"], cat))


def check_facts(num, f):
    # Number 1 is the tour's Sputnik 1, whose SATCAT row is 1957-001B.
    row = SATCAT.get(num) if num != 1 else next(
        (r for r in SATCAT.values() if r["designator"] == "1957-001B"), None)
    if row is None:
        fail("table: %d is not in the SATCAT" % num)
        return
    launch = row["launch"]
    if f[8] != "%d/%d/%d" % (launch.month, launch.day, launch.year):
        fail("table: %d launch date %r, SATCAT %s" % (num, f[8], row["launch_date"]))
    if not f[1]:
        fail("table: %d has no country" % num)
    listed = [u[num] for u in UCS if num in u]
    if listed and (f[2], f[3]) != (" ".join(listed[0]["Users"].split()),
                                   " ".join(listed[0]["Purpose"].split())):
        fail("table: %d users/purpose %r, UCS %r" % (num, f[2:4], (listed[0]["Users"],
                                                                  listed[0]["Purpose"])))
    for k in (6, 7):
        if f[k]:
            try:
                if reader_mass(f[k]) <= 0:
                    fail("table: %d mass %r" % (num, f[k]))
            except ValueError:
                fail("table: %d mass %r is not readable" % (num, f[k]))


def main():
    check_sources()
    manifest = {}
    for line in open(os.path.join(ROOT, "resources", "resources.txt")):
        parts = line.split()
        if len(parts) == 3 and parts[0] == "DATA" and 901 <= int(parts[1]) <= 941:
            manifest[int(parts[1])] = parts[2]
    if sorted(manifest) != list(range(901, 942)):
        fail("manifest does not list DATA 901..941")
    stored = {}
    cats = collections.defaultdict(set)
    counts = collections.OrderedDict()
    total_bytes = 0
    for rid in range(902, 942):
        path = os.path.join(ROOT, manifest[rid])
        cat = os.path.basename(path)[:-4]
        total_bytes += os.path.getsize(path)
        sets = read_sets(path)
        counts[cat] = len(sets)
        if not sets:
            fail("empty category " + cat)
        for rec in sets:
            if rec["number"] != 1 and (rec["year"], rec["day"]) != (14, 325.0):
                fail("%s %d: epoch %s, not 2014-11-21 00:00" % (cat, rec["number"], epoch(rec)))
            old = stored.get(rec["number"])
            if old and (old["year"], old["day"]) != (rec["year"], rec["day"]):
                fail("%d listed with different epochs" % rec["number"])
            if not old:
                stored[rec["number"]] = rec
            cats[rec["number"]].add(cat)

    sats = {}
    for num, rec in stored.items():
        deb = bool(cats[num] & DEBRIS)
        sats[num] = (rec, deb, orbit_class(rec, deb))

    # The orbit classes the tour relies on.
    for num in sorted(sats):
        rec, deb, cls = sats[num]
        if "gps-ops" in cats[num] and cls != "Meo":
            fail("gps-ops %d is %s, not Meo" % (num, cls))
        if "geo" in cats[num] and cls != "Geo":
            fail("geo %d is %s, not Geo" % (num, cls))
        if deb and not (cats[num] <= DEBRIS):
            fail("%d is debris and in %s" % (num, sorted(cats[num])))
        if num >= 80000:
            fail("%d: a number from 80000 up" % num)
    check_membership(sats, cats)
    for name in sorted(DEBRIS):
        members = [sats[n] for n in sats if name in cats[n]]
        print("%-20s %4d sets, %4d with no class bit" % (
            name, len(members), sum(1 for _, _, cls in members if cls == "")))

    for num in TOUR:
        if num not in sats:
            fail("tour satellite %d missing" % num)
    for num in GPS_IIF:
        if num in sats and "gps-ops" not in cats[num]:
            fail("GPS IIF %d not in gps-ops" % num)
    if 1 in sats and (sats[1][0]["name"] != "Sputnik 1" or sats[1][0]["year"] != 57):
        fail("number 1 is not Sputnik 1 of 1957")

    # Catalogue table.
    path = os.path.join(ROOT, manifest[901])
    raw = open(path, "rb").read()
    total_bytes += len(raw)
    lines = raw.split(b"\n")
    if lines[-1] == b"":
        lines = lines[:-1]
    if any(not l.endswith(b"\r") for l in lines):
        fail("table: line without CRLF")
    header = lines[0].decode("latin-1").strip().split("\t")
    if header != ["NORAD-UCS", "country", "users", "purpose", "class", "type", "launch-mass",
                  "dry-mass", "launch-date", "name-UCS"]:
        fail("table: header %r" % header)
    seen = set()
    polar, sso = [], []
    for k, l in enumerate(lines[1:], 2):
        try:
            f = split_row(l.decode("utf-8"))
        except ValueError as e:
            fail("table line %d: %s" % (k, e))
            continue
        if len(f) != 10:
            fail("table line %d: %d fields" % (k, len(f)))
            continue
        num = c_int(f[0])
        if num in seen:
            fail("table: %d twice" % num)
        seen.add(num)
        if num not in sats:
            fail("table: %d has no element set" % num)
        elif sats[num][1]:
            fail("table: %d is debris" % num)
        check_facts(num, f)
        cls_map = {"LEO": "Leo", "MEO": "Meo", "GEO": "Geo", "Elliptical": "Elliptical"}
        if num in sats and cls_map.get(f[4]) != sats[num][2]:
            fail("table: %d class %s but elements give %s" % (num, f[4], sats[num][2]))
        if f[4] == "LEO" and f[5] == "Polar":
            polar.append(num)
        if f[4] == "LEO" and f[5] == "Sun-Synchronous":
            sso.append(num)

    print("sets per category:")
    for cat, n in counts.items():
        print("  %-20s %5d" % (cat, n))
    debris = sum(1 for s in sats.values() if s[1])
    multi = sum(1 for c in cats.values() if len(c) > 1)
    print("element sets %d, satellites %d (debris %d), numbers in several files %d"
          % (sum(counts.values()), len(sats), debris, multi))
    cls_count = collections.Counter(s[2] or "(none)" for s in sats.values())
    print("orbit classes:", dict(sorted(cls_count.items())))
    print("table rows %d, bytes of all files %d" % (len(seen), total_bytes))
    filled = collections.Counter()
    for l in lines[1:]:
        f = split_row(l.decode("utf-8"))
        filled.update(k for k, v in zip(("country", "users", "purpose", "launch-mass", "dry-mass",
                                         "launch-date"), (f[1], f[2], f[3], f[6], f[7], f[8])) if v)
        filled["mass"] += bool(f[6] or f[7])
    print("table rows with:", dict(sorted(filled.items())))
    print("polarLeoSatellites (%d): %s" % (len(polar), ", ".join(map(str, sorted(polar)))))
    print("sunSynchronousLeoSatellites (%d): %s" % (len(sso), ", ".join(map(str, sorted(sso)))))
    print("tour satellites: " + ", ".join("%d %s (%s)" % (n, sats[n][0]["name"], "/".join(sorted(cats[n])))
                                          for n in TOUR if n in sats))
    if errors:
        print("FAILED: %d problems" % len(errors))
        for e in errors[:50]:
            print("  " + e)
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
