#!/usr/bin/env bash
# Draws the 8 by 8 place markers of the wallpaper page into assets/opt/ (transparent GIFs):
#   dot.gif            a place before its clock's first tick
#   dot2.gif           the current place
#   dotDay.gif         sun up (yellow)
#   dotTwillight.gif   twilight (amber)
#   dotNight.gif       night (grey blue)
# Needs ImageMagick's convert. The pictures are pixel maps below; run again after changing them.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${1:-"$here/../assets/opt"}
mkdir -p "$out"

# A round marker: outline o, fill x, highlight h, centre c; "." is transparent.
round_marker() {
  cat <<'PIXELS'
"..oooo..",
".oxxxxo.",
"oxhhxxxo",
"oxhxxxxo",
"oxxxxxxo",
"oxxxxxxo",
".oxxxxo.",
"..oooo.."
PIXELS
}

# The current place: a ring with a bright centre, so it stands apart from the clocks' markers.
ring_marker() {
  cat <<'PIXELS'
"..oooo..",
".oxxxxo.",
"oxxccxxo",
"oxccccxo",
"oxccccxo",
"oxxccxxo",
".oxxxxo.",
"..oooo.."
PIXELS
}

# write NAME SHAPE OUTLINE FILL HIGHLIGHT CENTRE
write() {
  local name=$1 shape=$2 outline=$3 fill=$4 highlight=$5 centre=$6
  local xpm
  xpm=$(mktemp --suffix=.xpm)
  {
    echo '/* XPM */'
    echo 'static char *marker[] = {'
    echo '"8 8 5 1",'
    echo '". c None",'
    echo "\"o c $outline\","
    echo "\"x c $fill\","
    echo "\"h c $highlight\","
    echo "\"c c $centre\","
    "$shape"
    echo '};'
  } > "$xpm"
  convert "$xpm" -strip "GIF:$out/$name"
  rm -f "$xpm"
}

write dot.gif          round_marker '#303030' '#E0E0E0' '#FFFFFF' '#FFFFFF'
write dot2.gif         ring_marker  '#004000' '#00FF00' '#00FF00' '#FFFFFF'
write dotDay.gif       round_marker '#705A00' '#FFFF00' '#FFFFC0' '#FFFFFF'
write dotTwillight.gif round_marker '#603000' '#F0A000' '#FFD080' '#FFFFFF'
write dotNight.gif     round_marker '#101830' '#6070A0' '#A0B0D0' '#FFFFFF'
echo "Markers written to $out"
