#!/usr/bin/env bash
# Checks `zefir-cli extract`, `pack` and `convert-all`: what they print, what
# they write and their exit codes. Usage: archive-test.sh PATH-TO-ZEFIR-CLI
set -u

. "$(dirname "$0")/lib.sh"

mkdir phone empty
# A 2 x 2 Moto Bitmap 18-bit: Width, Height, BitDepth, RowBytes, two pixel
# rows of 8 bytes, two mask rows of 4 bytes.
printf '\x02\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x08\x00\x00\x00' >phone/a.k
printf '\x00\xf0\x03\x3f\x00\x00\x00\x00\xc0\x0f\x00\xff\xff\x03\x00\x00' >>phone/a.k
printf '\x01\x00\x00\x00\x03\x00\x00\x00' >>phone/a.k
# A Moto Image holding the start of a GIF.
printf 'GIF89a\x01\x00\x01\x00' >phone/c.g

# Packing phone files as they are.
run 0 pack phone out.ezx
expect_out "packed 2 members from phone into out.ezx"
expect_err ""
run 0 list out.ezx
expect_out "$(printf 'a.k\t40\nc.g\t10')"
[ "$(stat -c %s out.ezx)" -eq 174 ] || fail "out.ezx is $(stat -c %s out.ezx) bytes, expected 174"

# Extraction without conversion, into a named folder (created) and, by
# default, into the archive's own folder.
run 0 extract out.ezx raw --no-convert
expect_out "extracted 2 members into raw (raws/)"
cmp -s phone/a.k raw/raws/a.k || fail "raw/raws/a.k differs"
cmp -s phone/c.g raw/raws/c.g || fail "raw/raws/c.g differs"
[ -d raw/icons ] && [ -z "$(ls raw/icons)" ] || fail "raw/icons is missing or not empty"
mkdir here && cp out.ezx here/
run 0 extract here/out.ezx --no-convert
expect_out "extracted 2 members into here (raws/)"
[ -f here/raws/a.k ] || fail "here/raws/a.k was not written"

# Extraction with conversion, and packing the pictures back.
run 0 extract out.ezx bmp
expect_out "extracted 2 members into bmp (raws/, icons/ as BMP)"
[ -f bmp/icons/a.bmp ] && [ -f bmp/icons/c.gif ] && [ -f bmp/icons/conv.dat ] ||
    fail "bmp/icons holds $(ls bmp/icons)"
printf 'x' >bmp/icons/extra.bmp
run 0 pack bmp/icons back.ezx --convert
expect_out "packed 2 members from bmp/icons into back.ezx"
expect_err "left out: extra.bmp: not in the conversion map"
cmp -s out.ezx back.ezx || fail "back.ezx differs from out.ezx"
run 0 extract out.ezx png --format PNG
expect_out "extracted 2 members into png (raws/, icons/ as PNG)"

# Members without a converter are named on stderr.
mkdir mixed && cp phone/c.g mixed/
printf '\x01' >mixed/notes.k
run 0 pack mixed mixed.ezx
run 0 extract mixed.ezx mixedwork
expect_err "not converted: notes.k: the Moto Bitmap header gives an empty picture (1 x 0 pixels)"

# Nothing to pack: a message, no archive, exit 1.
run 1 pack empty none.ezx
expect_err "zefir-cli: nothing to pack in empty: no .k, .g or .raw files"
[ ! -e none.ezx ] || fail "none.ezx was written"
run 1 pack phone none.ezx --convert
expect_err "left out: a.k: not a picture packing converts (.bmp, .gif or .png)
left out: c.g: not a picture packing converts (.bmp, .gif or .png)
zefir-cli: nothing to pack in phone: every file was left out; none.ezx is not written"

# Errors from core: exit 1.
run 1 extract missing.ezx
expect_err "zefir-cli: missing.ezx: cannot open: No such file or directory"

