"""Readers of the source copies in tools/catalogue/sources/ (see import_sources.py).

The copies are rows of the published tables, unchanged: the public catalogue of July/August
2015, the break-up element sets of March 2015, the SATCAT (as of 2017-01-12), two releases of
the UCS satellite database, and the element sets that Debian packages hold.
"""
import collections
import csv
import datetime as dt
import os

import tlefmt

SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sources")
TARGET = tlefmt.TARGET_EPOCH

# Break-up category -> the international designator of the event's launch.
BREAKUP_DESIGNATORS = {
    "1999-025": "1999-025",             # Fengyun 1C, destroyed 2007-01-11
    "2012-044": "2012-044",             # Breeze-M upper stage, exploded 2012-10-16
    "cosmos-2251-debris": "1993-036",   # collision of 2009-02-10
    "iridium-33-debris": "1997-051",
}

COPIES = ["catalogue-2015-08.txt", "debian-sets.tsv", "satcat.tsv", "ucs-2014-02-01.tsv",
          "ucs-2020-08-01.tsv"] + ["debris-2015-03/%s.txt" % c for c in BREAKUP_DESIGNATORS]

DebianSet = collections.namedtuple("DebianSet", "number source name lists l1 l2")


def path(name):
    return os.path.join(SOURCES, name)


def _date(text):
    return dt.datetime.strptime(text, "%Y-%m-%d") if text.strip() else None


def read_satcat(filename=None):
    """Catalogue number -> SATCAT row, with launch and decay as datetimes (decay None)."""
    out = {}
    with open(filename or path("satcat.tsv"), encoding="utf-8", newline="") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            row["launch"] = _date(row["launch_date"])
            row["decay"] = _date(row["decay_date"])
            out[int(row["norad_cat_num"])] = row
    return out


def last_number(satcat, when=TARGET):
    """The highest catalogue number of an object launched in the 30 days before the instant.
    Numbers are given in the order objects are catalogued, so a higher number was catalogued
    after the instant; this matters for satellites released from the space station, which the
    SATCAT files under the station's own designator and launch date (1998-11-20)."""
    return max(n for n, r in satcat.items()
               if r["launch"] and when - dt.timedelta(days=30) <= r["launch"] < when)


def on_orbit(row, last, when=TARGET):
    """Launched before the instant (a launch later that day was not yet up at 00:00 UTC),
    catalogued by then (number at most last) and not decayed before its day."""
    return (row["launch"] is not None and row["launch"] < when
            and int(row["norad_cat_num"]) <= last
            and (row["decay"] is None or row["decay"] >= when))


def read_ucs(filename):
    """Catalogue number -> UCS row (the published column names)."""
    out = {}
    with open(filename if os.path.isabs(filename) else path(filename), encoding="utf-8",
              newline="") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            number = row["NORAD Number"].strip()
            if number.isdigit() and int(number) not in out:
                out[int(number)] = row
    return out


def three_line_sets(filename):
    """(number, name, line 1, line 2) of a three-line element file; names trimmed."""
    lines = [l.rstrip("\r\n") for l in open(filename if os.path.isabs(filename)
                                            else path(filename), encoding="ascii")]
    out = []
    for k in range(0, len(lines) - 2, 3):
        name, l1, l2 = lines[k].strip(), lines[k + 1].rstrip(), lines[k + 2].rstrip()
        if not tlefmt.valid_pair(l1, l2):
            raise ValueError("%s: set %d is not a valid element set" % (filename, k // 3 + 1))
        out.append((int(l1[2:7]), name, l1, l2))
    return out


def read_debian():
    out = {}
    with open(path("debian-sets.tsv"), encoding="ascii") as f:
        next(f)
        for line in f:
            number, source, name, lists, l1, l2 = line.rstrip("\n").split("\t")
            out[int(number)] = DebianSet(int(number), source, name,
                                         frozenset(lists.split(";")) - {""}, l1, l2)
    return out
