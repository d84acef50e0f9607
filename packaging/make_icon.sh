#!/usr/bin/env bash
# Draws the tool's icon: three characters stepping apart on the money green
# of the window's picked-text label. Run once; the .ico is checked in.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
draw() {
  local size=$1 out=$2 pt=$3
  /usr/bin/convert -size "${size}x${size}" xc:'#c0dcc0' -fill none -stroke '#406040' \
    -draw "rectangle 0,0 $((size - 1)),$((size - 1))" -stroke none -fill '#203020' \
    -font "$font" -pointsize "$pt" \
    -draw "text $((size / 16)),$((size * 9 / 16)) 'ル'" \
    -draw "text $((size * 6 / 16)),$((size * 12 / 16)) 'ペ'" \
    -draw "text $((size * 10 / 16)),$((size * 15 / 16)) 'ナ'" \
    "$out"
}
tmp=$(mktemp -d)
draw 16 "$tmp/16.png" 7
draw 32 "$tmp/32.png" 13
draw 48 "$tmp/48.png" 20
/usr/bin/convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" rupena.ico
rm -rf "$tmp"
