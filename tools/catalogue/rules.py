"""Category membership and catalogue-table facts of a real satellite.

Membership comes from the sources' own lists first (gpredict's category files,
stellarium's groups, savi's geosynchronous file), then from name and orbit rules.
Every rule is a plain pattern here so the provenance file can quote it.
"""
import math
import re

import orbit

SIDEREAL = orbit.SIDEREAL_REV_PER_DAY

# category -> source lists whose members belong to it
LIST_RULES = {
    "amateur": ["gpredict:amateur", "stellarium:amateur"],
    "cubesat": ["gpredict:cubesat"],
    "galileo": ["gpredict:galileo", "stellarium:galileo"],
    "glo-ops": ["gpredict:glo-ops", "stellarium:glonass"],
    "gps-ops": ["gpredict:gps-ops", "stellarium:gps", "stellarium:gps-ops"],
    "beidou": ["stellarium:beidou"],
    "iridium": ["gpredict:iridium", "stellarium:iridium"],
    "molniya": ["gpredict:molniya", "stellarium:molniya"],
    "noaa": ["gpredict:noaa"],
    "science": ["gpredict:science", "stellarium:scientific", "stellarium:science"],
    "weather": ["gpredict:weather", "stellarium:weather"],
    "globalstar": ["stellarium:globalstar"],
    "orbcomm": ["stellarium:orbcomm"],
    "raduga": ["stellarium:raduga"],
    "gorizont": ["stellarium:gorizont"],
    "intelsat": ["stellarium:intelsat"],
    "tdrss": ["stellarium:tdrss"],
    "geodetic": ["stellarium:geodetic"],
    "education": ["stellarium:education"],
    "stations": ["stellarium:stations"],
    "military": ["stellarium:military"],
    "resource": ["stellarium:earth resources"],
}

# category -> name pattern (matched against the upper-case name)
NAME_RULES = {
    "galileo": r"^(GSAT0\d{3}|GIOVE)",
    "glo-ops": r"^COSMOS \d+ \(7\d\d[KM]?\)",
    "gps-ops": r"^(GPS B|NAVSTAR)",
    "beidou": r"^(BEIDOU|COMPASS)",
    "iridium": r"^IRIDIUM \d+",
    "molniya": r"^MOLNIYA",
    "noaa": r"^NOAA \d+",
    "stations": r"^(TIANGONG|ISS \(ZARYA)",
    "geodetic": r"^(LAGEOS|STARLETTE|STELLA|AJISAI|ETALON|LARES|BLITS|GFZ-1|WESTPAC|BEACON)",
    "goes": r"^(GOES \d+|EWS-G1 \(GOES)",
    "globalstar": r"^GLOBALSTAR",
    "orbcomm": r"^ORBCOMM",
    "raduga": r"^RADUGA",
    "gorizont": r"^GORIZONT",
    "intelsat": r"^INTELSAT",
    "tdrss": r"^TDRS",
    "dmc": r"^(UK-DMC|DMC 2$|BEIJING 1|DEIMOS[- ]1$|ALSAT 1$|NIGERIASAT|BILSAT)",
    "nnss": r"^(TRANSIT \d|NOVA I|NOVA \d|OSCAR \d+$|NNSS)",
    "radar": r"^(CALSPHERE|LCS \d|RIGIDSPHERE|TEMPSAT|RADCAL|SURCAL)",
    "sbas": r"^(INMARSAT 3-F[25]|INMARSAT 4-F[13]|GALAXY 15|ANIK F1R|SES-5|ASTRA 5B|MTSAT|"
            r"GSAT-8|GSAT-10|LUCH 5[ABV]|ARTEMIS)",
    "argos": r"^(NOAA (15|16|18|19)|METOP-[AB]|SARAL)$",
    "sarsat": r"^(NOAA (15|16|18|19)|METOP-[AB]|GOES 1[1-5]|EWS-G1 \(GOES 13|"
              r"METEOSAT-(8|9|10)|ELECTRO-L|INSAT-3[AD]$)",
    "resource": r"^(LANDSAT|SPOT \d|PLEIADES|WORLDVIEW|GEOEYE|IKONOS|QUICKBIRD|RESURS|"
                r"KANOPUS|CBERS|ZIYUAN|ZY-|CARTOSAT|RESOURCESAT|OCEANSAT|IRS-|RISAT|TERRA$|"
                r"AQUA$|AURA$|ENVISAT|RADARSAT|TERRASAR|TANDEM-X|COSMO-SKYMED|SENTINEL|"
                r"KOMPSAT|THEOS|FORMOSAT|RAPIDEYE|DEIMOS|DUBAISAT|RASAT|GOKTURK|ALOS|GCOM|"
                r"HJ-1|GAOFEN|PROBA-V|SAC-D|SMOS|CRYOSAT|GRACE|JASON|HAIYANG|SKYSAT|"
                r"KAZEOSAT|SICH|EGYPTSAT|X-SAT|VNREDSAT|PERUSAT|SPOT-|FLOCK 1)",
    "engineering": r"^(PROBA|TACSAT|STPSAT|TECHSAT|TET-1|PRISMA|TANGO|MANGO|FASTRAC|STSAT|"
                   r"NANOSAIL|ORS|KIKU|SDS|TECHDEMOSAT|ROCKSAT|SPROUT|STRAND|PROCYON|"
                   r"FALCONSAT|MICROSAT|SAPPHIRE|NEOSSAT|AISSAT|UNISAT|TUBSAT|CHIPSAT|"
                   r"TIANXUN|SHIYAN|SHIJIAN|PICARD|SSOT|TECSAR|DELFI|GENESIS|MINOTAUR)",
    "other-comm": r"^(O3B|GONETS|STRELA|RODNIK|MERIDIAN|SIRIUS|XM-\d)",
    "x-comm": r"^(KIKU|WINDS|KIZUNA|ETS-|STPSAT|TACSAT|ARTEMIS|COMETS)",
}

