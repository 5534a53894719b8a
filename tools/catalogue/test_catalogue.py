#!/usr/bin/python3
"""Tests of the catalogue generator's arithmetic:  /usr/bin/python3 -m unittest discover tools/catalogue"""
import datetime as dt
import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import debris   # noqa: E402
import orbit    # noqa: E402
import rules    # noqa: E402
import tlefmt   # noqa: E402

# A published ISS set (python3-orbit-predictor's example) with valid checksums.
ISS1 = "1 25544U 98067A   04005.51955591  .00019728  00000-0  19085-3 0  9701"
ISS2 = "2 25544  51.6297  78.4979 0006431 344.6528 119.5204 15.66405366292649"


class TleFormat(unittest.TestCase):
    def test_checksum_of_published_lines(self):
        self.assertEqual(tlefmt.checksum(ISS1), 1)
        self.assertEqual(tlefmt.checksum(ISS2), 9)
        self.assertTrue(tlefmt.valid_pair(ISS1, ISS2))

    def test_rejects_damaged_lines(self):
        cases = [
            (ISS1[:-1] + "2", ISS2),                # wrong checksum
            (ISS1[:68], ISS2),                      # 68 columns
            (ISS1, ISS2.replace("25544", "25545")),  # numbers disagree (checksum fixed below)
        ]
        cases[2] = (ISS1, tlefmt.with_checksum(cases[2][1]))
        for l1, l2 in cases:
            self.assertFalse(tlefmt.valid_pair(l1, l2), (l1, l2))

    def test_epoch_and_designator(self):
        self.assertEqual(tlefmt.epoch_of(ISS1), dt.datetime(2004, 1, 5) +
                         dt.timedelta(days=0.51955591))
        self.assertEqual(tlefmt.designator(ISS1), (1998, 67))
        sputnik = "1 00001U 57001A   57277.80437500  .00000000  00000-0  00000-0 0  0010"
        self.assertEqual(tlefmt.epoch_of(sputnik).year, 1957)

    def test_rewrite_keeps_columns_and_checksums(self):
        for raan, argp, ma in [(0.0, 0.0, 0.0), (359.99996, 12.5, 359.99999), (180.0, 90.0, 270.0)]:
            l1, l2 = tlefmt.set_epoch_and_angles(ISS1, ISS2, tlefmt.TARGET_EPOCH_FIELD, raan, argp, ma)
            self.assertTrue(tlefmt.valid_pair(l1, l2), l2)
            self.assertEqual(l1[18:32], "14325.00000000")
            self.assertEqual(l2[26:33], ISS2[26:33])   # eccentricity untouched
            self.assertEqual(l2[52:63], ISS2[52:63])   # mean motion untouched
            f = tlefmt.fields(l1, l2)
            self.assertAlmostEqual(f["raan"] % 360.0, raan % 360.0 if raan < 359.99995 else 0.0, places=3)

    def test_make_set_round_trip(self):
        l1, l2 = tlefmt.make_set(80001, "99025AB", tlefmt.TARGET_EPOCH_FIELD,
                                 98.7654, 361.5, 0.0123456, -10.0, 725.25, 14.12345678, bstar=1.2e-4)
        self.assertTrue(tlefmt.valid_pair(l1, l2))
        f = tlefmt.fields(l1, l2)
        self.assertEqual(f["number"], 80001)
        self.assertAlmostEqual(f["raan"], 1.5, places=4)
        self.assertAlmostEqual(f["argp"], 350.0, places=4)
        self.assertAlmostEqual(f["ma"], 5.25, places=4)
        self.assertAlmostEqual(f["ecc"], 0.0123456, places=7)
        self.assertEqual(l1[53:61], " 12000-3")

    def test_bstar_field(self):
        for value, text in [(0.0, " 00000-0"), (1.2e-4, " 12000-3"), (-3.4567e-5, "-34567-4"),
                            (0.099999999, " 10000+0")]:
            self.assertEqual(tlefmt.bstar_field(value), text)


class Orbit(unittest.TestCase):
    def test_sun_synchronous_node_rate(self):
        # 800 km circular at 98.6 deg turns its node about 0.9856 deg a day.
        a = orbit.RE + 800.0
        n = 1440.0 / (2 * math.pi * math.sqrt(a ** 3 / orbit.MU) / 60.0)
        node, _, _ = orbit.j2_rates(n, 0.001, 98.6)
        self.assertAlmostEqual(node, 0.9856, delta=0.01)

    def test_critical_inclination_freezes_perigee(self):
        _, perigee, _ = orbit.j2_rates(2.006, 0.7, 63.4349)
        self.assertAlmostEqual(perigee, 0.0, delta=1e-4)

    def test_zero_interval_is_identity(self):
        el = tlefmt.fields(ISS1, ISS2)
        t = tlefmt.epoch_of(ISS1)
        raan, argp, ma, kept = orbit.reepoch(el, t, t)
        self.assertFalse(kept)
        self.assertAlmostEqual(raan, el["raan"], places=9)
        self.assertAlmostEqual(argp, el["argp"], places=9)
        self.assertAlmostEqual(ma, el["ma"], places=9)

    def test_station_kept_set_keeps_its_longitude(self):
        el = {"n": 1.00272, "ecc": 0.0003, "incl": 0.05, "raan": 80.0, "argp": 200.0, "ma": 33.0}
        src = dt.datetime(2009, 1, 6, 7, 0, 0)
        dst = tlefmt.TARGET_EPOCH
        raan, argp, ma, kept = orbit.reepoch(el, src, dst)
        self.assertTrue(kept)
        lon0 = orbit.right_ascension(el["raan"], el["argp"], el["ma"], el["ecc"], el["incl"]) - orbit.gmst_deg(src)
        lon1 = orbit.right_ascension(raan, argp, ma, el["ecc"], el["incl"]) - orbit.gmst_deg(dst)
        self.assertAlmostEqual((lon1 - lon0 + 180) % 360 - 180, 0.0, places=6)

    def test_slot_rule_boundaries(self):
        for n, e, kept in [(1.0027, 0.0001, True), (1.0050, 0.0001, False), (1.0027, 0.01, False),
                           (1.0010, 0.005, True)]:
            self.assertEqual(orbit.is_station_kept(n, e), kept, (n, e))

    def test_gmst_at_j2000(self):
        self.assertAlmostEqual(orbit.gmst_deg(dt.datetime(2000, 1, 1, 12)), 280.46062, places=3)


