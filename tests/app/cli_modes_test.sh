#!/usr/bin/env bash
# End-to-end checks of the command-line modes on a fresh copy of the application folder.
# Usage: cli_modes_test.sh <built application folder> <MakeUserLocations tool>
set -uo pipefail
built=$1
make_locations=$2
work=$(mktemp -d /tmp/orbiclock-cli.XXXXXX)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

fresh_app() {
  rm -rf "$work/app"
  mkdir -p "$work/app"
  cp -r "$built/." "$work/app/"
  # Only what the build ships: drop what earlier runs of the built program wrote.
  rm -f "$work/app/Orbiclock.html" "$work/app/riseset.txt" "$work/app/Orbiclock.ini" "$work/app/Orbiclock.log" \
        "$work/app/opt/"*_background_dots.gif "$work/app/opt/"*_background_solid.gif
}

# No display: the program picks the offscreen platform itself; the desktop state goes to a fresh folder.
export -n DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM 2>/dev/null
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" ORBICLOCK_SCREEN=1920x1080
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# 1. -autoupdate from / and from a folder without write access writes the page, sun table and overlays.
fresh_app
for cwd in / "$work/readonly"; do
  mkdir -p "$work/readonly"; chmod 555 "$work/readonly"
  rm -f "$work/app/Orbiclock.html"
  (cd "$cwd" && "$work/app/Orbiclock" -autoupdate) 2>"$work/err" || fail "-autoupdate from $cwd exited $?: $(cat "$work/err")"
  [ -s "$work/app/Orbiclock.html" ] || fail "no page after -autoupdate from $cwd"
  [ "$(wc -l <"$work/app/riseset.txt")" -eq 1049 ] || fail "riseset.txt does not have 1049 lines"
  [ -s "$work/app/opt/1600_background_dots.gif" ] && [ -s "$work/app/opt/1600_background_solid.gif" ] \
    || fail "overlays missing after -autoupdate from $cwd"
  grep -q '%%VARO%%Clock0GMTOffset\|<clock_pos></clock_pos>' "$work/app/Orbiclock.html" && fail "placeholders left in the page"
done
grep -q '^MaxNumLocs=55' "$work/app/Orbiclock.ini" || fail "settings not written at close: $(cat "$work/app/Orbiclock.ini")"

# 2. Without the template: exit 1, one line on stderr, the report in the log, the old page kept.
fresh_app
echo "old page" >"$work/app/Orbiclock.html"
rm "$work/app/Orbiclock_TEMPLATE.html"
"$work/app/Orbiclock" -AutoUpdate 2>"$work/err"; rc=$?
[ $rc -eq 1 ] || fail "missing template: exit code $rc, expected 1"
grep -q 'Orbiclock: Cannot open file ".*Orbiclock_TEMPLATE.html"' "$work/err" || fail "missing template: stderr was: $(cat "$work/err")"
grep -q 'Message: Cannot open file' "$work/app/Orbiclock.log" || fail "missing template: no report in Orbiclock.log"
[ "$(cat "$work/app/Orbiclock.html")" = "old page" ] || fail "missing template: old page replaced"
[ -e "$work/app/Orbiclock.ini" ] && fail "a failed mode must not rewrite the settings"

# 3. An unwritable page (the folder is read-only for an unprivileged user) leaves the old page intact.
fresh_app
echo "old page" >"$work/app/Orbiclock.html"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod -R a+rX "$work"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 555 "$work/app"
"${as_user[@]}" env HOME="$work" "$work/app/Orbiclock" -autoupdate 2>"$work/err"; rc=$?
chmod 755 "$work/app"
[ $rc -eq 1 ] || fail "unwritable page: exit code $rc, expected 1"
grep -q 'Cannot create file' "$work/err" || fail "unwritable page: stderr was: $(cat "$work/err")"
[ "$(cat "$work/app/Orbiclock.html")" = "old page" ] || fail "unwritable page: old page changed"