# The Disaster Monitoring Constellation's satellites as the public catalogue names them.
DMC_NAMES = NAME_RULES["dmc"]


def is_musson(ucs_row):
    """Russia's low-orbit navigation satellites (the Parus series, "COSMOS nnnn"): the UCS
    rows of Russian military navigation satellites in low orbit."""
    return (ucs_row["Country of Operator/Owner"] == "Russia" and ucs_row["Users"] == "Military"
            and ucs_row["Purpose"].startswith("Navigation") and ucs_row["Class of Orbit"] == "LEO")


COMMS_GROUPS = {"stellarium:communications", "stellarium:tv"}
CONSTELLATION_COMMS = {"iridium", "globalstar", "orbcomm", "molniya", "raduga", "gorizont",
                       "intelsat", "tdrss", "stations", "amateur", "geo", "x-comm", "goes",
                       "weather"}


def orbit_geometry(el):
    """Apogee and perigee altitudes (km above 6371 km, as the program's classes) and period."""
    n = el["n"]
    period = 86400.0 / n
    a = (398600.4418 * (period / (2 * math.pi)) ** 2) ** (1.0 / 3.0)
    return a * (1 + el["ecc"]) - 6371.0, a * (1 - el["ecc"]) - 6371.0, period


def orbit_class(el):
    """LEO / GEO / Elliptical / MEO with the program's own thresholds."""
    apo, _, period = orbit_geometry(el)
    if apo < 2000.0:
        return "LEO"
    if apo >= 3450.0 and 86000.0 < period < 91000.0 and el["ecc"] <= 0.0999:
        return "GEO"
    if apo >= 3650.0 and el["ecc"] > 0.0999:
        return "Elliptical"
    return "MEO"


def sun_synchronous_inclination(el):
    """Inclination (deg) at which J2 turns the node 360 deg per tropical year, or None."""
    target = 360.0 / 365.2422
    node_rate, _, _ = orbit.j2_rates(el["n"], el["ecc"], 90.0001)
    # node rate is proportional to cos i; solve at this mean motion
    per_cos = node_rate / math.cos(90.0001 * orbit.DEG)
    c = target / per_cos
    if abs(c) > 1.0:
        return None
    return math.acos(c) / orbit.DEG


