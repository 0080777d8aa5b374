#!/usr/bin/env bash
# Checks `zefir-cli thumbnail`: the size and pixels of the PNG it writes for
# each phone kind, and that a damaged input writes nothing.
# Usage: thumbnail-test.sh PATH-TO-ZEFIR-CLI
set -u

. "$(dirname "$0")/lib.sh"

# A 3 x 2 32-bit Moto Bitmap: Width, Height, BitDepth, RowBytes, then blue,
# green, red and alpha bytes: red, green, transparent / blue, white, magenta.
printf '\x03\x00\x00\x00\x02\x00\x00\x00\x20\x00\x00\x00\x0c\x00\x00\x00' >small32.k
printf '\x00\x00\xff\xff\x00\xff\x00\xff\x00\x00\x00\x00' >>small32.k
printf '\xff\x00\x00\xff\xff\xff\xff\xff\xff\x00\xff\xff' >>small32.k
# A 300 x 100 one, to be shrunk.
printf '\x2c\x01\x00\x00\x64\x00\x00\x00\x20\x00\x00\x00\xb0\x04\x00\x00' >wide32.k
printf '\xff\x00\x00\xff%.0s' $(seq 30000) >>wide32.k
# PNG pictures become Moto Images; BMP pictures the other kinds.
run 0 convert small32.k small.png
run 0 convert small32.k small.bmp
run 0 convert wide32.k wide.png
run 0 convert small.bmp small.k --kind 18
run 0 convert small.bmp 'small(3x02).raw'
run 0 convert small.png small.g
run 0 convert wide.png wide.g

# The width and height in a PNG's header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

# input, --size (- for the default), expected width x height
while read -r input size expected; do
    [ "$size" = - ] && size=() || size=(--size "$size")
    rm -f thumb.png
    run 0 thumbnail "$input" thumb.png "${size[@]}"
    got=$(png_size thumb.png)
    [ "$got" = "$expected" ] || fail "$input ${size[*]}: thumbnail is $got, expected $expected"
done <<'CASES'
small.k 10 9x6
small32.k - 126x84
small(3x02).raw 6 6x4
small.g 2 2x1
wide.g - 128x42
CASES

# Nearest neighbour at 3x: every source pixel becomes a 3 x 3 block of
# itself, the transparent one included. Compared as RGBA bytes, which
# ImageMagick reads out of the PNG files.
pixels() {
    convert "$1" -depth 8 rgba:- | od -An -v -tx4 | tr -s ' \n' '\n\n' | sed '/^$/d'
}
run 0 thumbnail small32.k thumb.png --size 10
pixels small.png >src.txt
expected=$(for y in 0 1; do for _ in 1 2 3; do for x in 0 1 2; do
    p=$(sed -n "$((y * 3 + x + 1))p" src.txt); echo "$p"; echo "$p"; echo "$p"
done; done; done)
[ "$(pixels thumb.png)" = "$expected" ] || fail "the zoomed pixels differ from the icon's"

# A damaged input: exit 1, a message naming it, nothing written.
printf 'xxxx' >bad.k
run 1 thumbnail bad.k none.png
expect_err "zefir-cli: bad.k: the Moto Bitmap header gives an empty picture (2021161080 x 0 pixels)"
[ ! -e none.png ] || fail "none.png was written for a damaged input"
run 1 thumbnail wide.png none.png
[ ! -e none.png ] || fail "none.png was written for a file of no phone kind"
run 2 thumbnail small.k thumb.png --size 0

finish
