#!/usr/bin/env bash
# The korvale command as scripts and users meet it: exit codes, messages, progress and summary.
# Usage: cli_test.sh KORVALE EXAMPLES_DIR
set -u
korvale=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# check NAME EXPECTED_STATUS COMMAND...: runs the command, keeping its stdout and stderr.
check() {
    local name=$1 expected=$2
    shift 2
    "$@" >"$work/stdout" 2>"$work/stderr"
    local status=$?
    if [ "$status" -eq "$expected" ]; then
        return 0
    fi
    echo "FAIL $name: exit status $status, expected $expected"
    sed 's/^/  stderr: /' "$work/stderr"
    failed=$((failed + 1))
    return 1
}

# expect NAME FILE PATTERN: the file holds a line matching the pattern.
expect() {
    if grep -qE -- "$3" "$2"; then
        passed=$((passed + 1))
    else
        echo "FAIL $1: no line matching '$3' in $(basename "$2"):"
        sed 's/^/  | /' "$2"
        failed=$((failed + 1))
    fi
}

# lacks NAME FILE PATTERN: no line of the file matches the pattern.
lacks() {
    if ! grep -qE -- "$3" "$2"; then
        passed=$((passed + 1))
    else
        echo "FAIL $1: a line matches '$3' in $(basename "$2"):"
        sed 's/^/  | /' "$2"
        failed=$((failed + 1))
    fi
}

# empty NAME FILE: the file is empty.
empty() {
    if [ ! -s "$2" ]; then
        passed=$((passed + 1))
    else
        echo "FAIL $1: expected nothing, got:"
        sed 's/^/  | /' "$2"
        failed=$((failed + 1))
    fi
}

map="$examples/hl_room.map"

check "to-q3 succeeds" 0 "$korvale" to-q3 "$map" "$work/room.q3.map" &&
    empty "no summary when stdout is not a terminal" "$work/stdout" &&
    empty "no progress when stderr is not a terminal" "$work/stderr" &&
    expect "faces are rewritten" "$work/room.q3.map" '^\( .* \) base_wall/concrete 0 0 0 '

check "to-hl succeeds" 0 "$korvale" --verbose to-hl "$work/room.q3.map" "$work/room.hl.map" &&
    expect "verbose prints one summary line" "$work/stdout" \
        '^Map processed Successfully! [0-9]+ lines read, [0-9]+ faces rewritten, [0-9]+ lights rewritten, [0-9]+ lines dropped, [0-9]+ lines copied$' &&
    expect "faces come back" "$work/room.hl.map" 'CRETE4_WALL01 \[ 0 0 0 '

check "summary counts" 0 "$korvale" -v to-q3 "$map" "$work/room.q3.map" &&
    expect "counts of the example" "$work/stdout" ' 79 lines read, 42 faces rewritten, 2 lights rewritten, 4 lines dropped, 31 lines copied$'

check "missing input" 1 "$korvale" to-q3 "$work/missing.map" "$work/out.map" &&
    expect "missing input message" "$work/stderr" '^korvale: Cannot open input file for reading! \(.*missing\.map\)$'
[ ! -e "$work/out.map" ] && passed=$((passed + 1)) || { echo "FAIL missing input created an output"; failed=$((failed + 1)); }

check "output folder missing" 1 "$korvale" to-hl "$map" "$work/no/such/out.map" &&
    expect "output message" "$work/stderr" '^korvale: Cannot open output file for writing!'

cp "$map" "$work/same.map"
check "same file" 1 "$korvale" to-q3 "$work/same.map" "$work/../$(basename "$work")/same.map" &&
    expect "same file message" "$work/stderr" '^korvale: Input and output are the same file!'
cmp -s "$map" "$work/same.map" && passed=$((passed + 1)) || { echo "FAIL same file: input changed"; failed=$((failed + 1)); }

if [ -w /dev/full ]; then
    check "disk full" 1 "$korvale" to-q3 "$map" /dev/full &&
        expect "write failure message" "$work/stderr" '^korvale: Cannot write output file!'
fi

check "folder as input" 1 "$korvale" to-q3 "$work" "$work/out.map" &&
    expect "read failure message" "$work/stderr" '^korvale: Cannot read input file!'

for args in "" "to-q3" "to-q3 $map" "to-q3 a b c" "convert a b" "--frobnicate to-q3 a b"; do
    # shellcheck disable=SC2086
    check "usage error: '$args'" 2 "$korvale" $args &&
        expect "usage line for '$args'" "$work/stderr" '^usage: korvale '
done

check "help" 0 "$korvale" --help && expect "help lists to-hl" "$work/stdout" '^  to-hl INPUT OUTPUT'
check "version" 0 "$korvale" --version && expect "version" "$work/stdout" '^korvale [0-9]+\.[0-9]+\.[0-9]+$'

check "paths after --" 0 "$korvale" to-q3 -- "$map" "$work/-dash.map"

# On a terminal: a live bar on stderr and the summary; --quiet silences both.
if command -v script >/dev/null; then
    check "terminal run" 0 script -qec "'$korvale' to-q3 '$map' '$work/t.map'" "$work/typescript" &&
        expect "bar reaches 100%" "$work/typescript" '\[#{40}\] 100%' &&
        expect "summary on a terminal" "$work/typescript" 'Map processed Successfully! 79 lines read'
    check "quiet terminal run" 0 script -qec "'$korvale' --quiet to-q3 '$map' '$work/t.map'" "$work/typescript" &&
        lacks "quiet prints nothing" "$work/typescript" 'converting|Map processed' 
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
