#!/usr/bin/env python3
"""The city database generator's reading of POSIX rules and its conversion into the stored coding."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_city_database as gen  # noqa: E402

ZONEINFO = "/usr/share/zoneinfo"


def fake_zone(folder, name, footer):
    """A TZif v2 file whose only content that matters here is its footer line."""
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"TZif2" + b"\0" * 39 + b"\n" + footer.encode("ascii") + b"\n")
    return name


class RuleConversion(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def entry(self, footer):
        return gen.zone_entry(self.tmp.name, fake_zone(self.tmp.name, "Test/Zone", footer))

    def test_cases(self):
        cases = [
            # footer, GMT, summer, start (N, J, M, H), end, note contains
            ("GMT0BST,M3.5.0/1,M10.5.0", 0.0, 1, (0, 7, 3, 1), (0, 7, 10, 2), ""),
            ("EST5EDT,M3.2.0,M11.1.0", -5.0, 1, (2, 7, 3, 2), (1, 7, 11, 2), ""),
            ("NST3:30NDT,M3.2.0,M11.1.0", -3.5, 1, (2, 7, 3, 2), (1, 7, 11, 2), ""),
            ("<+0545>-5:45", 5.75, 0, (0, 0, 0, 0), (0, 0, 0, 0), ""),
            # Negative summer time (Ireland) becomes the positive form.
            ("IST-1GMT0,M10.5.0,M3.5.0/1", 0.0, 1, (0, 7, 3, 1), (0, 7, 10, 2), ""),
            # Change times outside 0..23 are kept as written.
            ("<-02>2<-01>,M3.5.0/-1,M10.5.0/0", -2.0, 1, (0, 7, 3, -1), (0, 7, 10, 0), ""),
            ("<-04>4<-03>,M9.1.6/24,M4.1.6/24", -4.0, 1, (1, 6, 9, 24), (1, 6, 4, 24), ""),
            # Beyond the coding: a half-hour shift (Lord Howe), a two-hour shift (Troll), fixed days.
            ("<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", 10.5, 0, (0, 0, 0, 0), (0, 0, 0, 0), "shift"),
            ("<+00>0<+02>-2,M3.5.0/1,M10.5.0/3", 0.0, 0, (0, 0, 0, 0), (0, 0, 0, 0), "shift"),
            ("<+0330>-3:30<+0430>,J79/24,J263/24", 3.5, 0, (0, 0, 0, 0), (0, 0, 0, 0), "fixed-day"),
            ("XST-3XDT,80/2,264/2", 3.0, 0, (0, 0, 0, 0), (0, 0, 0, 0), "fixed-day"),
            ("AST-3ADT,M3.5.0/2:30,M10.5.0/3", 3.0, 0, (0, 0, 0, 0), (0, 0, 0, 0), "whole hour"),
        ]
        for footer, gmt, summer, start, end, note in cases:
            with self.subTest(footer=footer):
                row = self.entry(footer)
                self.assertEqual(row["GMT"], gmt)
                self.assertEqual(row["DST"], summer)
                self.assertEqual(row["ete"], start)
                self.assertEqual(row["hiv"], end)
                if note:
                    self.assertIn(note, row["Note"])
                else:
                    self.assertEqual(row["Note"], "")

    def test_malformed_footers_raise(self):
        for footer in ["", "X", "EST5EDT", "EST5EDT,M3.2.0", "EST5EDT,M3.2.0,M11.1.0junk"]:
            with self.subTest(footer=footer):
                with self.assertRaises(gen.PosixRuleError):
                    self.entry(footer)

    def test_not_a_tzif_file(self):
        path = os.path.join(self.tmp.name, "plain")
        with open(path, "wb") as f:
            f.write(b"hello\nEST5\n")
        with self.assertRaises(gen.PosixRuleError):
            gen.tzif_footer(path)


@unittest.skipUnless(os.path.isdir(ZONEINFO), "no system time-zone database")
class SystemZones(unittest.TestCase):
    def test_real_zones(self):
        cases = [
            ("Europe/Dublin", 0.0, 1, (0, 7, 3, 1), (0, 7, 10, 2)),
            ("Australia/Lord_Howe", 10.5, 0, (0, 0, 0, 0), (0, 0, 0, 0)),
            ("Asia/Kathmandu", 5.75, 0, (0, 0, 0, 0), (0, 0, 0, 0)),
            ("America/St_Johns", -3.5, 1, (2, 7, 3, 2), (1, 7, 11, 2)),
        ]
        for name, gmt, summer, start, end in cases:
            with self.subTest(zone=name):
                row = gen.zone_entry(ZONEINFO, name)
                self.assertEqual((row["GMT"], row["DST"], row["ete"], row["hiv"]), (gmt, summer, start, end))

    def test_every_system_zone_is_read(self):
        # Every zone of the system's list converts or is listed with a reason, without an error.
        names = []
        with open(os.path.join(ZONEINFO, "tzdata.zi"), encoding="ascii") as f:
            names = [line.split()[1] for line in f if line.startswith("Z ")]
        self.assertGreater(len(names), 300)
        for name in names:
            row = gen.zone_entry(ZONEINFO, name)
            self.assertTrue(row["DST"] or row["Note"] or row["ete"] == (0, 0, 0, 0), name)

    def test_self_check_finds_irregular_zones(self):
        # Morocco's Ramadan changes are listed date by date; no footer rule describes them.
        year = 2026
        rows = [gen.zone_entry(ZONEINFO, "Africa/Casablanca"), gen.zone_entry(ZONEINFO, "Europe/Paris")]
        problems = gen.self_check(rows, year)
        self.assertIn("Africa/Casablanca", problems)
        self.assertNotIn("Europe/Paris", problems)


class NthWeekday(unittest.TestCase):
    def test_known_days(self):
        import datetime
        d = datetime.date
        self.assertEqual(gen.nth_weekday(0, 7, 3, 2024), d(2024, 3, 31))
        self.assertEqual(gen.nth_weekday(5, 7, 3, 2024), d(2024, 3, 24))
        self.assertEqual(gen.nth_weekday(1, 7, 10, 2024), d(2024, 10, 6))
        self.assertEqual(gen.nth_weekday(0, 7, 12, 2024), d(2024, 12, 29))
        self.assertEqual(gen.nth_weekday(2, 7, 3, 2026), d(2026, 3, 8))


class Fold(unittest.TestCase):
    def test_keys(self):
        self.assertEqual(gen.fold("São Paulo"), "sao paulo")
        self.assertEqual(gen.fold("Gießen"), "giessen")
        self.assertEqual(gen.fold("Xi\u2019an"), "xi'an")


if __name__ == "__main__":
    unittest.main()
