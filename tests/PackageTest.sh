#!/usr/bin/env bash
# Checks the installed calculator and the packages, once CPack has made them.
#   PackageTest.sh install BUILD
#     `cmake --install BUILD` into a temporary prefix gives bin/normcalc and the manual page
#     under share/man/man1, the page rendering cleanly and its session being what normcalc writes.
#   PackageTest.sh deb DIR VERSION LICENSE
#     DIR holds normcalc_VERSION_ARCH.deb and its checksum file; the package has that name,
#     version and libc6 among its dependencies, exactly its four files, the manual page tried as
#     above with the packaged calculator and dated SOURCE_DATE_EPOCH's day when that is set, a
#     copyright file stating LICENSE's terms, and VERSION as its changelog's newest entry.
#   PackageTest.sh lintian DIR VERSION
#     Lintian, with every tag shown (pedantic ones too), reports nothing on that package.
#   PackageTest.sh exe EXE VERSION OBJDUMP WINDRES
#     EXE is a 64-bit Windows executable with VERSION in its version resource.
#   PackageTest.sh zip DIR VERSION LICENSE EXE EMULATOR [ARGUMENT...]
#     DIR holds normcalc-VERSION-win64.zip and its checksum file; the .zip holds one folder with
#     normcalc.exe, README.txt and MANUAL.txt (the manual page) in UTF-8 with a byte order mark,
#     LICENSE.txt (LICENSE's text) and the MinGW-w64 runtime's notices, all four with Windows
#     line ends; its normcalc.exe, run by EMULATOR, answers a few queries as the build's EXE does.
set -euo pipefail

fail() {
  echo "PackageTest: $*" >&2
  exit 1
}

[ $# -ge 2 ] || fail "usage: $0 install|deb|lintian|exe|zip ARGUMENT... (see the script's head)"
mode="$1"
shift
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The package file $1 in folder $2, whose checksum file beside it must match.
package() {
  [ -f "$2/$1" ] || fail "no $1 in $2: make it first (cpack --preset NAME)"
  (cd "$2" && sha256sum --quiet -c "$1.sha256") || fail "$1 does not match $1.sha256"
  echo "$2/$1"
}

deb_name() {
  echo "normcalc_${1}_$(dpkg --print-architecture).deb"
}

install() {
  local build="$1"
  cmake --install "$build" --prefix "$work/usr/local" >/dev/null || fail "cmake --install failed"
  [ -x "$work/usr/local/bin/normcalc" ] || fail "no executable bin/normcalc"
  local page
  page="$(find "$work/usr/local/share/man/man1" -name 'normcalc.1*')"
  [ -n "$page" ] || fail "no manual page under share/man/man1"
  "$here/ManPageTest.sh" render "$page"
  "$here/ManPageTest.sh" session "$page" "$work/usr/local/bin/normcalc"
}

deb() {
  local version="$2" license="$3" deb
  deb="$(package "$(deb_name "$version")" "$1")"
  [ "$(dpkg-deb --field "$deb" Package)" = normcalc ] || fail "the package's name is not normcalc"
  [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "its version is not $version"
  grep -q 'libc6' <<<"$(dpkg-deb --field "$deb" Depends)" || fail "it does not depend on libc6"
  dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' >"$work/files"
  diff "$work/files" - <<'FILES' || fail "the package's files differ (< package, > expected)"
./usr/bin/normcalc
./usr/share/doc/normcalc/changelog.gz
./usr/share/doc/normcalc/copyright
./usr/share/man/man1/normcalc.1.gz
FILES

  local root="$work/root"
  dpkg-deb --extract "$deb" "$root"
  local page="$root/usr/share/man/man1/normcalc.1.gz"
  "$here/ManPageTest.sh" render "$page"
  "$here/ManPageTest.sh" session "$page" "$root/usr/bin/normcalc"
  local day='[0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\}'
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    day="$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)"
  fi
  grep -q "^\.TH NORMCALC 1 \"$day\"" <(gzip -dc "$page") || fail "the page is not dated $day"

  # The copyright file's licence text has " ." for its blank lines.
  local doc="$root/usr/share/doc/normcalc"
  diff <(sed -n '/^License: Expat$/,$p' "$doc/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') \
    <(tail -n +5 "$license") || fail "the copyright file's licence is not LICENSE's"
  grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$license")" "$doc/copyright" \
    || fail "the copyright file's copyright line is not LICENSE's"
  gzip -dc "$doc/changelog.gz" >"$work/changelog"
  [ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] \
    || fail "the changelog's newest entry is not $version"
}

lintian_reports_nothing() {
  local deb report
  deb="$(package "$(deb_name "$2")" "$1")"
  report="$(lintian -I -E --pedantic "$deb")"
  [ -z "$report" ] || fail "lintian reports: $report"
}

exe() {
  local exe="$1" version="$2" objdump="$3" windres="$4"
  grep -q 'PE32+' <<<"$("$objdump" -p "$exe")" || fail "$exe is not a 64-bit Windows executable"
  grep -q "\"ProductVersion\", \"$version\"" <("$windres" -i "$exe" -O rc) \
    || fail "$exe's version resource lacks ProductVersion $version"
}

zip() {
  local dir="$1" version="$2" license="$3" exe="$4" zip
  shift 4
  zip="$(package "normcalc-${version}-win64.zip" "$dir")"
  local folder="normcalc-${version}-win64"
  diff <(cmake -E tar tf "$zip" | sort) - <<FILES || fail "its files differ (< .zip, > expected)"
$folder/LICENSE.txt
$folder/MANUAL.txt
$folder/MinGW-w64-NOTICES.txt
$folder/README.txt
$folder/normcalc.exe
FILES
  (cd "$work" && cmake -E tar xf "$zip")
  local unpacked="$work/$folder" text
  for text in README.txt MANUAL.txt; do
    cmp -s <(printf '\357\273\277') <(head -c 3 "$unpacked/$text") \
      || fail "$text does not start with a UTF-8 byte order mark"
  done
  grep -q '^NORMCALC(1)' <(tail -c +4 "$unpacked/MANUAL.txt") \
    || fail "MANUAL.txt is not the manual page"
  for text in README.txt MANUAL.txt LICENSE.txt MinGW-w64-NOTICES.txt; do
    [ "$(grep -c $'\r$' "$unpacked/$text")" -eq "$(wc -l <"$unpacked/$text")" ] \
      || fail "$text has a line end without \\r"
  done
  diff <(tr -d '\r' <"$unpacked/LICENSE.txt") "$license" || fail "LICENSE.txt is not LICENSE"

  # The packed executable is stripped: it must still be the tested one.
  local queries=$'1 1.96\n2 0.975\n1 -10\n9\n'
  "$@" "$exe" <<<"$queries" >"$work/built.out" || fail "the build's normcalc.exe failed"
  "$@" "$unpacked/normcalc.exe" <<<"$queries" >"$work/packed.out" \
    || fail "the packed normcalc.exe failed"
  cmp "$work/built.out" "$work/packed.out" || fail "the packed normcalc.exe answers otherwise"
}

case "$mode" in
  install) install "$@" ;;
  deb) deb "$@" ;;
  lintian) lintian_reports_nothing "$@" ;;
  exe) exe "$@" ;;
  zip) zip "$@" ;;
  *) fail "unknown mode $mode" ;;
esac
