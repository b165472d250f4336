#!/usr/bin/env python3
"""Builds data/CityDatabase.sql, the text source of the read-only city database.

Inputs:
  * GeoNames' cities with more than 15,000 inhabitants (cities15000.txt) and its country list
    (countryInfo.txt), as shipped by the npm package cities15000 (CC BY, geonames.org);
  * the system's IANA time-zone database (/usr/share/zoneinfo, public domain): the POSIX rule string
    at the end of each TZif file gives a zone's standard offset and its summer-time rules;
  * optionally the ISO 3166 country names of Debian's iso-codes package, used only as a second
    search key for a country ("Cote d'Ivoire" finds GeoNames' "Ivory Coast").

Usage:
  mkdir -p /tmp/cities-npm && (cd /tmp/cities-npm && npm install cities15000@0.0.1)
  python3 tools/make_city_database.py --cities /tmp/cities-npm/node_modules/cities15000 \
      --output data/CityDatabase.sql

The zones whose rules the stored coding cannot express are listed on standard error and keep no
summer time; their reason is stored in Timezone.RuleNote.
"""

import argparse
import datetime
import json
import os
import struct
import sys
import time
import unicodedata

# Apostrophe look-alikes that users type as a plain apostrophe.
APOSTROPHES = {"\u2019": "'", "\u2018": "'", "\u02bc": "'", "\u02bb": "'", "`": "'", "\u00b4": "'"}


def fold(text):
    """Search key of a name: compatibility-decomposed, combining marks dropped, case-folded.

    The program folds what the user types the same way (src/locations/SearchFold.cpp); a test
    checks that both agree on every name in the database."""
    text = "".join(APOSTROPHES.get(c, c) for c in text)
    text = unicodedata.normalize("NFKD", text)
    text = "".join(c for c in text if unicodedata.category(c) != "Mn")
    return unicodedata.normalize("NFC", text.casefold())


# ---------------------------------------------------------------------------------------------
# POSIX TZ strings (RFC 8536 section 3.3.1 and the POSIX TZ variable).


class PosixRuleError(ValueError):
    pass


def _parse_name(s, i):
    if i < len(s) and s[i] == "<":
        j = s.index(">", i)
        return s[i + 1:j], j + 1
    j = i
    while j < len(s) and s[j].isalpha():
        j += 1
    if j - i < 3:
        raise PosixRuleError("bad zone abbreviation in %r" % s)
    return s[i:j], j


def _parse_hms(s, i):
    """[+-]hh[:mm[:ss]] -> seconds, next index."""
    sign = 1
    if i < len(s) and s[i] in "+-":
        sign = -1 if s[i] == "-" else 1
        i += 1
    parts = []
    while True:
        j = i
        while j < len(s) and s[j].isdigit():
            j += 1
        if j == i:
            raise PosixRuleError("number expected in %r at %d" % (s, i))
        parts.append(int(s[i:j]))
        i = j
        if len(parts) < 3 and i < len(s) and s[i] == ":":
            i += 1
            continue
        break
    while len(parts) < 3:
        parts.append(0)
    return sign * (parts[0] * 3600 + parts[1] * 60 + parts[2]), i


def _parse_date_rule(s, i):
    """One change rule: ('M', month, week, weekday, seconds) or ('J'/'n', day, seconds)."""
    if s[i] == "M":
        j = s.index(".", i)
        month = int(s[i + 1:j])
        k = s.index(".", j + 1)
        week = int(s[j + 1:k])
        m = k + 1
        while m < len(s) and s[m].isdigit():
            m += 1
        weekday = int(s[k + 1:m])
        rule = ["M", month, week, weekday]
        i = m
    else:
        kind = "J" if s[i] == "J" else "n"
        if kind == "J":
            i += 1
        m = i
        while m < len(s) and s[m].isdigit():
            m += 1
        rule = [kind, int(s[i:m])]
        i = m
    seconds = 7200
    if i < len(s) and s[i] == "/":
        seconds, i = _parse_hms(s, i + 1)
    rule.append(seconds)
    return tuple(rule), i


def parse_posix_tz(s):
    """Returns (std_east_seconds, dst_east_seconds or None, start_rule, end_rule).
    Raises PosixRuleError for a string that is not a POSIX TZ rule."""
    try:
        return _parse_posix_tz(s)
    except (IndexError, ValueError) as e:
        if isinstance(e, PosixRuleError):
            raise
        raise PosixRuleError("malformed rule %r" % s) from e


