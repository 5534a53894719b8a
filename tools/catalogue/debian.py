"""Readers for the element sets that Debian packages ship (used only by import_sources.py).

Each reader yields Candidate records; a set whose lines are not exactly two valid
69-column element lines with correct checksums is left out (and counted). Paths are looked
up under a root: "/" for installed packages, or a folder the packages were unpacked into
with `dpkg-deb -x`.
"""
import collections
import json
import os
import re
import zlib

import tlefmt

GPREDICT_DIR = "usr/share/gpredict/data/satdata"
SAVI_DIR = "usr/share/savi/data"
SGP4_VER = "usr/lib/python3/dist-packages/sgp4/SGP4-VER.TLE"
STELLARIUM_BIN = "usr/bin/stellarium"
EXTRA_ISS = ["usr/share/xplanet/satellites/iss.tle",
             "usr/share/doc/python3-orbit-predictor/examples/iss.tle"]

Candidate = collections.namedtuple("Candidate", "number name l1 l2 source groups")

rejected = collections.Counter()


def _cand(name, l1, l2, source, groups=()):
    l1 = l1.rstrip()
    l2 = l2.rstrip()
    if not tlefmt.valid_pair(l1, l2):
        rejected[source] += 1
        return None
    return Candidate(int(l1[2:7]), tlefmt.clean_name(name), l1, l2, source, frozenset(groups))


def three_line_file(path, source, groups=()):
    lines = [l.rstrip("\r\n") for l in open(path, encoding="latin-1")]
    out = []
    i = 0
    while i + 2 < len(lines) + 0:
        if lines[i + 1].startswith("1 ") and lines[i + 2].startswith("2 "):
            c = _cand(lines[i], lines[i + 1], lines[i + 2], source, groups)
            if c:
                out.append(c)
            i += 3
        else:
            i += 1
    return out


def gpredict(root):
    """satellites.dat (one [number] block per object) and the .cat lists naming members."""
    lists = collections.defaultdict(set)
    for fn in sorted(os.listdir(os.path.join(root, GPREDICT_DIR))):
        if fn.endswith(".cat"):
            rows = open(os.path.join(root, GPREDICT_DIR, fn), encoding="latin-1").read().split("\n")
            for r in rows[1:]:
                if r.strip().isdigit():
                    lists[int(r)].add("gpredict:" + fn[:-4])
    out = []
    block = {}
    for raw in open(os.path.join(root, GPREDICT_DIR, "satellites.dat"), encoding="latin-1"):
        raw = raw.rstrip("\r\n")
        if raw.startswith("["):
            block = {}
        elif "=" in raw:
            k, v = raw.split("=", 1)
            block[k] = v
            if k == "TLE2":
                c = _cand(block.get("NAME", ""), block.get("TLE1", ""), v, "gpredict")
                if c:
                    out.append(c._replace(groups=frozenset(lists.get(c.number, ()))))
    return out


def savi(root):
    return (three_line_file(os.path.join(root, SAVI_DIR, "geo.tle"), "savi-geo", ["savi:geo"])
            + three_line_file(os.path.join(root, SAVI_DIR, "visual.tle"), "savi-visual", ["savi:visual"]))


def sgp4_verification(root):
    """The propagator's verification sets carry no names; they only compete on epoch."""
    out = []
    lines = [l.rstrip() for l in open(os.path.join(root, SGP4_VER), encoding="latin-1")]
    for a, b in zip(lines, lines[1:]):
        if a.startswith("1 ") and b.startswith("2 "):
            c = _cand("", a[:69], b[:69], "sgp4-ver")
            if c:
                out.append(c)
    return out


def extra_iss(root):
    out = []
    for p in EXTRA_ISS:
        if os.path.exists(os.path.join(root, p)):
            out += three_line_file(os.path.join(root, p), "iss:/" + p)
    return out


def stellarium_json(root):
    """The satellites plugin's default list is a zlib-compressed Qt resource inside the
    executable; find the stream that decompresses to its JSON."""
    data = open(os.path.join(root, STELLARIUM_BIN), "rb").read()
    for m in re.finditer(rb"\x78[\x01\x5e\x9c\xda]", data):
        try:
            text = zlib.decompressobj().decompress(data[m.start():m.start() + 8000000])
        except zlib.error:
            continue
        if text.startswith(b"{") and b'"satellites"' in text[:400] and b'"tle1"' in text:
            return json.loads(text.decode("utf-8")), m.start()
    raise RuntimeError("satellite list not found in /" + STELLARIUM_BIN)


def stellarium(root):
    doc, offset = stellarium_json(root)
    out = []
    for key in sorted(doc["satellites"], key=int):
        v = doc["satellites"][key]
        c = _cand(v["name"], v["tle1"], v["tle2"], "stellarium",
                  ["stellarium:" + g for g in v.get("groups", [])])
        if c:
            out.append(c)
    return out, doc.get("creator", ""), offset