# 4. An unrecognised argument only prepares the place table and closes: settings written, nothing else.
fresh_app
"$work/app/Orbiclock" autoupdate 2>"$work/err"; rc=$?
[ $rc -eq 0 ] || fail "unrecognised argument: exit code $rc: $(cat "$work/err")"
grep -q '^MaxNumLocs=55' "$work/app/Orbiclock.ini" || fail "unrecognised argument: settings not written"
[ -e "$work/app/Orbiclock.html" ] && fail "unrecognised argument built a page"
[ -e "$work/app/riseset.txt" ] && fail "unrecognised argument wrote a sun table"

# 5. Rebuilding the shipped list never replaces the user's database.
fresh_app
before=$(sha256sum <"$work/app/data/UserLocations.db")
"$make_locations" /nonexistent/schema.sql /nonexistent/places.csv "$work/app/data/UserLocations.db" \
  || fail "the list builder failed on an existing database"
[ "$(sha256sum <"$work/app/data/UserLocations.db")" = "$before" ] || fail "the user's database was replaced"

# 6. A missing data folder: reported at start-up, and the update fails at its location step.
fresh_app
rm -rf "$work/app/data"
"$work/app/Orbiclock" -autoupdate 2>"$work/err"; rc=$?
[ $rc -eq 1 ] || fail "missing data folder: exit code $rc"
grep -q 'Cannot perform this operation on a closed dataset' "$work/err" || fail "missing data: stderr was: $(cat "$work/err")"
[ "$(grep -c 'Orbiclock error report' "$work/app/Orbiclock.log")" -eq 2 ] || fail "missing data: expected two reports"
[ "$(wc -l <"$work/app/riseset.txt")" -eq 1049 ] || fail "missing data: the sun table is written before the location step"

# 7. The command-line program loads no user interface toolkit; the settings program is what does.
ldd "$work/app/Orbiclock" | grep -q 'libQt6' && fail "Orbiclock links the toolkit: $(ldd "$work/app/Orbiclock" | grep libQt6)"
ldd "$work/app/orbiclock-settings" | grep -q 'libQt6Widgets' || fail "orbiclock-settings does not link Qt Widgets"

# 8. Where only the toolkit knows the screen (no display, no ORBICLOCK_SCREEN), the settings program runs
#    the mode on its offscreen screen: the same files, the same report file, the same failure output.
fresh_app
env -u ORBICLOCK_SCREEN "$work/app/Orbiclock" -autoupdate 2>"$work/err" || fail "-autoupdate through the settings program exited $?: $(cat "$work/err")"
[ -s "$work/app/Orbiclock.html" ] || fail "no page after -autoupdate through the settings program"
[ "$(wc -l <"$work/app/riseset.txt")" -eq 1049 ] || fail "no sun table after -autoupdate through the settings program"
grep -q '^MaxNumLocs=' "$work/app/Orbiclock.ini" || fail "settings program: settings not written next to Orbiclock"
# The offscreen screen is 800 x 600: its background's overlays show whose screen size was used.
[ -s "$work/app/opt/800_background_dots.gif" ] || fail "the settings program did not use the toolkit's screen"
rm "$work/app/Orbiclock_TEMPLATE.html"
env -u ORBICLOCK_SCREEN "$work/app/Orbiclock" -autoupdate 2>"$work/err"; rc=$?
[ $rc -eq 1 ] || fail "settings program, missing template: exit code $rc, expected 1"
grep -q 'Orbiclock: Cannot open file ".*Orbiclock_TEMPLATE.html"' "$work/err" || fail "settings program, missing template: stderr was: $(cat "$work/err")"
grep -q 'Message: Cannot open file' "$work/app/Orbiclock.log" || fail "settings program: no report in Orbiclock.log"

# 9. Without the settings program the window cannot open: a clear message and exit 1, nothing written.
fresh_app
rm "$work/app/orbiclock-settings"
"$work/app/Orbiclock" 2>"$work/err"; rc=$?
[ $rc -eq 1 ] || fail "missing settings program: exit code $rc, expected 1"
grep -q "Orbiclock: Cannot start .*orbiclock-settings" "$work/err" || fail "missing settings program: stderr was: $(cat "$work/err")"
[ -e "$work/app/Orbiclock.ini" ] && fail "missing settings program: settings written"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all command-line checks passed"
