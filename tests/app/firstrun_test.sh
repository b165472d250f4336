#!/usr/bin/env bash
# "-firstrun" end to end on a fresh copy of the application folder: the system's zone goes into the
# current location, the wallpaper is reset and the page rebuilt; a failure skips what follows.
# Usage: firstrun_test.sh <built application folder>
set -uo pipefail
built=$1
work=$(mktemp -d /tmp/orbiclock-firstrun.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

db="$work/app/data/UserLocations.db"
fresh_app() {
  rm -rf "$work/app" "$work/config" "$work/runtime"
  mkdir -p "$work/app" "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  cp -r "$built/." "$work/app/"
  rm -f "$work/app/Orbiclock.html" "$work/app/riseset.txt" "$work/app/Orbiclock.ini" "$work/app/Orbiclock.log" \
    "$work/app/opt/"*_background_dots.gif "$work/app/opt/"*_background_solid.gif
}
zone_fields() {
  sqlite3 -separator '|' "$db" "SELECT id_City, id_Timezone, id_Country, name_City, name_Country, name_Timezone,
    GMT, UsesSummerTime, N_summer, J_summer, M_summer, H_summer, N_winter, J_winter, M_winter, H_winter, PosX, PosY
    FROM UserLocations WHERE IDX = 0"
}
coordinates() { sqlite3 "$db" "SELECT Latitude, Longitude FROM UserLocations WHERE IDX = 0"; }
other_rows() { sqlite3 "$db" "SELECT * FROM UserLocations WHERE IDX > 0 ORDER BY IDX"; }

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM TZDIR
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" ORBICLOCK_SCREEN=1920x1080

# The zone, and the current location's fields it must give (ids, names, GMT, summer time, start, end, map position).
cases=(
  "America/New_York|0|0|0|Timezone Info from Registry|||-5.0|1|2|6|2|3|1|6|10|2|0|0"
  "Europe/Dublin|0|0|0|Timezone Info from Registry|||0.0|1|0|6|2|3|0|6|9|2|0|0"
  "Australia/Sydney|0|0|0|Timezone Info from Registry|||10.0|1|1|6|9|3|1|6|3|2|0|0"
  "Asia/Kathmandu|0|0|0|Timezone Info from Registry|||5.75|0|0|6|-1|3|0|6|-1|2|0|0"
)
for c in "${cases[@]}"; do
  tz=${c%%|*}
  expected=${c#*|}
  fresh_app
  coords_before=$(coordinates)
  others_before=$(other_rows)
  [ -n "$coords_before" ] || fail "$tz: the shipped list has no current location"
  TZ="$tz" "$work/app/Orbiclock" -firstrun 2>"$work/err"; rc=$?
  [ $rc -eq 0 ] || fail "$tz: -firstrun exited $rc: $(cat "$work/err")"
  [ "$(zone_fields)" = "$expected" ] || fail "$tz: current location is '$(zone_fields)', expected '$expected'"
  [ "$(coordinates)" = "$coords_before" ] || fail "$tz: coordinates changed from $coords_before to $(coordinates)"
  [ "$(other_rows)" = "$others_before" ] || fail "$tz: other places changed"
  [ -s "$work/app/Orbiclock.html" ] || fail "$tz: no page built"
  [ -s "$work/app/opt/1600_background_dots.gif" ] || fail "$tz: no overlays painted"
  grep -rqs "Wallpaper=$work/app/Orbiclock.html" "$work/config" || fail "$tz: the page is not the wallpaper"
  grep -q '^MaxNumLocs=' "$work/app/Orbiclock.ini" || fail "$tz: settings not written at close"
  [ -e "$work/app/Orbiclock.log" ] && fail "$tz: unexpected report: $(cat "$work/app/Orbiclock.log")"
done

# A rule with days of the year: no summer time, and the report file says why.
fresh_app
TZ="XXX3YYY,J60,J300" "$work/app/Orbiclock" -firstrun 2>"$work/err"; rc=$?
[ $rc -eq 0 ] || fail "Julian rule: -firstrun exited $rc: $(cat "$work/err")"
[ "$(zone_fields | cut -d'|' -f7,8)" = "-3.0|0" ] || fail "Julian rule: stored $(zone_fields)"
grep -q 'days of the year (J60, J300)' "$work/app/Orbiclock.log" 2>/dev/null || fail "Julian rule: no note in Orbiclock.log"
[ -s "$work/app/Orbiclock.html" ] || fail "Julian rule: no page built"

# Without its table the import fails: the reset and the update are skipped, the settings not rewritten.
fresh_app
rm -rf "$work/app/data"
TZ=America/New_York "$work/app/Orbiclock" -firstrun 2>"$work/err"; rc=$?
[ $rc -eq 1 ] || fail "missing data: exit code $rc, expected 1"
grep -q 'Cannot perform this operation on a closed dataset' "$work/err" || fail "missing data: stderr was: $(cat "$work/err")"
[ -e "$work/app/Orbiclock.html" ] && fail "missing data: a page was built after the failed import"
[ -e "$work/app/riseset.txt" ] && fail "missing data: the update ran after the failed import"
grep -rqs "Wallpaper=" "$work/config" && fail "missing data: the wallpaper was reset after the failed import"
[ -e "$work/app/Orbiclock.ini" ] && fail "missing data: a failed mode must not rewrite the settings"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all -firstrun checks passed"
