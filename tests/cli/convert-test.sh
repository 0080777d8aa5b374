#!/usr/bin/env bash
# Checks `zefir-cli convert` and `zefir-cli info`: what they print, what they
# write and their exit codes. Usage: convert-test.sh PATH-TO-ZEFIR-CLI
set -u

. "$(dirname "$0")/lib.sh"

# The first bytes of a file in hexadecimal.
head_hex() {
    od -An -tx1 -N"$2" "$1" | tr -d ' \n'
}

# A 2 x 2 Moto Bitmap 18-bit: Width, Height, BitDepth, RowBytes, two pixel
# rows of 8 bytes, two mask rows of 4 bytes.
printf '\x02\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x08\x00\x00\x00' >a.k
printf '\x00\xf0\x03\x3f\x00\x00\x00\x00\xc0\x0f\x00\xff\xff\x03\x00\x00' >>a.k
printf '\x01\x00\x00\x00\x03\x00\x00\x00' >>a.k
# A 2 x 2 Moto Bitmap 32-bit: header, then BGRA pixels with four alphas.
printf '\x02\x00\x00\x00\x02\x00\x00\x00\x20\x00\x00\x00\x08\x00\x00\x00' >b.k
printf '\x10\x20\x30\xff\x01\x02\x03\x00\xff\xfe\xfd\x80\x44\x55\x66\x01' >>b.k
# A Moto Bitmap whose 18-bit rows would overlap: Width 5, RowBytes 14.
printf '\x05\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x0e\x00\x00\x00' >bad.k
# A Moto Image holding the start of a GIF.
printf 'GIF89a\x01\x00\x01\x00' >m.g
# A raw picture 2 x 2 (8 pixel bytes, 2 mask bytes) and one without a size.
printf '\xf8\x00\x07\xe0\x00\x1f\xff\xff\x40\x00' >'icon(2x02).raw'
cp 'icon(2x02).raw' icon.raw

# Phone to standard picture: the target's extension chooses the format.
run 0 convert a.k a.bmp
expect_out a.bmp
[ "$(head_hex a.bmp 2)" = 424d ] || fail "a.bmp is not a BMP"
run 0 convert b.k b.jpeg
[ "$(head_hex b.jpeg 2)" = ffd8 ] || fail "b.jpeg is not a JPEG"
run 0 convert a.k a.out
[ "$(head_hex a.out 2)" = 424d ] || fail "a target without a known extension is not a BMP"
# --format wins over the extension.
run 0 convert a.k a.png --format bmp
[ "$(head_hex a.png 2)" = 424d ] || fail "--format bmp did not write a BMP"
run 0 convert 'icon(2x02).raw' raw.gif
[ "$(head_hex raw.gif 4)" = 47494638 ] || fail "raw.gif is not a GIF"
# A Moto Image comes out as what it holds, under its own extension.
run 0 convert m.g m.bmp
expect_out m.gif
cmp -s m.g m.gif || fail "m.gif differs from m.g"

# Standard picture to phone file, byte for byte back.
run 0 convert a.bmp back.k
expect_out back.k
cmp -s a.k back.k || fail "18-bit round trip differs"
run 0 convert b.k b.bmp
run 0 convert b.bmp back32 --kind 32
expect_out back32.k
cmp -s b.k back32.k || fail "32-bit round trip differs"
# The target's extension ".g" asks for a Moto Image, which holds a PNG made
# from a BMP; GIF and PNG pictures always are Moto Images.
run 0 convert a.bmp copy.g
expect_out copy.g
[ "$(head -c 4 copy.g | od -An -tx1 | tr -d ' ')" = 89504e47 ] || fail "copy.g holds no PNG"
run 0 convert raw.gif again.k --kind 18
expect_out again.g
# An existing target is replaced.
printf 'old' >over.k
run 0 convert a.bmp over.k
cmp -s a.k over.k || fail "over.k was not replaced"

# Nothing written: the reason on stderr, exit 1.
run 1 convert icon.raw none.bmp
expect_err "zefir-cli: icon.raw: the name carries no picture size (WxH)"
# A raw picture goes back as one when the target is named ".raw": byte for byte.
run 0 convert 'icon(2x02).raw' back.bmp
run 0 convert back.bmp 'back(2x02).raw'
expect_out 'back(2x02).raw'
cmp -s 'icon(2x02).raw' 'back(2x02).raw' || fail "the raw picture did not come back byte for byte"
run 0 convert back.bmp 'other(2x02).k' --kind raw
expect_out 'other(2x02).raw'
[ ! -e none.bmp ] || fail "none.bmp was written"
# Errors from core: exit 1.
run 1 convert bad.k bad.bmp
expect_err "zefir-cli: bad.k: the Moto Bitmap header's RowBytes (14) is smaller than 3 x Width (15): its pixel rows would overlap"
run 1 convert missing.txt x.k
expect_err "zefir-cli: missing.txt: cannot open: No such file or directory"
# Targets that must be refused: the source itself, a phone extension, a
# folder; an existing file the content named, unless --force.
run 1 convert a.k a.k
expect_err "zefir-cli: a.k: is the file being converted; name another target"
run 1 convert a.k b2.k
run 1 convert a.bmp ./
[ ! -e .k ] || fail "a hidden .k was written"
mkdir -p dir
run 1 convert a.k dir
printf 'mine' >m2.gif
run 1 convert m.g m2.png
expect_err "zefir-cli: m2.gif: already exists; it is not replaced unless asked to"
[ "$(cat m2.gif)" = mine ] || fail "m2.gif was replaced"
run 0 convert m.g m2.png --force
expect_out m2.gif
# A named target that is a link is written through; the link stays.
if posix_only "a named target that is a symbolic link"; then
    printf 'old' >real.bmp && ln -s real.bmp link.bmp
    run 0 convert a.k link.bmp
    [ -L link.bmp ] && [ "$(head_hex real.bmp 2)" = 424d ] || fail "link.bmp was not written through"
fi
# info: a file that cannot be read fails.
run 1 info a.k missing.k
expect_err "zefir-cli: missing.k: cannot open: No such file or directory"
run 1 info dir

# Usage mistakes: exit 2.
run 2 convert a.k x.bmp --format tiff
run 2 convert a.bmp x.k --kind 24
run 2 convert a.k

# m.g holds a GIF cut short, so its size cannot be told.
run 0 info a.k b.k again.g m.g 'icon(2x02).raw' icon.raw
expect_out "$(printf 'a.k\tmoto-bitmap-18\t2x2\nb.k\tmoto-bitmap-32\t2x2\nagain.g\tmoto-image\t2x2\nm.g\tmoto-image\t0x0\nicon(2x02).raw\traw\t2x2\nicon.raw\traw\t0x0')"
run 2 info

finish