def _parse_posix_tz(s):
    _, i = _parse_name(s, 0)
    std_west, i = _parse_hms(s, i)
    if i == len(s):
        return -std_west, None, None, None
    _, i = _parse_name(s, i)
    dst_west = std_west - 3600
    if i < len(s) and s[i] != ",":
        dst_west, i = _parse_hms(s, i)
    if i == len(s) or s[i] != ",":
        raise PosixRuleError("summer time without rules in %r" % s)
    start, i = _parse_date_rule(s, i + 1)
    if i >= len(s) or s[i] != ",":
        raise PosixRuleError("end rule expected in %r" % s)
    end, i = _parse_date_rule(s, i + 1)
    if i != len(s):
        raise PosixRuleError("trailing text in %r" % s)
    return -std_west, -dst_west, start, end


def tzif_footer(path):
    """The POSIX rule string at the end of a TZif version 2+ file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"TZif" or data[4:5] not in (b"2", b"3", b"4"):
        raise PosixRuleError("%s: not a TZif file of version 2 or later" % path)
    end = data.rstrip(b"\n").rfind(b"\n")
    return data[end + 1:].strip(b"\n").decode("ascii")


def coded_rule(rule):
    """A POSIX 'Mm.w.d/time' rule in the stored coding (N, J, M, H), or raises."""
    if rule[0] != "M":
        raise PosixRuleError("a fixed-day rule (%s form)" % rule[0])
    _, month, week, weekday, seconds = rule
    if seconds % 3600 != 0:
        raise PosixRuleError("a change time that is not a whole hour")
    n = 0 if week == 5 else week
    j = 7 if weekday == 0 else weekday
    return n, j, month, seconds // 3600


def zone_entry(zoneinfo, name):
    """The Timezone row of a zone: standard offset, summer-time flag, rules and a note."""
    posix = tzif_footer(os.path.join(zoneinfo, name))
    std, dst, start, end = parse_posix_tz(posix)
    row = {"Nom": name, "Posix": posix, "GMT": std / 3600.0, "DST": 0,
           "ete": (0, 0, 0, 0), "hiv": (0, 0, 0, 0), "Note": ""}
    if dst is None:
        return row
    shift = dst - std
    if shift == -3600:
        # Summer time written as negative (Ireland): the "standard" time is the summer one.
        # The equivalent positive form: the winter offset is standard and summer starts at the
        # POSIX end rule.
        std, dst, start, end = dst, std, end, start
        shift = 3600
    if shift != 3600:
        row["Note"] = "summer shift of %+g h" % (shift / 3600.0)
        row["GMT"] = std / 3600.0 if shift > 0 else dst / 3600.0
        return row
    try:
        row["ete"] = coded_rule(start)
        row["hiv"] = coded_rule(end)
    except PosixRuleError as e:
        row["ete"] = row["hiv"] = (0, 0, 0, 0)
        row["Note"] = str(e)
        row["GMT"] = std / 3600.0
        return row
    row["GMT"] = std / 3600.0
    row["DST"] = 1
    return row


# ---------------------------------------------------------------------------------------------
# Self-check against the C library for one year.


def nth_weekday(n, j, m, year):
    """Date of the n-th (0 last, 1..4, 5 second-last) weekday j (1 Mon..7 Sun) of month m."""
    if n in (0, 5):
        last = (datetime.date(year, m % 12 + 1, 1) if m < 12 else datetime.date(year + 1, 1, 1)) \
            - datetime.timedelta(days=1)
        d = last - datetime.timedelta(days=(last.isoweekday() - j) % 7)
        return d - datetime.timedelta(days=7) if n == 5 else d
    first = datetime.date(year, m, 1)
    return first + datetime.timedelta(days=(j - first.isoweekday()) % 7 + 7 * (n - 1))


def actual_changes(zone, year):
    """[(utc_seconds, offset_before, offset_after)] of the zone in the year, via the C library."""
    os.environ["TZ"] = zone
    time.tzset()
    start = int(datetime.datetime(year, 1, 1, tzinfo=datetime.timezone.utc).timestamp()) - 86400
    stop = int(datetime.datetime(year + 1, 1, 1, tzinfo=datetime.timezone.utc).timestamp()) + 86400
    off = lambda t: time.localtime(t).tm_gmtoff
    changes = []
    t, o = start, off(start)
    while t < stop:
        t2 = t + 6 * 3600
        o2 = off(t2)
        if o2 != o:
            lo, hi = t, t2
            while hi - lo > 1:
                mid = (lo + hi) // 2
                if off(mid) == o:
                    lo = mid
                else:
                    hi = mid
            changes.append((hi, o, o2))
        t, o = t2, o2
    return changes


def expected_changes(row, year):
    if not row["DST"]:
        return []
    std = int(round(row["GMT"] * 3600))
    out = []
    for rule, before, after in ((row["ete"], std, std + 3600), (row["hiv"], std + 3600, std)):
        n, j, m, h = rule
        day = nth_weekday(n, j, m, year)
        local = datetime.datetime(day.year, day.month, day.day, tzinfo=datetime.timezone.utc) \
            + datetime.timedelta(hours=h)
        out.append((int(local.timestamp()) - before, before, after))
    return sorted(out)


def self_check(rows, year):
    """Zones whose behaviour in the year differs from their coded rules, with a reason."""
    saved = os.environ.get("TZ")
    problems = {}
    try:
        for row in rows:
            actual = [c for c in actual_changes(row["Nom"], year)
                      if datetime.datetime.fromtimestamp(c[0], datetime.timezone.utc).year == year]
            if actual != expected_changes(row, year):
                problems[row["Nom"]] = actual
    finally:
        if saved is None:
            os.environ.pop("TZ", None)
        else:
            os.environ["TZ"] = saved
        time.tzset()
    return problems


# ---------------------------------------------------------------------------------------------
# Inputs and output.


def read_countries(path, iso_names):
    countries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            c = line.rstrip("\n").split("\t")
            code, name, geonameid = c[0], c[4].strip(), int(c[16])
            countries[code] = {"Id": geonameid, "Code": code, "LocalName": name,
                               "AltName": iso_names.get(code, "")}
    return countries


def read_iso_names(path):
    if not path or not os.path.exists(path):
        return {}
    with open(path, encoding="utf-8") as f:
        entries = json.load(f)["3166-1"]
    return {e["alpha_2"]: e["name"] for e in entries}


def read_cities(path):
    cities = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            c = line.rstrip("\n").split("\t")
            if len(c) < 19:
                continue
            cities.append({"Id": int(c[0]), "F_Name": c[1], "AsciiName": c[2] or c[1],
                           "Lat": float(c[4]), "Lon": float(c[5]), "Country": c[8],
                           "Population": int(c[14] or 0), "Zone": c[17]})
    return cities


def sql_text(s):
    return "'" + s.replace("'", "''") + "'"


def sql_real(x):
    return repr(float(x))


SCHEMA = """\
CREATE TABLE World (
  Id INTEGER PRIMARY KEY,
  Code TEXT NOT NULL,
  LocalName TEXT NOT NULL,
  AltName TEXT NOT NULL,
  NameKey TEXT NOT NULL,
  AltKey TEXT NOT NULL
);
CREATE TABLE Timezone (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Nom TEXT NOT NULL UNIQUE,
  GMT REAL NOT NULL,
  "Vrai ou faux" INTEGER NOT NULL,
  N_ete INTEGER NOT NULL, J_ete INTEGER NOT NULL, M_ete INTEGER NOT NULL, H_ete INTEGER NOT NULL,
  N_hiv INTEGER NOT NULL, J_hiv INTEGER NOT NULL, M_hiv INTEGER NOT NULL, H_hiv INTEGER NOT NULL,
  PosixRule TEXT NOT NULL,
  RuleNote TEXT NOT NULL
);
CREATE TABLE Cities (
  Id INTEGER NOT NULL UNIQUE,
  Country_ID INTEGER NOT NULL REFERENCES World(Id),
  F_Name TEXT NOT NULL,
  AsciiName TEXT NOT NULL,
  GMT REAL NOT NULL,
  Zone INTEGER NOT NULL REFERENCES Timezone(Id),
  Lat REAL NOT NULL,
  Lon REAL NOT NULL,
  Population INTEGER NOT NULL,
  NameKey TEXT NOT NULL,
  AsciiKey TEXT NOT NULL,
  -- The list's order (country, city name, offset) as the row id, so the list reads the table in order.
  SortRank INTEGER PRIMARY KEY
);
"""

# Cities.Id is indexed through its UNIQUE constraint; the filters scan the table in list order.
INDEXES = ""


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cities", required=True, help="folder with cities15000.txt and countryInfo.txt")
    ap.add_argument("--zoneinfo", default="/usr/share/zoneinfo")
    ap.add_argument("--iso-codes", default="/usr/share/iso-codes/json/iso_3166-1.json")
    ap.add_argument("--year", type=int, default=datetime.date.today().year,
                    help="year in which the coded rules are checked against the C library")
    ap.add_argument("--output", required=True)
    args = ap.parse_args()

    countries = read_countries(os.path.join(args.cities, "countryInfo.txt"), read_iso_names(args.iso_codes))
    cities = read_cities(os.path.join(args.cities, "cities15000.txt"))

    zone_names = sorted({c["Zone"] for c in cities})
    zones = []
    for name in zone_names:
        if not os.path.isfile(os.path.join(args.zoneinfo, name)):
            sys.exit("time zone %s of the city list is not in %s" % (name, args.zoneinfo))
        zones.append(zone_entry(args.zoneinfo, name))

    # Zones whose transitions this year follow no rule of the coding (Morocco's and Palestine's
    # changes around Ramadan are listed date by date in the database) keep no summer time.
    for name, actual in self_check(zones, args.year).items():
        row = next(z for z in zones if z["Nom"] == name)
        offsets = sorted({o for c in actual for o in c[1:]})
        row["DST"], row["ete"], row["hiv"] = 0, (0, 0, 0, 0), (0, 0, 0, 0)
        row["Note"] = row["Note"] or ("irregular changes in %d (offsets %s h)" % (
            args.year, ", ".join("%+g" % (o / 3600.0) for o in offsets)))
    zone_id = {z["Nom"]: i + 1 for i, z in enumerate(zones)}

    for z in zones:
        if z["Note"]:
            print("no summer time for %s: %s [%s]" % (z["Nom"], z["Note"], z["Posix"]), file=sys.stderr)

    used_countries = sorted({c["Country"] for c in cities})
    for code in used_countries:
        if code not in countries:
            sys.exit("country %s of the city list is not in countryInfo.txt" % code)

    zone_gmt = {z["Nom"]: z["GMT"] for z in zones}
    order = sorted(cities, key=lambda c: (fold(countries[c["Country"]]["LocalName"]), fold(c["F_Name"]),
                                          zone_gmt[c["Zone"]], c["Id"]))
    rank = {c["Id"]: i + 1 for i, c in enumerate(order)}

    tmp = args.output + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as out:
        out.write("-- City database: GeoNames cities15000 (CC BY, geonames.org) and the IANA time-zone\n")
        out.write("-- database (public domain). Generated by tools/make_city_database.py; do not edit.\n")
        out.write("-- tz rules checked against the C library for %d.\n" % args.year)
        out.write("BEGIN;\n")
        out.write(SCHEMA)
        for code in used_countries:
            w = countries[code]
            out.write("INSERT INTO World VALUES(%d,%s,%s,%s,%s,%s);\n" % (
                w["Id"], sql_text(code), sql_text(w["LocalName"]), sql_text(w["AltName"]),
                sql_text(fold(w["LocalName"])), sql_text(fold(w["AltName"]))))
        for z in zones:
            out.write("INSERT INTO Timezone VALUES(%d,%s,%s,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s,%s);\n" % (
                (zone_id[z["Nom"]], sql_text(z["Nom"]), sql_real(z["GMT"]), z["DST"]) + z["ete"] + z["hiv"]
                + (sql_text(z["Posix"]), sql_text(z["Note"]))))
        for c in order:
            out.write("INSERT INTO Cities VALUES(%d,%d,%s,%s,%s,%d,%s,%s,%d,%s,%s,%d);\n" % (
                c["Id"], countries[c["Country"]]["Id"], sql_text(c["F_Name"]), sql_text(c["AsciiName"]),
                sql_real(zone_gmt[c["Zone"]]), zone_id[c["Zone"]], sql_real(c["Lat"]), sql_real(c["Lon"]),
                c["Population"], sql_text(fold(c["F_Name"])), sql_text(fold(c["AsciiName"])), rank[c["Id"]]))
        out.write(INDEXES)
        out.write("COMMIT;\nANALYZE;\n")
    os.replace(tmp, args.output)
    print("%d cities, %d countries, %d zones written to %s" % (len(cities), len(used_countries), len(zones),
                                                              args.output), file=sys.stderr)


if __name__ == "__main__":
    main()
