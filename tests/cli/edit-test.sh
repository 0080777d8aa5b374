#!/usr/bin/env bash
# Checks `zefir-cli replace`, `add`, `remove`, `rename`, `export` and
# `list --long`: what they print, what they write, their exit codes, and that
# a refused edit leaves the archive as it was.
# Usage: edit-test.sh PATH-TO-ZEFIR-CLI
set -u

. "$(dirname "$0")/lib.sh"

mkdir phone
# A 2 x 2 Moto Bitmap 18-bit, one pixel transparent, and a Moto Image holding
# the start of a GIF (too short to decode).
printf '\x02\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x08\x00\x00\x00' >phone/a.k
printf '\x00\xf0\x03\x3f\x00\x00\x00\x00\xc0\x0f\x00\xff\xff\x03\x00\x00' >>phone/a.k
printf '\x01\x00\x00\x00\x03\x00\x00\x00' >>phone/a.k
printf 'GIF89a\x01\x00\x01\x00' >phone/c.g
"$cli" pack phone in.ezx >/dev/null
cp in.ezx original.ezx

# unchanged ARCHIVE: fails unless the archive still has its first bytes.
unchanged() {
    cmp -s in.ezx original.ezx || fail "in.ezx changed after: $*"
}

run 0 list --long in.ezx
expect_out "$(printf 'a.k\t40\tmoto-bitmap-18\t2x2\nc.g\t10\tmoto-image\t0x0')"

# Export: PNG by default, a Moto Image as what it holds; never over a file
# unless --force.
run 0 export in.ezx -d all
expect_out "$(printf 'all/a.png\nall/c.gif')"
cmp -s phone/c.g all/c.gif || fail "all/c.gif differs from the member"
run 1 export in.ezx a.k -d all
expect_err "zefir-cli: all/a.png: the file is already there; --force replaces it"
run 0 export in.ezx a.k -d all --force --format raw
expect_out "all/a.k"
cmp -s phone/a.k all/a.k || fail "all/a.k differs from the member"

# Replace into -o OUT: the exported picture goes back as the same 18-bit
# member, so OUT is the archive byte for byte and ARCHIVE is untouched.
run 0 replace in.ezx a.k all/a.png -o out.ezx
expect_out "replaced a.k in out.ezx with all/a.png"
cmp -s out.ezx original.ezx || fail "out.ezx differs from the archive it was made from"
unchanged "replace -o"

# Add, rename and remove in place: back where it started.
run 0 add in.ezx all/a.png
expect_out "added 1 member to in.ezx: a.g"
# Two members whose pictures get one name: the first keeps it, the later is
# told about, the rest goes on; named ones too.
run 0 export in.ezx -d both
expect_out "$(printf 'both/a.png\nboth/c.gif')"
expect_err 'not exported: a.g: its file a.png is taken by member "a.k", which comes first'
run 0 export in.ezx a.g a.k -d named
expect_out "named/a.png"
expect_err 'not exported: a.k: its file a.png is taken by member "a.g", which comes first'
cmp -s named/a.png all/a.png || fail "named/a.png is not the Moto Image's picture"
rm -rf both named
run 0 rename in.ezx a.g b.g
expect_out "renamed a.g to b.g in in.ezx"
run 0 list in.ezx
expect_out "$(printf 'a.k\t40\nc.g\t10\nb.g\t%s' "$(stat -c %s all/a.png)")"
run 0 remove in.ezx b.g
expect_out "removed 1 member from in.ezx: b.g"
unchanged "add, rename, remove"

# Refusals: exit 1, one message, the archive as it was.
run 1 replace in.ezx nope.k all/a.png
expect_err 'zefir-cli: in.ezx: no member named "nope.k"'
run 1 remove in.ezx a.k nope.k
expect_err 'zefir-cli: in.ezx: no member named "nope.k"'
run 1 rename in.ezx a.k a.g
expect_err 'zefir-cli: in.ezx: member "a.k" cannot be renamed to "a.g": another extension would make it another kind of file'
run 1 add in.ezx phone/a.k
expect_err 'zefir-cli: in.ezx: a member named "a.k" is already there'
unchanged "refusals"
[ "$(ls -A)" = "$(printf 'all\nerr.txt\nin.ezx\noriginal.ezx\nout.ezx\nout.txt\nphone')" ] ||
    fail "the folder holds $(ls -A | tr '\n' ' ')"

# Two members named a.k: a name that does not say which is refused.
printf 'motoskin\n\nv1.00\n00000040\n\nComment: zefirkit\nID table:\n\na.k\na.k\n\x00' >twice.ezx
printf '\xba\xdc\xcd\xab\x37\x00\x00\x00\x02\x00\x00\x00\x54\x00\x00\x00\x6c\x00\x00\x00' >>twice.ezx
printf '\xb3\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>twice.ezx
printf '\xb3\x01\x00\x00\x04\x00\x00\x00\x0d\x00\x00\x00' >>twice.ezx
printf '\xcd\xab\xba\xdc\x05\x00\x00\x00abcde\xcd\xab\xba\xdc\x03\x00\x00\x00xyz' >>twice.ezx
run 1 remove twice.ezx a.k
expect_err 'zefir-cli: twice.ezx: 2 members are named "a.k"; the name does not say which'

# An in-place save writes through a symbolic link, as pack does, and keeps
# the file's permission bits; while another process holds the archive, an
# edit is refused at once instead of waiting or saving over its work.
cp original.ezx real.ezx
chmod 640 real.ezx
if posix_only "an archive named through a symbolic link, its mode bits, flock"; then
    ln -s real.ezx link.ezx
    run 0 remove link.ezx c.g
    [ -L link.ezx ] || fail "link.ezx is no longer a symbolic link"
    [ "$(stat -c %a real.ezx)" = 640 ] || fail "real.ezx has mode $(stat -c %a real.ezx)"
    "$cli" list real.ezx >out.txt 2>&1
    expect_out "$(printf 'a.k\t40')"
    cp real.ezx before.ezx
    flock real.ezx "$cli" remove real.ezx a.k >out.txt 2>err.txt
    [ $? -eq 1 ] || fail "an edit of a locked archive did not exit 1"
    expect_err 'zefir-cli: real.ezx: is being changed by another process'
    cmp -s real.ezx before.ezx || fail "the locked archive changed"
fi

finish
