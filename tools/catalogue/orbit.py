"""Secular J2 motion of an element set and the geosynchronous slot rule.

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


def kepler_true(ma_deg, ecc):
    m = ma_deg * DEG
    e_anom = m
    for _ in range(50):
        d = (e_anom - ecc * math.sin(e_anom) - m) / (1.0 - ecc * math.cos(e_anom))
        e_anom -= d
        if abs(d) < 1e-13:
            break
    return math.atan2(math.sqrt(1 - ecc * ecc) * math.sin(e_anom), math.cos(e_anom) - ecc) / DEG


def true_to_mean(nu_deg, ecc):
    nu = nu_deg * DEG
    e_anom = math.atan2(math.sqrt(1 - ecc * ecc) * math.sin(nu), ecc + math.cos(nu))
    return (e_anom - ecc * math.sin(e_anom)) / DEG


def right_ascension(raan, argp, ma, ecc, incl):
    """Right ascension of the satellite itself, degrees."""
    u = (argp + kepler_true(ma, ecc)) * DEG
    return (raan + math.atan2(math.cos(incl * DEG) * math.sin(u), math.cos(u)) / DEG) % 360.0


def is_station_kept(n_rev_day, ecc):
    """Geosynchronous sets that hold a slot: within 0.002 rev/day (0.7 deg/day of drift) of
    one sidereal revolution per day and nearly circular."""
    return abs(n_rev_day - SIDEREAL_REV_PER_DAY) <= 0.002 and ecc <= 0.005


def reepoch(el, src_epoch, dst_epoch):
    """Carry angles (degrees) from src_epoch to dst_epoch; returns (raan, argp, ma, kept_slot)."""
    days = (dst_epoch - src_epoch).total_seconds() / 86400.0
    node_rate, perigee_rate, mean_rate = j2_rates(el["n"], el["ecc"], el["incl"])
    raan = (el["raan"] + node_rate * days) % 360.0
    argp = (el["argp"] + perigee_rate * days) % 360.0
    ma = (el["ma"] + mean_rate * days) % 360.0
    if not is_station_kept(el["n"], el["ecc"]):
        return raan, argp, ma, False
    # Keep the sub-satellite longitude the source saw: the satellite's right ascension
    # at the new epoch is the old longitude plus the new sidereal angle.
    lon = right_ascension(el["raan"], el["argp"], el["ma"], el["ecc"], el["incl"]) - gmst_deg(src_epoch)
    ra_new = (lon + gmst_deg(dst_epoch)) % 360.0
    x = (ra_new - raan) * DEG
    cosi = math.cos(el["incl"] * DEG)
    u = math.atan2(math.sin(x), math.cos(x) * cosi) / DEG   # argument of latitude
    nu = u - argp
    ma = true_to_mean(nu, el["ecc"]) % 360.0
    return raan, argp, ma, True
