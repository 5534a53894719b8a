#!/usr/bin/python3
"""Writes the small element-set and catalogue files of the catalogue tests (CRLF lines).

Run from this folder; the outputs are committed, this script documents how they were made."""


def line1(number, year, day):
    text = "1 %05dU 98067A   %02d%012.8f  .00016717  00000-0  10270-3 0  9005" % (number, year, day)
    assert len(text) == 69, text
    return text


def line2(number, inc, raan, ecc, argp, anomaly, motion):
    text = "2 %05d %8.4f %8.4f %07d %8.4f %8.4f %11.8f563537" % (
        number, inc, raan, ecc, argp, anomaly, motion)
    assert len(text) == 69, text
    return text


def tle(name, number, year, day, inc=51.6416, raan=247.4627, ecc=6703, argp=130.536,
        anomaly=325.0288, motion=15.72125391):
    return [name, line1(number, year, day), line2(number, inc, raan, ecc, argp, anomaly, motion)]


def write(path, lines, final_newline=True):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + ("\r\n" if final_newline else "")).encode("latin-1"))


# Category files of a small assembly: number 90001 is in "amateur" and "cubesat" with different
# epochs (the later, 329.1, is in the earlier file "amateur" order-wise second), 90002 in
# "cubesat" and "geo" with equal epochs, 90003 in "geo" and "iridium-33-debris".
write("amateur.txt", tle("AMATEUR OLD", 90001, 14, 328.5) + tle("ONLY AMATEUR", 90004, 14, 300.0))
write("cubesat.txt", tle("CUBESAT NEW", 90001, 14, 329.1) + tle("FROM CUBESAT", 90002, 14, 320.25))
write("geo.txt", tle("FROM GEO", 90002, 14, 320.25, inc=0.05, raan=80.0, ecc=2, argp=10.0,
                     anomaly=20.0, motion=1.0027379) +
      tle("GEO AND DEBRIS", 90003, 14, 310.0, inc=0.1, raan=10.0, ecc=3, motion=1.0027))
write("iridium-33-debris.txt", tle("IRIDIUM 33 DEB", 90003, 13, 310.0, inc=86.4, motion=14.5))
# Sputnik: mixed-case name, no trailing blanks, a 1957 epoch, no final line end.
write("sputnik.txt", ["Sputnik 1",
                      line1(2, 57, 277.80437500),
                      line2(2, 65.1, 0.0, 520000, 58.0, 0.0, 14.96)], final_newline=False)

# Catalogue table: ten columns, header, quoted names with commas, masses in the forms found in
# the published table, a duplicated row and a row without a number.
header = "NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\tlaunch-mass\tdry-mass\tlaunch-date\tname-UCS"
rows = [
    "7530\tUSA\tCivil\tCommunications\tLEO\tSun-Synchronous\t29\t\t11/15/1974\tAmsat-Oscar 7 (AO-7)",
    "90001\tUSA/Australia\tCivil\tEducation\tLEO\t\t\"3,180\"\t\"1,600\"\t4/1/2013\t\"CubeSat, Test 1 \"",
    "90002\tRussia\tMilitary\tCommunications\tGEO\t\t\t\"1, 388\"\t\t\"Geo, \tTabbed\"",
    "90003\t\tGovernment\tEarth Observation\tLEO\tPolar\t\t\"1,050 (BOL)\"\t7/9/2010\tNo Country",
    "\tNowhere\tCivil\tScience\tLEO\t\t\t\t\tNo Number",
    "7530\tFrance\tCivil\tScience\tLEO\t\t\t\t1/1/2000\tDuplicate Of 7530",
    "90009\tJapan\tCivil\tScience\tMEO\t\t\t12.5\t12/31/1999\tWithout Element Set\textra\tcolumns",
]
write("satcat.tsv", [header] + rows)
write("header_only.tsv", [header])
write("empty.tsv", [], final_newline=False)
