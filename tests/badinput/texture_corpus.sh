# Writes valid texture files of the kinds real media folders hold into the folder $1, one row each:
# the output (ImageMagick's format prefix and the file name), the size, the options. The texture
# file test adds the few kinds ImageMagick does not write, and loads every file of the folder.
rm -rf "$1" && mkdir -p "$1"
while read -r out size options; do
    convert -size "$size" gradient:#ff000080-blue $options "${out%%:*}:$1/${out#*:}"
done <<'ROWS'
BMP2:core.bmp             30x20   -alpha off
BMP3:info.bmp             30x20   -alpha off
BMP3:palette.bmp          33x7    -type palette
BMP3:rle.bmp              30x20   -type palette -compress RLE
BMP:v4-alpha.bmp          30x20   -intent Undefined
BMP:v5-bitfields.bmp      30x20   -define bmp:subtype=RGB565
PNG:grey1.png             30x20   -type Bilevel -define png:bit-depth=1
PNG:grey-alpha.png        30x20   -colorspace Gray -type GrayscaleAlpha
PNG8:palette.png          30x20   -alpha off
PNG48:rgb16.png           1000x3  -alpha off
PNG32:rgba.png            30x20   -interlace PNG
JPG:progressive.jpg       300x200 -interlace Plane
JPG:grey.jpg              30x20   -colorspace Gray
TGA:rle-top-left.tga      30x20   -compress RLE -orient TopLeft
TGA:palette.tga           30x20   -type palette
DDS:plain.dds             30x20   -define dds:compression=none -define dds:mipmaps=0
DDS:dxt1.dds              30x20   -define dds:compression=dxt1 -define dds:mipmaps=0
DDS:dxt3-mips.dds         64x32   -define dds:compression=dxt5
DDS:dxt5-mips.dds         128x128 -define dds:compression=dxt5 -define dds:mipmaps=3
ROWS
# ImageMagick writes no DXT3; any 16-byte blocks are DXT3 as well as DXT5.
printf DXT3 | dd of="$1/dxt3-mips.dds" bs=1 seek=84 conv=notrunc 2>/dev/null
