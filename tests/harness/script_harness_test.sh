#!/usr/bin/env bash
# The script-test harness passes a script only when it ran to its success line
# and quit with 0; a script that throws half-way fails although cscript itself
# ends with status 0.
#
#   script_harness_test.sh <tools/script-test> <wine-run command...>
set -uo pipefail
harness=$1; shift
failures=0

expect() {  # expect pass|fail description command...
  local want=$1 what=$2; shift 2
  "$harness" "$@" >/dev/null 2>&1
  local rc=$? got=pass
  [ $rc -eq 0 ] || got=fail
  if [ "$got" = "$want" ]; then
    echo "ok: $what ($got)"
  else
    echo "FAILED: $what: the harness said $got, expected $want" >&2
    failures=$((failures + 1))
  fi
}

expect pass "success line and status 0" sh -c 'echo "a check"; echo "SCRIPT PASSED"'
expect pass "success line with CR LF and a blank line after" sh -c 'printf "SCRIPT PASSED\r\n\r\n"'
expect fail "no success line, status 0" sh -c 'echo "a check"'
expect fail "success line, then more output" sh -c 'echo "SCRIPT PASSED"; echo "late"'
expect fail "success line, status 1" sh -c 'echo "SCRIPT PASSED"; exit 1'
expect fail "success line inside another line" sh -c 'echo "not SCRIPT PASSED"'

# The real thing: cscript ends a throwing script with status 0, and only the
# harness tells that it stopped.
script='Y:\scripts\script_throws.js'
"$@" --prefix script_harness_throws --system cscript.exe //nologo "$script" >/dev/null 2>&1
rc=$?
if [ $rc -ne 0 ]; then
  echo "note: cscript ended the throwing script with status $rc"
fi
expect fail "a script that throws half-way" "$@" --prefix script_harness_throws --system cscript.exe //nologo "$script"

[ $failures -eq 0 ] && echo "all cases as expected"
exit $((failures == 0 ? 0 : 1))
