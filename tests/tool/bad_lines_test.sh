#!/usr/bin/env bash
# A random file comes from elsewhere: a bad line reaches the terminal quoted, as printable
# ASCII only and cut short, with what is wrong with it; a decimal too small for a single is a
# value like any other (it rounds to 0).
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# expect_refused LINE MESSAGE: a stream whose third line is LINE fails, says MESSAGE on one
# line of printable ASCII, and writes nothing else.
expect_refused() {
  { stream 2; printf '%s\n' "$1"; stream 2; } >"$WORK/bad"
  local status=0
  "$TRACE" --frames 0 --random "$WORK/bad" >"$WORK/out" 2>"$WORK/err" || status=$?
  ((status != 0)) || fail "line '$1' was taken"
  [[ ! -s "$WORK/out" ]] || fail "line '$1': printed on standard output"
  (($(wc -l <"$WORK/err") == 1)) || fail "line '$1': more than one line on stderr"
  ! LC_ALL=C grep -q '[^ -~]' "$WORK/err" || fail "line '$1': stderr is not printable ASCII"
  grep -qF -- "$WORK/bad:3: $2" "$WORK/err" || fail "line '$1': stderr says $(cat "$WORK/err")"
}

expect_refused $'0.5\e[2J\e]0;title\a' '"0.5\x1B[2J\x1B]0;title\x07" is not a plain decimal'
expect_refused $'\xff\xfe1' '"\xFF\xFE1" is not a plain decimal'
expect_refused "$(printf '9%.0s' {1..70})" \
  '"9999999999999999999999999999999999999999"... (a line of 70 bytes) is outside [0, 1)'
expect_refused 'say "hi" \o/' '"say \"hi\" \\o/" is not a plain decimal'
expect_refused 1e-50x '"1e-50x" is not a plain decimal'
expect_refused -1e-50 '"-1e-50" is outside [0, 1)'

{ stream "$STARTUP_DRAWS" | sed '5s/.*/1e-50/'; } >"$WORK/tiny"
"$TRACE" --frames 0 --random "$WORK/tiny" --state >"$WORK/state" || fail "1e-50 was refused"
echo "PASS"
