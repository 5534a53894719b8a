"""Fragment clouds of four breakups, drawn from the NASA standard breakup model.

Size: power law N(>Lc) ~ Lc^-1.71 for collisions, Lc^-1.6 for explosions (Johnson et al.,
"NASA's new breakup model of EVOLVE 4.0", Adv. Space Res. 28(9), 2001).  Area-to-mass:
the model's bimodal normal distribution of log10(A/M) for fragments above 11 cm, with the
spacecraft and rocket-body parameter sets.  Delta-v: log10(dv [m/s]) normal with mean
0.9 chi + 2.9 (collision) or 0.2 chi + 1.85 (explosion), sigma 0.4, chi = log10(A/M), in an
isotropic direction added to the parent's velocity at the event.

Fragments whose perigee is below 100 km, or whose drag lifetime (exponential atmosphere,
Cd 2.2) is shorter than the time from the event to the target epoch, are dropped and drawn
again until the cloud has its catalogued size.  Survivors keep their elements except for the
J2 secular drift of node, perigee and mean anomaly up to the target epoch.
"""
import math
import random

import orbit
import tlefmt

MU_SI = orbit.MU * 1e9
RE_M = orbit.RE * 1000.0
CD = 2.2
# Reference density of the element-set drag term (kg/m^2/earth radius).
RHO0_BSTAR = 2.461e-5

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


def density(h_km):
    base = ATMOSPHERE[0]
    for row in ATMOSPHERE:
        if h_km >= row[0]:
            base = row
    h0, rho0, scale = base
    return rho0 * math.exp(-(h_km - h0) / scale), scale


def lifetime_s(a_m, ecc, am_ratio):
    """Time to lose one density scale height of semi-major axis at the perigee's decay rate;
    an eccentric orbit feels drag only near perigee (factor 1/sqrt(1 + 2 pi a e / H))."""
    hp = (a_m * (1.0 - ecc) - RE_M) / 1000.0
    rho, scale_km = density(hp)
    h = scale_km * 1000.0
    c = a_m * ecc / h
    rate = CD * am_ratio * rho * math.sqrt(MU_SI * a_m) / math.sqrt(1.0 + 2.0 * math.pi * c)
    return h / rate if rate > 0 else float("inf")


# ---------------------------------------------------------------- breakup distributions

def _log_am_spacecraft(lam, rng):
    alpha = 0.0 if lam <= -1.95 else (1.0 if lam >= 0.55 else 0.3 + 0.4 * (lam + 1.2))
    alpha = min(max(alpha, 0.0), 1.0)
    mu1 = -0.6 if lam <= -1.1 else (-0.95 if lam >= 0.0 else -0.6 - 0.318 * (lam + 1.1))
    s1 = 0.1 if lam <= -1.3 else (0.3 if lam >= -0.3 else 0.1 + 0.2 * (lam + 1.3))
    mu2 = -1.2 if lam <= -0.7 else (-2.0 if lam >= -0.1 else -1.2 - 1.333 * (lam + 0.7))
    s2 = 0.5 if lam <= -0.5 else (0.3 if lam >= -0.3 else 0.5 - (lam + 0.5))
    if rng.random() < alpha:
        return rng.gauss(mu1, s1)
    return rng.gauss(mu2, s2)


def _log_am_rocket_body(lam, rng):
    alpha = 1.0 if lam <= -1.4 else (0.5 if lam >= 0.0 else 1.0 - 0.3571 * (lam + 1.4))
    mu1 = -0.45 if lam <= -0.5 else (-0.9 if lam >= 0.0 else -0.45 - 0.9 * (lam + 0.5))
    s1 = 0.55
    mu2 = -0.9
    s2 = 0.28 if lam <= -1.0 else (0.1 if lam >= 0.1 else 0.28 - 0.1636 * (lam + 1.0))
    if rng.random() < alpha:
        return rng.gauss(mu1, s1)
    return rng.gauss(mu2, s2)


# ---------------------------------------------------------------- vectors and elements

def _rot_to_inertial(raan, incl, u):
    """Unit position and along-track direction of argument of latitude u (radians)."""
    co, so = math.cos(raan), math.sin(raan)
    ci, si = math.cos(incl), math.sin(incl)
    cu, su = math.cos(u), math.sin(u)
    r = (co * cu - so * su * ci, so * cu + co * su * ci, su * si)
    t = (-co * su - so * cu * ci, -so * su + co * cu * ci, cu * si)
    return r, t


def state_from_elements(a, ecc, incl, raan, argp, nu):
    """Position (m) and velocity (m/s) from elements (angles in radians)."""
    p = a * (1.0 - ecc * ecc)
    r = p / (1.0 + ecc * math.cos(nu))
    rhat, that = _rot_to_inertial(raan, incl, argp + nu)
    vr = math.sqrt(MU_SI / p) * ecc * math.sin(nu)
    vt = math.sqrt(MU_SI / p) * (1.0 + ecc * math.cos(nu))
    pos = tuple(r * x for x in rhat)
    vel = tuple(vr * x + vt * y for x, y in zip(rhat, that))
    return pos, vel


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def _norm(a):
    return math.sqrt(_dot(a, a))


