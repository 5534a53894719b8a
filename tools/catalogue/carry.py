"""Carry an element set to another epoch with the secular rates of SGP4, and the rule for
geostationary satellites that hold their slot.

The rates are those that python3-sgp4's Satrec computes when it reads a set (WGS-72, the
constants the sets were fitted with): mean anomaly, perigee and node rates from J2 and J4
(mdot, argpdot, nodedot), for deep-space orbits (periods of 225 minutes and more) the
lunisolar rates of eccentricity, inclination, mean anomaly, perigee and node (dedt, didt,
dmdt, domdt, dnodt), and the set's own mean-motion derivative (ndot, half the rate of change
of the mean motion, as the element-set format writes it):

    n'(t) = 2 ndot rho(t)/rho0      M(t) = M0 + mdot t + (integral of n - n0) (+ dmdt t)
    w(t) = w0 + argpdot T (+ domdt t)   Node(t) = Node0 + nodedot T (+ dnodt t)
    with T the integral of (n/n0)^(7/3), the J2 rates' growth as drag shrinks the orbit
    e(t) = e0 (+ dedt t)            i(t) = i0 (+ didt t)

The mean-motion derivative is the drag of the set's epoch. Taken as constant it would turn
the orbit of a piece that was about to re-enter in 2015 into no orbit at all in 2014 (a few
hundred such pieces change their mean motion by more than 0.2 rev/day going back); so it is
scaled by the air density at the perigee of each earlier day against that of the epoch
(exponential atmosphere of Vallado's table 8-4), which leaves a slowly decaying orbit with
the plain n0 + 2 ndot t and stops a fast one where the air thins out.

Periodic terms, drag through B* and the resonance integration of SGP4 are left out.
"""
import math

from sgp4.api import WGS72, Satrec

import orbit
import tlefmt

TWO_PI = 2.0 * math.pi
MINUTES_PER_DAY = 1440.0
SIDEREAL_REV_PER_DAY = orbit.SIDEREAL_REV_PER_DAY


# Exponential atmosphere (Vallado, Fundamentals of Astrodynamics, table 8-4):
# base altitude km, base density kg/m^3, scale height km.
ATMOSPHERE = [
    (0, 1.225, 7.249), (25, 3.899e-2, 6.349), (30, 1.774e-2, 6.682), (40, 3.972e-3, 7.554),
    (50, 1.057e-3, 8.382), (60, 3.206e-4, 7.714), (70, 8.770e-5, 6.549), (80, 1.905e-5, 5.799),
    (90, 3.396e-6, 5.382), (100, 5.297e-7, 5.877), (110, 9.661e-8, 7.263),
    (120, 2.438e-8, 9.473), (130, 8.484e-9, 12.636), (140, 3.845e-9, 16.149),
    (150, 2.070e-9, 22.523), (180, 5.464e-10, 29.740), (200, 2.789e-10, 37.105),
    (250, 7.248e-11, 45.546), (300, 2.418e-11, 53.628), (350, 9.518e-12, 53.298),
    (400, 3.725e-12, 58.515), (450, 1.585e-12, 60.828), (500, 6.967e-13, 63.822),
    (600, 1.454e-13, 71.835), (700, 3.614e-14, 88.667), (800, 1.170e-14, 124.64),
    (900, 5.245e-15, 181.05), (1000, 3.019e-15, 268.00),
]


def log_density(h_km):
    base = ATMOSPHERE[0]
    for row in ATMOSPHERE:
        if h_km >= row[0]:
            base = row
    h0, rho0, scale = base
    return math.log(rho0) - (h_km - h0) / scale


def perigee_km(n_rev_day, ecc):
    a = (orbit.MU / (n_rev_day * TWO_PI / 86400.0) ** 2) ** (1.0 / 3.0)
    return a * (1.0 - ecc) - orbit.RE


