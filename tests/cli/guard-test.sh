#!/usr/bin/env bash
# Checks that commands never write the wrong file, store only what decodes
# and keep names printable: empty paths, outputs that are inputs, thumbnails
# written in place, export's checks, names with control characters, and an
# unknown command.
# Usage: guard-test.sh PATH-TO-ZEFIR-CLI
set -u

. "$(dirname "$0")/lib.sh"

# A 3 x 2 32-bit Moto Bitmap (not square, so that width and height cannot
# be swapped unnoticed), and pictures made from it.
mkdir phone
printf '\x03\x00\x00\x00\x02\x00\x00\x00\x20\x00\x00\x00\x0c\x00\x00\x00' >phone/w.k
printf '\x00\x00\xff\xff\x00\xff\x00\xff\x00\x00\x00\x00' >>phone/w.k
printf '\xff\x00\x00\xff\xff\xff\xff\xff\xff\x00\xff\xff' >>phone/w.k
printf 'xxxx' >phone/bad.k
"$cli" convert phone/w.k w.png >/dev/null
"$cli" convert phone/w.k w.bmp >/dev/null
"$cli" convert w.png phone/w.g >/dev/null
"$cli" pack phone in.ezx >/dev/null
cp in.ezx original.ezx
cp w.png w-original.png

unchanged() {
    cmp -s in.ezx original.ezx || fail "in.ezx changed after: $*"
    cmp -s w.png w-original.png || fail "w.png changed after: $*"
}

run 0 list --long in.ezx
expect_out "$(printf 'bad.k\t4\tmoto-bitmap-32\t0x0\nw.g\t%s\tmoto-image\t3x2\nw.k\t40\tmoto-bitmap-32\t3x2' "$(stat -c %s w.png)")"

# exit code, then the arguments: usage mistakes exit 2, refusals 1, and
# neither writes anything.
head -c 60 w.png >cut.png
printf 'GIF89a\x01\x00\x01\x00\x00\x00' >cut.gif
printf '\x10\x00\x00\x00\x10\x00\x00\x00\x12\x00\x00\x00\x01\x00\x00\x00' >impossible.k
ln -s w.png link.png
while read -r code args; do
    eval "run $code $args"
done <<'CASES'
2 replace in.ezx w.k w.png -o ""
2 export in.ezx -d ""
2 extract "" work
2 frob in.ezx
1 add in.ezx w.bmp -o w.png
1 add in.ezx w.bmp -o link.png
1 replace in.ezx w.k w.png -o link.png
1 replace in.ezx w.g cut.png
1 replace in.ezx w.g cut.gif
1 add in.ezx impossible.k
1 add in.ezx cut.png
1 rename in.ezx w.k $'a\tb.k'
1 rename in.ezx w.k $'\x1b[2J.k'
CASES
unchanged "the refusals"
[ ! -e work ] || fail "a refused extraction made work/"
run 2 frob
expect_err 'zefir-cli: unknown command "frob"; the commands are list, extract, pack, convert-all, convert, info, thumbnail, replace, add, remove, rename, export (zefir-cli --help tells more)'
run 1 replace in.ezx w.g cut.png
expect_err "zefir-cli: cut.png: PNG data runs past the end of the file (60 bytes)"
run 1 rename in.ezx w.k $'a\tb.k'
expect_err 'zefir-cli: in.ezx: member name "a\tb.k" holds a control character (\t)'

# A picture is a Moto Image by what it holds, not by its name: a BMP named
# .png becomes an 18-bit Moto Bitmap.
cp w.bmp fake.png
run 0 convert fake.png fk.k
expect_out "fk.k"
run 0 info fk.k
expect_out "$(printf 'fk.k\tmoto-bitmap-18\t3x2')"
mkdir pics
cp w.bmp pics/fake.png
run 0 pack pics p.ezx --convert
run 0 list --long p.ezx
expect_out "$(printf 'fake.k\t48\tmoto-bitmap-18\t3x2')"

