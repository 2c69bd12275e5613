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
rc=0
"$winerun" --build "$build" --desktop 1280x1024 --cwd "$folder" "$folder/krview.exe" --media media \
    --scene builtins --frames 10 --capture capture.png --log krview.log >"$work/output.txt" 2>&1 || rc=$?
cat "$work/output.txt"
[ "$rc" -eq 0 ] || { echo "package: krview exited with $rc"; exit 1; }
grep -q 'host live blocks at exit: 0' "$work/output.txt" || { echo "package: memory left behind"; exit 1; }
pixel=$(convert "$folder/capture.png" -format '%[pixel:p{80,110}]' info:)
size=$(stat -c %s "$folder/capture.png")
echo "package: capture $size bytes, orange panel at (80,110): $pixel"
[ "$pixel" = "srgb(255,128,0)" ] || { echo "package: the capture does not show the scene"; exit 1; }