def decay(n0, ndot, ecc, days):
    """Mean motion after days (negative: before), the mean anomaly (revolutions) gained over
    n0's, and the days by which the node and perigee turn further than at n0's rates (those
    grow as n^(7/3) as the orbit shrinks); ndot in rev/day^2 as the set writes it. Daily
    midpoint steps."""
    if ndot == 0.0 or days == 0.0:
        return n0, 0.0, 0.0
    steps = max(1, int(math.ceil(abs(days))))
    h = days / steps
    ref = log_density(perigee_km(n0, ecc))

    def rate(n):
        return 2.0 * ndot * math.exp(min(0.0, log_density(perigee_km(n, ecc)) - ref)
                                     if ndot > 0.0 else 0.0)

    n, revs, turn = n0, 0.0, 0.0
    for _ in range(steps):
        mid = n + 0.5 * h * rate(n)
        revs += h * (mid - n0)
        turn += h * ((mid / n0) ** (7.0 / 3.0) - 1.0)
        n += h * rate(mid)
    return n, revs, turn


def satrec(l1, l2):
    return Satrec.twoline2rv(l1, l2, WGS72)


def holds_slot(el, operational):
    """A geostationary satellite in service keeps its longitude: within 0.002 rev/day
    (0.7 deg/day of drift) of one turn per sidereal day, nearly circular, and listed as in
    service (by a UCS release)."""
    return (operational and abs(el["n"] - SIDEREAL_REV_PER_DAY) <= 0.002
            and el["ecc"] <= 0.005)


def rates(l1, l2):
    """Per-minute rates (radians) that carry() applies, by name."""
    s = satrec(l1, l2)
    r = {"M": s.mdot, "w": s.argpdot, "node": s.nodedot, "e": 0.0, "i": 0.0}
    if s.method == "d":
        r["M"] += s.dmdt
        r["w"] += s.domdt
        r["node"] += s.dnodt
        r["e"] = s.dedt
        r["i"] = s.didt
    return r


def carry(l1, l2, target, slot=False):
    """Lines of the set at target (a naive UTC datetime), epoch field written exactly.

    slot: the satellite keeps its longitude; every element stays but the mean anomaly,
    which advances by the Earth's turn between the two epochs (Greenwich sidereal angle), so
    that the satellite is over the same point of the Earth as at the set's epoch."""
    el = tlefmt.fields(l1, l2)
    src = tlefmt.epoch_of(l1)
    field = target.strftime("%y") + "%012.8f" % (target.timetuple().tm_yday +
                                                  (target - target.replace(hour=0, minute=0,
                                                   second=0, microsecond=0)).total_seconds()
                                                  / 86400.0)
    rev = int(l2[63:68])
    if slot:
        turn = (orbit.gmst_deg(target) - orbit.gmst_deg(src)) % 360.0
        days = (target - src).total_seconds() / 86400.0
        return tlefmt.set_elements(l1, l2, field, el["incl"], el["raan"], el["ecc"], el["argp"],
                                   el["ma"] + turn, el["n"], max(0, rev + int(days * el["n"])))
    t = (target - src).total_seconds() / 60.0
    r = rates(l1, l2)
    deg = 180.0 / math.pi
    n, revs, turn = decay(el["n"], float(l1[33:43]), el["ecc"], t / MINUTES_PER_DAY)
    ma = el["ma"] + r["M"] * t * deg + revs * 360.0
    argp = el["argp"] + r["w"] * (t + turn * MINUTES_PER_DAY) * deg
    node = el["raan"] + r["node"] * (t + turn * MINUTES_PER_DAY) * deg
    ecc = el["ecc"] + r["e"] * t
    incl = el["incl"] + r["i"] * t * deg
    if incl < 0.0:           # through the equator: the same plane seen from the other side
        incl, node, argp = -incl, node + 180.0, argp + 180.0
    revs = (ma - el["ma"]) / 360.0
    return tlefmt.set_elements(l1, l2, field, incl, node, ecc, argp, ma, n,
                               max(0, rev + int(math.floor(revs))))