# A picture too large once converted is the picture's fault, in decimal bytes.
convert -size 520x520 xc:red big.png
run 1 replace in.ezx w.k big.png
expect_err "zefir-cli: big.png: the data is 1,081,616 bytes, more than the limit of 1 MiB for a member"
unchanged "a picture too large"

# The thumbnail of a phone file is never written over it, and an OUTPUT the
# caller made and holds open is written in place: the caller reads the
# picture through its own descriptor.
cp phone/w.k t.k
run 1 thumbnail t.k t.k
cmp -s t.k phone/w.k || fail "thumbnail wrote over its input"
run 0 thumbnail t.k fresh.png
: >held.png
exec 3<held.png
run 0 thumbnail t.k held.png
cat <&3 >through-fd.png
exec 3<&-
cmp -s through-fd.png fresh.png || fail "the caller's descriptor does not read the thumbnail"

# Export: never over the archive itself, --force replaces plain files only
# and everything is checked before the first file is written; an export
# that stops leaves no folder it made.
mkdir s
cp in.ezx s/w.k
(cd s && "$cli" export w.k --format raw --force >../out.txt 2>../err.txt)
[ $? -eq 1 ] || fail "export over the archive itself did not exit 1"
cmp -s s/w.k in.ezx || fail "export wrote over the archive"
if posix_only "a symbolic link in the way of an export"; then
    mkdir linked
    ln -s elsewhere.k linked/w.k
    run 1 export in.ezx -d linked --format raw --force
    expect_err "zefir-cli: linked/w.k: is there and is not a plain file; --force replaces only files"
    [ "$(ls linked)" = w.k ] || fail "a refused export wrote $(ls linked | tr '\n' ' ')"
fi
run 1 export in.ezx bad.k -d made
[ ! -e made ] || fail "a failed export left the folder it made"

# Names an archive already holds are kept and printed escaped, and are
# named in that form: the second member is "<TAB>.k".
printf 'motoskin\n\nv1.00\n00000040\n\nComment: zefirkit\nID table:\n\na.k\n\t.k\n\x00' >tab.ezx
printf '\xba\xdc\xcd\xab\x37\x00\x00\x00\x02\x00\x00\x00\x54\x00\x00\x00\x6c\x00\x00\x00' >>tab.ezx
printf '\xb3\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>tab.ezx
printf '\xb3\x01\x00\x00\x04\x00\x00\x00\x0d\x00\x00\x00' >>tab.ezx
printf '\xcd\xab\xba\xdc\x05\x00\x00\x00abcde\xcd\xab\xba\xdc\x03\x00\x00\x00xyz' >>tab.ezx
run 0 list tab.ezx
expect_out "$(printf 'a.k\t5\n\\t.k\t3')"
run 0 remove tab.ezx '\t.k' -o one.ezx
expect_out 'removed 1 member from one.ezx: \t.k'

# Ctrl+C at any moment of an extraction (SIGINT here; under Wine the console's
# Ctrl+C) leaves only complete files: each one as a whole extraction writes
# it, and no temporary file. The job gets SIGINT as from a terminal: a
# script's background jobs would otherwise ignore it.
mkdir many
(cd many && tee $(seq -f '%g.k' 1000 2999) <../phone/w.k >/dev/null)
"$cli" pack many many.ezx >/dev/null
"$cli" extract many.ezx whole --format png >/dev/null
set -m
interrupted=0
for delay in 0.01 0.05 0.2 0.5 1 2; do
    rm -rf cut
    "$cli" extract many.ezx cut --format png >/dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    kill -INT "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ $? -ne 0 ] && interrupted=$((interrupted + 1))
    # Only files the whole extraction has, and those the same.
    [ ! -d cut ] || diff -rq cut whole | grep -v '^Only in whole' >cut-faults.txt
    [ ! -s cut-faults.txt ] || fail "after Ctrl+C at $delay s: $(head -n 3 cut-faults.txt)"
done
set +m
[ "$interrupted" -gt 0 ] || fail "Ctrl+C ended no extraction early: the archive is too small to catch one"

finish
