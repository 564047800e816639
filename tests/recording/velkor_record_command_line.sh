#!/bin/sh
# velkor-record's command line: --help, usage errors, and the exit statuses
# of its man page. Usage: SCRIPT VELKOR_RECORD INSTALLED_LIBRARY
record="$1" installed="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$record" --help >"$work/out" 2>"$work/err" || fail "--help exits $?"
[ -s "$work/err" ] && fail "--help writes to standard error"
for word in -o --help PROGRAM .gz velkor-sim 125 127; do
    grep -q -- "$word" "$work/out" || fail "--help does not name $word"
done

# Each: the arguments; exit 2 with one line that names the trouble, and
# neither the program started nor the file made.
while IFS='|' read -r arguments word; do
    rm -f "$work/started" "$work/rec"
    # shellcheck disable=SC2086
    "$record" $arguments >/dev/null 2>"$work/err"
    status=$?
    [ "$status" -eq 2 ] || fail "$arguments: exit status $status, not 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$arguments: not one line: $(cat "$work/err")"
    grep -q -- "$word" "$work/err" || fail "$arguments: the line does not say $word: $(cat "$work/err")"
    [ -e "$work/started" ] && fail "$arguments: the program started"
    [ -e "$work/rec" ] && fail "$arguments: the file was made"
done <<CASES
|-o FILE
-o|-o needs
-o $work/rec|no program
touch $work/started|-o FILE
--frob -o $work/rec touch $work/started|--frob
-o $work/rec -o $work/rec touch $work/started|twice
CASES

# The program's own status, also when it is not the first argument after --.
"$record" -o "$work/rec" -- sh -c 'exit 3'
[ $? -eq 3 ] || fail "the program's exit status 3 is not passed on"
[ "$(cat "$work/rec")" = "velkor-recording 1" ] || fail "the file does not start with the version line"
"$record" -o "$work/rec" sh -c 'kill -TERM $$'
[ $? -eq 143 ] || fail "a program killed by SIGTERM does not end velkor-record the same way"
"$record" -o "$work/rec.gz" -- true
[ "$(zcat "$work/rec.gz")" = "velkor-recording 1" ] || fail "a .gz file does not hold the version line in gzip"

"$record" -o "$work/rec" -- "$work/no-such-program" 2>"$work/err"
[ $? -eq 127 ] || fail "a program that cannot be run does not give 127"
grep -q no-such-program "$work/err" || fail "the error does not name the program: $(cat "$work/err")"
"$record" -o "$work/no-folder/rec" -- touch "$work/started" 2>"$work/err"
[ $? -eq 125 ] || fail "a file that cannot be written does not give 125"
[ -e "$work/started" ] && fail "the program started without its recording"
# Away from the build tree's library, and with none installed.
if [ ! -e "$installed" ]; then
    mkdir "$work/alone" && cp "$record" "$work/alone/"
    "$work/alone/velkor-record" -o "$work/rec" -- touch "$work/started" 2>"$work/err"
    [ $? -eq 125 ] || fail "a missing library does not give 125"
    grep -q libvelkor-record.so "$work/err" || fail "the error does not name the library: $(cat "$work/err")"
    [ -e "$work/started" ] && fail "the program started without the recorder"
fi

[ "$failures" -eq 0 ]
