#!/usr/bin/python3
"""Copy the rows of the source tables that build.py uses into tools/catalogue/sources/.

    /usr/bin/python3 tools/catalogue/import_sources.py ORIGINALS [--debian-root ROOT]

ORIGINALS is a folder holding the public fact tables as published (full-catalogue-2015-08.txt,
debris-2015-03/, satcat-2017-01-12.tsv, ucs-2014-02-01.tsv, ucs-2020-08-01.tsv); each must
have the SHA-256 listed in ORIGINALS below. ROOT is where the files of the Debian packages
gpredict, savi, stellarium, xplanet, python3-sgp4 and python3-orbit-predictor are ("/" when
installed, or a folder they were unpacked into with dpkg-deb -x).

Rows are copied byte for byte; rows of objects that the catalogue cannot hold (not on orbit
on 2014-11-21, rocket bodies and pieces outside the four break-ups, objects of no category)
are left out. Run once when a source changes; build.py reads only the copies.
"""
import argparse
import collections
import hashlib
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import debian    # noqa: E402
import rules     # noqa: E402
import sources   # noqa: E402
import tlefmt    # noqa: E402

ORIGINALS = {
    "full-catalogue-2015-08.txt": "be7371720f8f27a73e4c88dbf5e74e29c4afbf132d106b179b438c22c354ffc2",
    "debris-2015-03/1999-025.txt": "7516ad832d7f3c51ddefc9c5f76aeccefbe0c7e7ae14328907a25a0a735e27a4",
    "debris-2015-03/cosmos-2251-debris.txt":
        "d07315b5a7141ae9d144d3d0df6acadcabafd5c51eb837fe200716a4871af6a6",
    "debris-2015-03/iridium-33-debris.txt":
        "3489953f7599a14948da6abf3cde5f577679c500e82507cd399891074bd57323",
    "debris-2015-03/2012-044.txt": "a7f168afbc6683e5393b494b09ec190447a3f1bd6d152a4524f5eb2e76bfee88",
    "satcat-2017-01-12.tsv": "a1490bf85defb3140c1935232b09f102628a69dfaae3cdd13c36727f1d033a33",
    "ucs-2014-02-01.tsv": "c4554b6d083eb71d2b936cfdf1466ab388739570a2bf8ae2ed3bb1fe78a28fa3",
    "ucs-2020-08-01.tsv": "c60b4ba863efe95ec7b517d9821184aff91c3a720da2831c309aec88fc70cdde",
}

SOURCE_PREFERENCE = {"gpredict": 0, "stellarium": 1, "savi-geo": 2, "savi-visual": 3,
                     "sgp4-ver": 9}


def sha256(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


def best_name(cands):
    named = sorted((c for c in cands if c.name), key=lambda c: SOURCE_PREFERENCE.get(c.source, 5))
    # gpredict marks Iridium status as " [+]" / " [-]"; not part of the name.
    return re.sub(r"\s*\[[-+A-Z?]\]$", "", named[0].name).strip() if named else ""


def debian_sets(root, alive):
    """Per catalogue number on orbit on the date: the name, the union of the source lists that
    name it, and its set nearest 2014-11-21 (ties: gpredict, stellarium, savi)."""
    stel, _, _ = debian.stellarium(root)
    cands = (debian.gpredict(root) + stel + debian.savi(root) + debian.sgp4_verification(root)
             + debian.extra_iss(root))
    by_number = collections.defaultdict(list)
    for c in cands:
        by_number[c.number].append(c)
    rows = []
    for number, group in sorted(by_number.items()):
        name = best_name(group)
        if not name or number not in alive or rules.is_rocket_or_debris(name.upper()):
            continue
        best = min(group, key=lambda c: (abs((tlefmt.epoch_of(c.l1) - tlefmt.TARGET_EPOCH)
                                             .total_seconds()),
                                         SOURCE_PREFERENCE.get(c.source, 5)))
        groups = sorted(set().union(*(c.groups for c in group)))
        rows.append("\t".join([str(number), best.source.split(":")[0], name, ";".join(groups),
                               best.l1, best.l2]))
    return rows


def copy_rows(src, dst, keep, header=True):
    """Copy the lines of a table whose row keep() accepts, unchanged."""
    with open(src, "rb") as f:
        lines = f.read().split(b"\n")
    out = [lines[0]] if header else []
    out += [l for l in lines[1 if header else 0:] if l.strip() and keep(l)]
    with open(dst, "wb") as f:
        f.write(b"\n".join(out) + b"\n")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("originals")
    p.add_argument("--debian-root", default="/")
    args = p.parse_args()
    for name, digest in ORIGINALS.items():
        if sha256(os.path.join(args.originals, name)) != digest:
            sys.exit("%s differs from the table this importer was written for" % name)

    satcat = sources.read_satcat(os.path.join(args.originals, "satcat-2017-01-12.tsv"))
    last = sources.last_number(satcat)
    alive = {n for n, row in satcat.items() if sources.on_orbit(row, last)}
    out = sources.SOURCES
    os.makedirs(os.path.join(out, "debris-2015-03"), exist_ok=True)

    deb = debian_sets(args.debian_root, alive)
    with open(os.path.join(out, "debian-sets.tsv"), "w", encoding="ascii", newline="\n") as f:
        f.write("number\tsource\tname\tlists\tline1\tline2\n" + "\n".join(deb) + "\n")
    wanted = {int(r.split("\t", 1)[0]) for r in deb}

    full = os.path.join(args.originals, "full-catalogue-2015-08.txt")
    ucs14 = sources.read_ucs(os.path.join(args.originals, "ucs-2014-02-01.tsv"))
    for number, name, _, _ in sources.three_line_sets(full):
        if re.search(rules.DMC_NAMES, name.upper()) and number in alive:
            wanted.add(number)
    wanted |= {n for n, row in ucs14.items() if rules.is_musson(row) and n in alive}

    with open(full, "rb") as f:
        lines = f.read().split(b"\n")
    kept = []
    for k in range(0, len(lines) - 2, 3):
        if lines[k + 1][:2] == b"1 " and int(lines[k + 1][2:7]) in wanted:
            kept += lines[k:k + 3]
    with open(os.path.join(out, "catalogue-2015-08.txt"), "wb") as f:
        f.write(b"\n".join(kept) + b"\n")

    events = tuple(e.encode() for e in sources.BREAKUP_DESIGNATORS.values())
    for cat in sources.BREAKUP_DESIGNATORS:
        name = "debris-2015-03/%s.txt" % cat
        with open(os.path.join(args.originals, name), "rb") as f:
            data = f.read()
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    sputnik = b"1957-001B"
    copy_rows(os.path.join(args.originals, "satcat-2017-01-12.tsv"),
              os.path.join(out, "satcat.tsv"),
              lambda l: int(l.split(b"\t")[1]) in wanted or l.startswith(events + (sputnik,)))
    for name in ("ucs-2014-02-01.tsv", "ucs-2020-08-01.tsv"):
        copy_rows(os.path.join(args.originals, name), os.path.join(out, name),
                  lambda l: int(l.split(b"\t")[0]) in wanted)

    with open(os.path.join(out, "SHA256SUMS"), "w") as f:
        for name in sorted(sources.COPIES):
            f.write("%s  %s\n" % (sha256(os.path.join(out, name)), name))
    print("objects with a Debian set: %d; objects wanted: %d" % (len(deb), len(wanted)))


if __name__ == "__main__":
    main()
