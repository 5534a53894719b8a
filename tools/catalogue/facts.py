"""One row of the catalogue table (DATA 901): facts joined from the UCS releases and the SATCAT.

- country, users, purpose: the UCS release of 2014-02-01, else that of 2020-08-01; a
  satellite neither lists gets the owner of its SATCAT row and the purpose its category
  implies (rules.CATEGORY_PURPOSE), and no users;
- launch-mass, dry-mass: the 2014 release, else the 2020 one, as written ("2,894",
  "1,050 (BOL)");
- launch-date: the SATCAT's (UTC; the UCS date is a local one in places);
- class, type: from the satellite's own elements at the date (rules.orbit_class/orbit_type);
- name-UCS: the element set's name.
"""
import rules

HEADER = ["NORAD-UCS", "country", "users", "purpose", "class", "type", "launch-mass",
          "dry-mass", "launch-date", "name-UCS"]

# SATCAT owner codes of the satellites that no UCS release lists; others are written out
# from the SATCAT's own full name.
OWNERS = {"US": "USA", "PRC": "China", "FR": "France", "JPN": "Japan", "IND": "India",
          "ESA": "ESA", "ISS": "Multinational", "UK": "United Kingdom", "GER": "Germany",
          "CA": "Canada", "IT": "Italy", "ITSO": "ITSO", "EUME": "EUMETSAT", "NATO": "NATO",
          "GLOB": "USA", "ORB": "USA", "SES": "SES", "EUTE": "Eutelsat", "AB": "Arabsat",
          "IM": "Inmarsat", "SPN": "Spain", "AUS": "Australia", "BRAZ": "Brazil",
          "SKOR": "South Korea", "ISRA": "Israel", "ARGN": "Argentina"}


def owner(satcat_row):
    code = satcat_row["source"]
    if code == "CIS":
        # The SATCAT files Soviet and Russian objects alike under the CIS.
        return "USSR" if satcat_row["launch"].year < 1992 else "Russia"
    return OWNERS.get(code, satcat_row["source_full_name"].strip())


def first(releases, column):
    for r in releases:
        if r and r[column].strip():
            return " ".join(r[column].split())
    return ""


def row(number, name, cats, el, satcat_row, ucs14, ucs20):
    cls = rules.orbit_class(el)
    listed = [r for r in (ucs14, ucs20) if r]
    if listed:
        country = first(listed, "Country of Operator/Owner")
        users, purpose = first(listed, "Users"), first(listed, "Purpose")
    else:
        country, users, purpose = owner(satcat_row), "", rules.purpose_of_category(cats)
    launch = satcat_row["launch"]
    return [str(number), country, users, purpose, cls, rules.orbit_type(el, cls),
            first(listed, "Launch Mass (kg)"), first(listed, "Dry Mass (kg)"),
            "%d/%d/%d" % (launch.month, launch.day, launch.year), name]


def cell(value):
    """Quoted when it holds a comma, as the published table wrote such fields."""
    return '"%s"' % value if ("," in value or "\t" in value) else value
