#!/bin/sh
# Writes a black bitmap file: 8 bits per pixel, 256-entry palette, every
# pixel palette index 0, palette entry 0 black.
# Usage: write-black-bitmap.sh OUTPUT WIDTH HEIGHT
set -eu

out=$1
width=$2
height=$3

# Little-endian 16- and 32-bit values as raw bytes.
byte() { printf "\\$(printf '%03o' $(($1 & 255)))"; }
le16() { byte "$1"; byte $(($1 >> 8)); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }
zeros() { head -c "$1" /dev/zero; }

stride=$(( (width + 3) / 4 * 4 ))   # rows are padded to 32 bits
palette_bytes=1024
pixel_bytes=$((stride * height))
bits_offset=$((14 + 40 + palette_bytes))

tmp="$out.tmp"
{
    # File header
    printf 'BM'
    le32 $((bits_offset + pixel_bytes))
    le32 0
    le32 "$bits_offset"
    # Info header: bottom-up rows, uncompressed, all 256 colours used
    le32 40
    le32 "$width"
    le32 "$height"
    le16 1
    le16 8
    le32 0
    le32 "$pixel_bytes"
    le32 2835
    le32 2835
    le32 256
    le32 0
    # Palette (all entries black) and pixels (all index 0)
    zeros "$palette_bytes"
    zeros "$pixel_bytes"
} > "$tmp"
mv "$tmp" "$out"
