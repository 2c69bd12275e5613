#!/bin/sh
# The Windows package as a user gets it: the zip made by CPack, unpacked into a fresh folder, and
# krview started from there (under Wine) for a few frames. It must find its plug-in beside it, end
# cleanly, and write a capture whose pixels are the scene's: the orange panel of the builtins scene
# read back by ImageMagick from the PNG the platform's encoder wrote.
#   package.sh BUILD WINERUN
set -eu
build=$1
winerun=$2
work=$build/package-test
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -B "$work" >"$work/cpack.txt" 2>&1) || { cat "$work/cpack.txt"; exit 1; }
cd "$work"
cmake -E tar xf krview-win64.zip
folder=$work/krview-win64
for f in krview.exe D3DDev.dll krngn.dll krcr.dll README.txt media/Textures/noshader.bmp; do
    [ -f "$folder/$f" ] || { echo "package: $f is missing"; exit 1; }
done
zipped=$(stat -c %s krview-win64.zip)
echo "package: krview-win64.zip, $zipped bytes"
# Started from another folder without options, as a double-click on krview.exe starts it: the
# media beside krview.exe must be found, and the configuration, log and capture land where it was
# started.
elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
rc=0
"$winerun" --build "$build" --desktop 1280x1024 --cwd "$elsewhere" "$folder/krview.exe" \
    --scene builtins --frames 10 --capture capture.png >"$work/output.txt" 2>&1 || rc=$?
cat "$work/output.txt"
[ "$rc" -eq 0 ] || { echo "package: krview exited with $rc"; exit 1; }
grep -q 'host live blocks at exit: 0' "$work/output.txt" || { echo "package: memory left behind"; exit 1; }
for f in kr.ini krview.log capture.png; do
    [ -f "$elsewhere/$f" ] || { echo "package: no $f where krview was started"; exit 1; }
done
# The orange panel is the scene's own dynamic texture; the blue cube's texel comes from a texture
# file of the media folder (without it the cube shows the magenta fallback checker).
pixels=$(convert "$elsewhere/capture.png" -format '%[pixel:p{80,110}] %[pixel:p{530,280}]' info:)
echo "package: capture $(stat -c %s "$elsewhere/capture.png") bytes, panel and cube: $pixels"
[ "$pixels" = "srgb(255,128,0) srgb(30,57,172)" ] || { echo "package: the capture does not show the scene"; exit 1; }