def orbit_type(el, cls):
    """Type column: for LEO, "Sun-Synchronous" within 1 deg of the sun-synchronous
    inclination, else "Polar" for 80..100 deg, "Equatorial" below 20 deg, otherwise
    "Non-Polar Inclined"; "Molniya" for 2 rev/day orbits at 62..65 deg; else empty."""
    i = el["incl"]
    if cls == "LEO":
        iss = sun_synchronous_inclination(el)
        if iss is not None and abs(i - iss) <= 1.0:
            return "Sun-Synchronous"
        if 80.0 <= i <= 100.0:
            return "Polar"
        if i < 20.0 or i > 160.0:
            return "Equatorial"
        return "Non-Polar Inclined"
    if cls == "Elliptical" and 62.0 <= i <= 65.0 and 1.9 <= el["n"] <= 2.1:
        return "Molniya"
    return ""


def is_geosynchronous(el):
    """Category "geo": the geosynchronous class (period 86,000 to 91,000 s) and an
    eccentricity below 0.02."""
    return orbit_class(el) == "GEO" and el["ecc"] < 0.02


def is_rocket_or_debris(name):
    return bool(re.search(r"R/B|\bDEB\b|\bAKM\b|\bPKM\b|PLATFORM|\bABM\b|COOLANT|FAIRING|"
                          r"ADAPTER|DUMMY|MAST|TANK|INTERSTAGE|OBJECT|^ATLAS CENTAUR|^SL-\d|"
                          r"^CZ-\d|^THOR AGENA|^ARIANE \d|^H-2A|^DELTA \d", name))


def categories(name, groups, el, extra=()):
    """Categories of a real satellite; extra: categories known from elsewhere (musson)."""
    up = name.upper()
    cats = set(extra)
    for cat, lists in LIST_RULES.items():
        if groups & set(lists):
            cats.add(cat)
    for cat, pattern in NAME_RULES.items():
        if re.search(pattern, up):
            cats.add(cat)
    if is_rocket_or_debris(up):
        # Rocket bodies and pieces stay out of the named categories.
        return set()
    if is_geosynchronous(el):
        cats.add("geo")
    if "gps-ops" in cats and orbit_class(el) != "MEO":
        cats.discard("gps-ops")
    if "glo-ops" in cats and orbit_class(el) != "MEO":
        cats.discard("glo-ops")
    # Communications satellites outside geosynchronous orbit and outside the named systems.
    if "other-comm" not in cats and (groups & COMMS_GROUPS) and not (cats & CONSTELLATION_COMMS) and not cats & {
            "gps-ops", "glo-ops", "galileo", "beidou"}:
        cats.add("other-comm")
    # Payloads the sources list only among the bright, visible objects.
    if not cats and groups & {"gpredict:visual", "savi:visual", "stellarium:visual"}:
        cats.add("other")
    return cats


CATEGORY_PURPOSE = [
    ("gps-ops", "Navigation/Global Positioning"), ("glo-ops", "Navigation/Global Positioning"),
    ("galileo", "Navigation/Global Positioning"), ("beidou", "Navigation/Global Positioning"),
    ("weather", "Earth Observation"), ("resource", "Earth Observation"),
    ("dmc", "Earth Observation"), ("science", "Space Science"), ("geodetic", "Earth Science"),
    ("iridium", "Communications"), ("globalstar", "Communications"),
    ("orbcomm", "Communications"), ("intelsat", "Communications"), ("raduga", "Communications"),
    ("gorizont", "Communications"), ("molniya", "Communications"), ("tdrss", "Communications"),
    ("other-comm", "Communications"), ("x-comm", "Communications"),
    ("engineering", "Technology Development"),
]


def purpose_of_category(cats):
    """Purpose for a satellite that no UCS release lists, where its category implies one."""
    for cat, purpose in CATEGORY_PURPOSE:
        if cat in cats:
            return purpose
    return ""
