"""Two-line element set text: checksums, field access and writing.

Columns follow the public NORAD layout (counted from 0 here, half-open):
line 1: number 2:7, designator 9:17, epoch year 18:20, epoch day 20:32;
line 2: inclination 8:16, node 17:25, eccentricity 26:33 (implied point),
perigee 34:42, mean anomaly 43:51, mean motion 52:63.
"""
import datetime as dt

TARGET_EPOCH = dt.datetime(2014, 11, 21, 0, 0, 0)
TARGET_EPOCH_FIELD = "14325.00000000"


def checksum(line):
    """Modulo-10 sum of the digits of the first 68 columns, each minus sign counting one."""
    total = 0
    for ch in line[:68]:
        if ch.isdigit():
            total += int(ch)
        elif ch == "-":
            total += 1
    return total % 10


def valid_pair(l1, l2):
    if len(l1) != 69 or len(l2) != 69:
        return False
    if not (l1.startswith("1 ") and l2.startswith("2 ")):
        return False
    if l1[2:7] != l2[2:7]:
        return False
    if not (l1[68].isdigit() and l2[68].isdigit()):
        return False
    if checksum(l1) != int(l1[68]) or checksum(l2) != int(l2[68]):
        return False
    try:
        fields(l1, l2)
    except ValueError:
        return False
    return True


def with_checksum(line):
    line = line[:68]
    assert len(line) == 68, line
    return line + str(checksum(line))


def epoch_of(l1):
    """Epoch of line 1 as a naive UTC datetime (two-digit years 57..99 are 19xx)."""
    yy = int(l1[18:20])
    year = 1900 + yy if yy >= 57 else 2000 + yy
    day = float(l1[20:32])
    return dt.datetime(year, 1, 1) + dt.timedelta(days=day - 1.0)


def fields(l1, l2):
    return {
        "number": int(l1[2:7]),
        "incl": float(l2[8:16]),
        "raan": float(l2[17:25]),
        "ecc": float("0." + l2[26:33].strip()),
        "argp": float(l2[34:42]),
        "ma": float(l2[43:51]),
        "n": float(l2[52:63]),
    }


def set_elements(l1, l2, epoch_field, incl, raan, ecc, argp, ma, n, rev):
    """New lines at another epoch with every element of line 2 replaced; designator, drag
    terms and element number stay; checksums recomputed."""
    assert len(epoch_field) == 14
    e = "%07d" % int(round(ecc * 1e7))
    if len(e) > 7 or not 0.0 <= ecc < 1.0 or not 0.0 <= incl <= 180.0 or not 0.0 < n < 100.0:
        raise ValueError("elements out of range: i %r e %r n %r" % (incl, ecc, n))
    n1 = l1[:18] + epoch_field + l1[32:68]
    n2 = "2 %s %8.4f %8.4f %s %8.4f %8.4f %11.8f%5d" % (
        l2[2:7], incl, raan % 360.0, e, argp % 360.0, ma % 360.0, n, rev % 100000)
    # "%8.4f" of a value that rounds to 360.0000 would spill one column.
    n2 = n2.replace("360.0000", "  0.0000")
    return with_checksum(n1), with_checksum(n2 + "0")


def clean_name(name):
    """A name as the catalogue table can hold it: the table reader treats backslash and double
    quote as escapes, so they are replaced; bytes outside printable ASCII become '?'."""
    name = name.strip()
    if name.startswith("0 "):
        name = name[2:].strip()
    name = name.replace("\\", "/").replace('"', "'")
    return "".join(ch if 32 <= ord(ch) < 127 else "?" for ch in name)


def bstar_field(value):
    """Drag term in the packed form " 12345-3" (mantissa with implied leading point)."""
    if value == 0.0:
        return " 00000-0"
    sign = "-" if value < 0 else " "
    v = abs(value)
    exp = 0
    while v >= 1.0:
        v /= 10.0
        exp += 1
    while v < 0.1:
        v *= 10.0
        exp -= 1
    mant = int(round(v * 100000))
    if mant >= 100000:
        mant //= 10
        exp += 1
    if exp > 9 or exp < -9:
        return " 00000-0"
    return "%s%05d%s%d" % (sign, mant, "-" if exp < 0 else "+", abs(exp))


def make_set(number, designator_text, epoch_field, incl, raan, ecc, argp, ma, n,
             bstar=0.0, element_no=999, rev=0):
    """Write a fresh pair of element lines (unclassified, zero mean-motion derivatives)."""
    l1 = "1 %05dU %-8s %s  .00000000  00000-0 %s 0 %4d" % (
        number, designator_text, epoch_field, bstar_field(bstar), element_no % 10000)
    e = "%07d" % int(round(ecc * 1e7))
    if len(e) > 7:
        raise ValueError("eccentricity out of range")
    l2 = "2 %05d %8.4f %8.4f %s %8.4f %8.4f %11.8f%5d" % (
        number, incl, raan % 360.0, e, argp % 360.0, ma % 360.0, n, rev % 100000)
    l2 = l2.replace("360.0000", "  0.0000")
    return with_checksum(l1 + "0"), with_checksum(l2 + "0")