def elements_from_state(pos, vel):
    """(a m, e, i, raan, argp, mean anomaly) with angles in degrees, or None if unbound."""
    r = _norm(pos)
    v2 = _dot(vel, vel)
    energy = v2 / 2.0 - MU_SI / r
    if energy >= 0:
        return None
    a = -MU_SI / (2.0 * energy)
    h = _cross(pos, vel)
    hn = _norm(h)
    evec = tuple((v2 - MU_SI / r) * p / MU_SI - _dot(pos, vel) * v / MU_SI
                 for p, v in zip(pos, vel))
    ecc = _norm(evec)
    incl = math.acos(max(-1.0, min(1.0, h[2] / hn)))
    node = (-h[1], h[0], 0.0)
    nn = _norm(node)
    raan = math.atan2(node[1], node[0]) % (2 * math.pi)
    argp = math.acos(max(-1.0, min(1.0, _dot(node, evec) / (nn * ecc))))
    if evec[2] < 0:
        argp = 2 * math.pi - argp
    nu = math.acos(max(-1.0, min(1.0, _dot(evec, pos) / (ecc * r))))
    if _dot(pos, vel) < 0:
        nu = 2 * math.pi - nu
    ma = orbit.true_to_mean(nu / orbit.DEG, ecc)
    d = 1.0 / orbit.DEG
    return a, ecc, incl * d, raan * d, argp * d, ma % 360.0


def raan_through_point(incl_deg, lat_deg, lon_deg, when, ascending):
    """Node and argument of latitude of an orbit of inclination incl that passes over the
    geocentric point (lat, lon) at the instant `when`, northbound or southbound."""
    su = math.sin(lat_deg * orbit.DEG) / math.sin(incl_deg * orbit.DEG)
    u = math.asin(max(-1.0, min(1.0, su)))
    if not ascending:
        u = math.pi - u
    alpha = (orbit.gmst_deg(when) + lon_deg) * orbit.DEG
    ci = math.cos(incl_deg * orbit.DEG)
    dra = math.atan2(ci * math.sin(u), math.cos(u))
    return ((alpha - dra) / orbit.DEG) % 360.0, u / orbit.DEG


# ---------------------------------------------------------------- clouds

def piece_codes():
    """Piece letters of an international designator after the launch's own: AA, AB, ...
    then AAA...; I and O are never used."""
    letters = [c for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZ" if c not in "IO"]
    for a in letters:
        for b in letters:
            yield a + b
    for a in letters:
        for b in letters:
            for c in letters:
                yield a + b + c


def make_cloud(event, first_number, target_epoch):
    """Draw one cloud. event: dict with name, designator, count, seed, kind ('collision' or
    'explosion'), body ('spacecraft' or 'rocket'), when (datetime), parent (a m, e, i, raan,
    argp, nu in degrees for angles), lmin/lmax (m).  Returns (sets, stats)."""
    rng = random.Random(event["seed"])
    a0, e0, i0, raan0, argp0, nu0 = event["parent"]
    d = orbit.DEG
    pos, vel = state_from_elements(a0, e0, i0 * d, raan0 * d, argp0 * d, nu0 * d)
    age = (target_epoch - event["when"]).total_seconds()
    exponent = 1.71 if event["kind"] == "collision" else 1.6
    codes = piece_codes()
    sets = []
    drawn = dropped_low = dropped_decay = 0
    heights = []
    while len(sets) < event["count"]:
        drawn += 1
        lc = min(event["lmin"] * rng.random() ** (-1.0 / exponent), event["lmax"])
        lam = math.log10(lc)
        if event["body"] == "rocket":
            chi = _log_am_rocket_body(lam, rng)
        else:
            chi = _log_am_spacecraft(lam, rng)
        am = 10.0 ** chi
        mean_dv = 0.9 * chi + 2.9 if event["kind"] == "collision" else 0.2 * chi + 1.85
        dv = 10.0 ** rng.gauss(mean_dv, 0.4)
        z = 2.0 * rng.random() - 1.0
        phi = 2.0 * math.pi * rng.random()
        s = math.sqrt(1.0 - z * z)
        dvec = (dv * s * math.cos(phi), dv * s * math.sin(phi), dv * z)
        el = elements_from_state(pos, tuple(v + w for v, w in zip(vel, dvec)))
        if el is None:
            dropped_low += 1
            continue
        a, ecc, incl, raan, argp, ma = el
        if ecc >= 0.9 or a * (1.0 - ecc) < RE_M + 100e3:
            dropped_low += 1
            continue
        if lifetime_s(a, ecc, am) < age:
            dropped_decay += 1
            continue
        n_rev_day = 86400.0 / (2.0 * math.pi * math.sqrt(a ** 3 / MU_SI))
        node_rate, perigee_rate, mean_rate = orbit.j2_rates(n_rev_day, ecc, incl)
        days = age / 86400.0
        raan = raan + node_rate * days
        argp = argp + perigee_rate * days
        ma = ma + mean_rate * days
        bstar = 0.5 * CD * am * RHO0_BSTAR
        number = first_number + len(sets)
        code = next(codes)
        l1, l2 = tlefmt.make_set(number, event["designator"] + code, tlefmt.TARGET_EPOCH_FIELD,
                                 incl, raan, ecc, argp, ma, n_rev_day, bstar=bstar)
        sets.append((event["name"], l1, l2))
        heights.append(((a * (1 - ecc) - RE_M) / 1000.0, (a * (1 + ecc) - RE_M) / 1000.0))
    stats = {"drawn": drawn, "dropped_low": dropped_low, "dropped_decay": dropped_decay,
             "heights": heights}
    return sets, stats
