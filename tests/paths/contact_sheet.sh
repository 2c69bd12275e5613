#!/bin/sh
# contact_sheet.sh TILES REFERENCE OUTPUT: scales the nine path frames (800x600 bitmaps) to 160x120
# tiles, labels them with their path names, assembles them 3x3 into OUTPUT and compares it with
# REFERENCE. Passes when at most MAX_DIFFERENT pixels differ by more than 5%.
tiles=$1 reference=$2 output=$3
MAX_DIFFERENT=${MAX_DIFFERENT:-400}
set --
for frame in "$tiles"/[1-9]_*.bmp; do
    name=$(basename "$frame" .bmp)
    convert "$frame" -alpha off -scale 160x120 "$tiles/$name.png" || exit 1
    set -- "$@" -label "${name#?_}" "$tiles/$name.png"
done
[ $# -eq 27 ] || { echo "expected 9 frames in $tiles, found $(($# / 3))"; exit 1; }
rm -f "$output"
montage "$@" -tile 3x3 -geometry 160x120+4+4 -font DejaVu-Sans -pointsize 11 -background '#303030' -fill white \
    "$output" || exit 1
different=$(compare -metric AE -fuzz 5% "$output" "$reference" null: 2>&1)
echo "$output: $different pixels differ from $reference"
case $different in
    '' | *[!0-9]*) exit 1 ;;
esac
[ "$different" -le "$MAX_DIFFERENT" ]
