#!/usr/bin/env bash
# Checks the manual page (plain or gzip-compressed).
#   ManPageTest.sh render PAGE
#     It renders without a single groff warning: by groff for a UTF-8 terminal with every
#     warning on, and by man(1) as a user reading it with `man -l` gets it.
#   ManPageTest.sh session PAGE NORMCALC [EMULATOR [ARGUMENT...]]
#     Its example session is what NORMCALC writes: the user's answers (bold at the ends of the
#     session's lines) are fed to it as input, and its output, turned from Shift_JIS into UTF-8,
#     must be the session without them, byte for byte, with exit status 0 and nothing on
#     standard error. A cross build's NORMCALC runs under its EMULATOR (with its arguments).
set -euo pipefail

fail() {
  echo "ManPageTest: $*" >&2
  exit 1
}

[ $# -ge 2 ] || fail "usage: $0 render PAGE | $0 session PAGE NORMCALC [EMULATOR...]"
mode="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

page="$work/normcalc.1"
case "$2" in
  *.gz) gzip -dc "$2" >"$page" ;;
  *) cp "$2" "$page" ;;
esac

# Fails unless the file named by $1 is empty, showing it.
expect_empty() {
  if [ -s "$1" ]; then
    cat "$1" >&2
    fail "$2"
  fi
}

render() {
  command -v groff >/dev/null || fail "groff is needed (Debian: groff-base)"
  command -v man >/dev/null || fail "man is needed (Debian: man-db)"

  # -k reads the page's UTF-8 through preconv; -ww turns on every warning; -z discards the
  # output. groff exits with 0 after warnings, so its standard error is what tells.
  groff -k -man -Tutf8 -ww -z "$page" 2>"$work/groff.err" || fail "groff failed"
  expect_empty "$work/groff.err" "groff warns about the page"

  # What `man -l` shows on an 80-column UTF-8 terminal; its output is not a terminal here,
  # so it comes without a pager.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$page" >"$work/man.out" 2>"$work/man.err" \
    || fail "man -l failed"
  expect_empty "$work/man.err" "man -l warns about the page"
  [ -s "$work/man.out" ] || fail "man -l rendered nothing"
}

session() {
  [ $# -ge 3 ] || fail "session needs the calculator"
  normcalc="$3"
  shift 3
  command -v iconv >/dev/null || fail "iconv is needed (Debian: libc-bin)"

  # Within .EX/.EE, a line ending in \fB...\fP (or \fR) holds an answer the user typed: the
  # terminal echoed it with its line end, which the calculator itself never writes.
  awk -v input="$work/input" -v expected="$work/expected" '
    function unescape(s) {
      gsub(/\\-/, "-", s)
      gsub(/\\&/, "", s)
      if (index(s, "\\") > 0) {
        print "an escape the test does not know, line " NR ": " s > "/dev/stderr"
        bad = 1
      }
      return s
    }
    /^\.EE/ { inside = 0 }
    inside {
      if (match($0, /\\fB[^\\]*\\f[PR]$/)) {
        printf "%s\n", unescape(substr($0, RSTART + 3, RLENGTH - 6)) > input
        printf "%s", unescape(substr($0, 1, RSTART - 1)) > expected
        answers++
      } else {
        printf "%s\n", unescape($0) > expected
      }
    }
    /^\.EX/ { inside = 1; sessions++ }
    END { exit (bad || sessions != 1 || answers == 0) }
  ' "$page" || fail "the page must hold one example session with answers in bold"

  status=0
  "$@" "$normcalc" <"$work/input" >"$work/output" 2>"$work/stderr" || status=$?
  expect_empty "$work/stderr" "the calculator wrote to standard error"
  [ "$status" -eq 0 ] || fail "the session ended with status $status, not 0"
  iconv -f CP932 -t UTF-8 "$work/output" >"$work/output.utf8" \
    || fail "the output is not Shift_JIS"
  if ! cmp -s "$work/expected" "$work/output.utf8"; then
    diff "$work/expected" "$work/output.utf8" >&2 || true
    fail "the calculator's output differs from the page's example session (< page, > output)"
  fi
}

case "$mode" in
  render) render ;;
  session) session "$@" ;;
  *) fail "unknown mode $mode" ;;
esac
