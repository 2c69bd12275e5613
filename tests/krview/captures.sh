#!/bin/sh
# captures.sh CAPTURES REFERENCES: the window captures of KrviewCaptures.* against the committed
# references and against each other. A pair passes when at most MAX pixels differ by more than the
# fuzz, after a named rectangle (x0,y0 x1,y1) is painted black in both.
dir=$1 ref=$2 failed=0
FUZZ=${FUZZ:-6%}
same() { # same A B MAX WHY [RECTANGLE]
    a=$dir/$1 b=$2 max=$3
    case $b in /*) ;; *) b=$dir/$b ;; esac
    if [ -n "${5:-}" ]; then
        convert "$a" -fill black -draw "rectangle $5" "$dir/masked-a.png" || failed=1
        convert "$b" -fill black -draw "rectangle $5" "$dir/masked-b.png" || failed=1
        a=$dir/masked-a.png b=$dir/masked-b.png
    fi
    n=$(compare -metric AE -fuzz "$FUZZ" "$a" "$b" null: 2>&1)
    echo "$1 against $(basename "$2"): $n pixels differ, at most $max allowed ($4)"
    case $n in
    '' | *[!0-9]*) failed=1 ;;
    *) [ "$n" -le "$max" ] || failed=1 ;;
    esac
}
# What each scene shows, played alone.
same all-builtins.png "$ref/builtins.png" 200 "builtins against its reference"
same paths.png "$ref/paths.png" 200 "paths against its reference"
same stress.png "$ref/stress.png" 200 "stress against its reference"
# A scene played after another looks as it does alone.
same all-paths.png paths.png 50 "paths after builtins"
same all-stress.png stress.png 50 "stress after builtins and paths"
# Toggled to full screen and back twice: the same picture.
same toggle-builtins.png all-builtins.png 50 "builtins toggled"
same toggle-paths.png all-paths.png 50 "paths toggled"
same toggle-stress.png all-stress.png 50 "stress toggled"
# Reset four times: the same picture, apart from what the device's alpha limit explains (after a
# reset nothing is blended or alpha-tested), painted out with a 2-pixel margin: the builtins'
# "ShaderBlackBack" panel (110x48 at 564,16: opaque, (32,32,96) instead of (24,24,72)) and the
# paths' alpha-check quad (177x177 at 312,412: the base texture covers the environment map).
same réset-Жж-builtins.png all-builtins.png 50 "builtins reset" "562,14 675,65"
same réset-Жж-paths.png all-paths.png 50 "paths reset" "310,410 490,590"
same réset-Жж-stress.png all-stress.png 50 "stress reset"
exit $failed
