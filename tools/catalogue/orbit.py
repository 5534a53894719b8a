"""J2 rates (for the sun-synchronous test of the table's orbit type) and sidereal time.

Constants are those of the WGS-72 model that the element sets were fitted with
(the same the sgp4 propagator uses), so that our drift rates agree with it.
"""
import math

MU = 398600.8            # km^3/s^2 (WGS-72)
RE = 6378.135            # km
J2 = 0.001082616
KE = 60.0 / math.sqrt(RE ** 3 / MU)   # sqrt(mu) in earth radii^1.5 per minute
SIDEREAL_REV_PER_DAY = 1.00273790935
DEG = math.pi / 180.0


def brouwer(n_rev_day, ecc, incl_deg):
    """Undo the Kozai mean motion of an element set: (n'' rad/min, a'' earth radii)."""
    n0 = n_rev_day * 2.0 * math.pi / 1440.0
    k2 = 0.5 * J2
    cosi = math.cos(incl_deg * DEG)
    beta3 = (1.0 - ecc * ecc) ** 1.5
    a1 = (KE / n0) ** (2.0 / 3.0)
    d1 = 1.5 * k2 * (3.0 * cosi * cosi - 1.0) / (a1 * a1 * beta3)
    a0 = a1 * (1.0 - d1 / 3.0 - d1 * d1 - 134.0 / 81.0 * d1 ** 3)
    d0 = 1.5 * k2 * (3.0 * cosi * cosi - 1.0) / (a0 * a0 * beta3)
    return n0 / (1.0 + d0), a0 / (1.0 - d0)


def j2_rates(n_rev_day, ecc, incl_deg):
    """Secular rates in degrees per day of node, argument of perigee and mean anomaly.

    dOmega/dt = -3/2 n J2 (Re/p)^2 cos i
    domega/dt =  3/4 n J2 (Re/p)^2 (5 cos^2 i - 1)
    dM/dt     =  n [1 + 3/4 J2 (Re/p)^2 sqrt(1-e^2) (3 cos^2 i - 1)]
    with n, a the Brouwer mean motion and semi-major axis, p = a (1 - e^2).
    """
    n, a = brouwer(n_rev_day, ecc, incl_deg)
    p = a * (1.0 - ecc * ecc)
    cosi = math.cos(incl_deg * DEG)
    f = J2 / (p * p)          # (Re/p)^2 J2 with p in earth radii
    node = -1.5 * n * f * cosi
    perigee = 0.75 * n * f * (5.0 * cosi * cosi - 1.0)
    mean = n * (1.0 + 0.75 * f * math.sqrt(1.0 - ecc * ecc) * (3.0 * cosi * cosi - 1.0))
    per_day = 1440.0 / DEG
    return node * per_day, perigee * per_day, mean * per_day


def gmst_deg(when):
    """Greenwich mean sidereal time (IAU 1982) of a naive UTC datetime, degrees."""
    import datetime as dt
    jd = (when - dt.datetime(2000, 1, 1, 12)).total_seconds() / 86400.0 + 2451545.0
    t = (jd - 2451545.0) / 36525.0
    sec = (67310.54841 + (876600.0 * 3600.0 + 8640184.812866) * t
           + 0.093104 * t * t - 6.2e-6 * t ** 3)
    return (sec / 240.0) % 360.0
