# Shared by the command-line tests: a scratch folder, and checks of what a
# command printed and how it exited. Sourced with the path of zefir-cli as $1.
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# run EXPECTED-CODE ARGS...: runs the command, keeping stdout and stderr.
run() {
    local expected=$1
    shift
    "$cli" "$@" >out.txt 2>err.txt
    local code=$?
    [ "$code" -eq "$expected" ] || fail "zefir-cli $* exited $code, expected $expected: $(cat err.txt)"
}

# Under Wine (tests/windows/run-tests sets ZEFIR_CLI_UNDER_WINE) the
# program is a Windows one: its paths have "\" where Linux has "/", and
# what it printed is compared with both read as "/".
under_wine() { [ -n "${ZEFIR_CLI_UNDER_WINE:-}" ]; }
same_text() {
    if under_wine; then
        [ "$(tr -d '\r' <<<"$1" | tr '\\' /)" = "$(tr '\\' / <<<"$2")" ]
    else
        [ "$1" = "$2" ]
    fi
}

# What Wine cannot give a Windows program: POSIX symbolic links (it follows
# them as the files they name) and flock. Says so under Wine and fails, so
# that `if posix_only "why"; then ...; fi` leaves such checks out there.
posix_only() {
    if under_wine; then
        echo "skipped under Wine: $*"
        return 1
    fi
}

expect_out() {
    same_text "$(cat out.txt)" "$1" || fail "printed '$(cat out.txt)', expected '$1'"
}

expect_err() {
    same_text "$(cat err.txt)" "$1" || fail "said '$(cat err.txt)', expected '$1'"
}

# Ends the test: the number of failed checks decides the exit code.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