class Rules(unittest.TestCase):
    def el(self, alt_km, incl, ecc=0.001):
        a = orbit.RE + alt_km
        n = 1440.0 / (2 * math.pi * math.sqrt(a ** 3 / orbit.MU) / 60.0)
        return {"n": n, "ecc": ecc, "incl": incl, "raan": 0, "argp": 0, "ma": 0}

    def test_classes_and_types(self):
        cases = [
            (self.el(700, 98.2), "LEO", "Sun-Synchronous"),
            (self.el(780, 86.4), "LEO", "Polar"),
            (self.el(400, 51.6), "LEO", "Non-Polar Inclined"),
            (self.el(600, 6.0), "LEO", "Equatorial"),
            (self.el(20200, 55.0), "MEO", ""),
            (self.el(35786, 0.1), "GEO", ""),
            ({"n": 2.006, "ecc": 0.72, "incl": 63.4}, "Elliptical", "Molniya"),
        ]
        for el, cls, typ in cases:
            self.assertEqual(rules.orbit_class(el), cls, el)
            self.assertEqual(rules.orbit_type(el, cls), typ, el)

    def test_categories(self):
        geo = self.el(35786, 0.1)
        self.assertEqual(rules.categories("THURAYA-3", frozenset({"savi:geo"}), geo), {"geo"})
        self.assertIn("sarsat", rules.categories("NOAA 19", frozenset({"gpredict:noaa"}), self.el(850, 99.1)))
        self.assertEqual(rules.categories("SL-3 R/B", frozenset({"savi:visual"}), self.el(600, 81)), set())
        gps = rules.categories("GPS BIIF-1  (PRN 25)", frozenset(), self.el(20200, 55))
        self.assertEqual(gps, {"gps-ops"})


class Debris(unittest.TestCase):
    def test_state_and_elements_round_trip(self):
        d = orbit.DEG
        a, e, i, raan, argp, nu = 7.2e6, 0.05, 74.0, 30.0, 40.0, 100.0
        pos, vel = debris.state_from_elements(a, e, i * d, raan * d, argp * d, nu * d)
        back = debris.elements_from_state(pos, vel)
        self.assertAlmostEqual(back[0], a, delta=1.0)
        self.assertAlmostEqual(back[1], e, places=9)
        for got, want in zip(back[2:5], (i, raan, argp)):
            self.assertAlmostEqual(got, want, places=6)
        self.assertAlmostEqual(back[5], orbit.true_to_mean(nu, e) % 360, places=6)

    def test_clouds_are_reproducible_and_valid(self):
        event = {"name": "TEST DEB", "designator": "99025", "count": 40, "seed": 7,
                "kind": "collision", "body": "spacecraft", "when": dt.datetime(2007, 1, 11),
                "parent": (orbit.RE * 1000 + 865e3, 0.0, 98.65, 10.0, 0.0, 150.0),
                "lmin": 0.05, "lmax": 1.0}
        a, _ = debris.make_cloud(event, 80000, tlefmt.TARGET_EPOCH)
        b, stats = debris.make_cloud(event, 80000, tlefmt.TARGET_EPOCH)
        self.assertEqual(a, b)
        self.assertEqual(len(a), 40)
        for k, (name, l1, l2) in enumerate(a):
            self.assertTrue(tlefmt.valid_pair(l1, l2))
            self.assertEqual(int(l1[2:7]), 80000 + k)
        self.assertTrue(all(hp > 100 for hp, _ in stats["heights"]))

    def test_lifetime_grows_with_altitude(self):
        lives = [debris.lifetime_s(orbit.RE * 1000 + h * 1e3, 0.0, 0.05) for h in (300, 500, 800)]
        self.assertLess(lives[0], 86400 * 60)          # weeks at 300 km
        self.assertGreater(lives[2], 86400 * 365 * 10)  # decades at 800 km
        self.assertTrue(lives[0] < lives[1] < lives[2])

    def test_piece_codes_skip_i_and_o(self):
        codes = []
        gen = debris.piece_codes()
        for _ in range(600):
            codes.append(next(gen))
        self.assertEqual(codes[0], "AA")
        self.assertEqual(len(set(codes)), 600)
        self.assertFalse(any("I" in c or "O" in c for c in codes))


if __name__ == "__main__":
    unittest.main()