# Converting whole folders.
run 0 convert-all phone pictures --from-phone
expect_out "converted 2 files from phone into pictures"
[ -f pictures/a.bmp ] && [ -f pictures/c.gif ] || fail "pictures holds $(ls pictures)"
run 0 convert-all pictures back --to-phone
expect_out "converted 2 files from pictures into back"
cmp -s phone/a.k back/a.k || fail "back/a.k differs from phone/a.k"
cmp -s phone/c.g back/c.g || fail "back/c.g differs from phone/c.g"
run 0 convert-all phone jpeg --from-phone --format jpg
[ "$(od -An -tx1 -N2 jpeg/a.bmp | tr -d ' \n')" = ffd8 ] || fail "jpeg/a.bmp is not a JPEG"
run 1 convert-all empty nothing --to-phone
expect_err "zefir-cli: nothing to convert in empty: no .bmp, .png or .gif files"

# Extracting again: identical files are fine, an edited picture is refused
# (listed, nothing written) unless --force, a file of another archive in
# raws/ is pointed out.
run 0 extract out.ezx again
printf 'edited' >again/icons/a.bmp
printf 'x' >again/raws/old.k
run 1 extract out.ezx again
expect_err "not in the archive: again/raws/old.k (packing raws/ would take it too)
would be replaced: again/icons/a.bmp
zefir-cli: again: 1 file in the way, whose content differs from what extraction writes; --force replaces them"
[ "$(cat again/icons/a.bmp)" = edited ] || fail "the edited picture was replaced"
run 0 extract out.ezx again --force
[ "$(cat again/icons/a.bmp)" != edited ] || fail "--force did not replace the edit"
if posix_only "a raws folder that is a symbolic link"; then
    ln -s "$work/phone" linked && mkdir linkwork && ln -s "$work/phone" linkwork/raws
    run 1 extract out.ezx linkwork
    expect_err "zefir-cli: linkwork/raws: cannot use the folder: it is a symbolic link, and nothing is written through one here"
fi

# Packing: raw pictures go back too; nothing matching leaves the target as it
# was; a target that is one of the files to pack is refused.
run 0 extract out.ezx plain --no-convert
printf 'x' >'plain/raws/logo(2x02).raw'
run 0 pack plain/raws plain.ezx
expect_out "packed 3 members from plain/raws into plain.ezx"
cp out.ezx keep.ezx
mkdir nomap && printf 'BM' >nomap/z.bmp && cp bmp/icons/conv.dat nomap/
run 1 pack nomap keep.ezx --convert
cmp -s out.ezx keep.ezx || fail "keep.ezx was replaced by an archive without members"
run 1 pack phone phone/a.k
cmp -s raw/raws/a.k phone/a.k || fail "phone/a.k was overwritten"
[ -z "$(ls -A phone | grep -v '^[ac]\.[kg]$')" ] || fail "pack wrote into phone: $(ls -A phone)"

# Converting a folder: outputs in the way are refused, listed, unless
# --force; two pictures for one output: the first wins, exit 1.
mkdir same && cp pictures/a.bmp same/ && cp phone/a.k same/a.k && printf 'mine' >same/a.k
run 1 convert-all same same --to-phone
expect_err "zefir-cli: same/a.k: already exists; it is not replaced unless asked to"
[ "$(cat same/a.k)" = mine ] || fail "same/a.k was replaced"
mkdir two && cp pictures/c.gif two/x.gif && cp pictures/c.gif two/x.png
run 1 convert-all two twoout --to-phone
expect_err "not converted: x.gif: its output x.g is already made from x.png
zefir-cli: two: 1 file not converted"
ln -s loop loop
run 1 convert-all loop loopout --to-phone

# Output that cannot be written is a failure.
if [ -w /dev/full ]; then
    "$cli" list out.ezx >/dev/full 2>err.txt && fail "list into a full output exited 0"
fi
"$cli" list out.ezx >&- 2>err.txt && fail "list into a closed output exited 0"

# Usage mistakes: exit 2.
run 2 extract
run 2 extract out.ezx --format tiff
run 2 extract out.ezx --no-convert --format png
run 2 pack phone
run 2 convert-all phone pictures
run 2 convert-all phone pictures --from-phone --to-phone
run 2 convert-all pictures back --to-phone --format png

finish
