#!/bin/sh
# check-installed.sh [BUILD_DIR]: the installed programs work from any folder.
# Installs BUILD_DIR (default: build) into a temporary prefix with `cmake --install`, then,
# from an empty folder and without --names-dir:
#   - edvara-anon runs a whole run on a sample and says "Fertig" (the name lists are found
#     in PREFIX/share/edvara-anonymisieren);
#   - with one list missing there, it stops with exit status 2 and a message naming both
#     places it looked in;
#   - every man page names exactly the options its program's --help names (a build with
#     the sanitizers makes no man pages: that part is then skipped, saying so).
# Needs nothing but the build; no root, nothing outside the temporary folder is touched.
set -eu

build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() {
  echo "check-installed: $*" >&2
  exit 1
}
# A sanitizer build's programs would report the Qt start-up's leaks at exit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export QT_QPA_PLATFORM=offscreen

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install schlug fehl"
bin="$work/prefix/bin"
names="$work/prefix/share/edvara-anonymisieren"
[ -f "$names/nachnamen.txt" ] || fail "die Namenslisten fehlen in $names"
mkdir "$work/leer"
cd "$work/leer"

"$bin/edvara-sample" --out "$work/probe" --seed 7 >/dev/null || fail "edvara-sample schlug fehl"
status=0
"$bin/edvara-anon" --seed 1 --directory "$work/probe/Schulver.mdb" "$work/probe/Edvara.sqlite" >"$work/lauf" 2>&1 \
  || status=$?
[ "$status" -eq 0 ] && grep -qx "Fertig" "$work/lauf" \
  || fail "der Lauf aus einem leeren Ordner endete mit $status: $(cat "$work/lauf")"

mv "$names/vornamen_w.txt" "$work/vornamen_w.txt"
status=0
"$bin/edvara-anon" --seed 1 --directory "$work/probe/Schulver.mdb" "$work/probe/Edvara.sqlite" >"$work/fehlt" 2>&1 \
  || status=$?
mv "$work/vornamen_w.txt" "$names/vornamen_w.txt"
[ "$status" -eq 2 ] || fail "ohne vornamen_w.txt: Status $status statt 2"
grep -q "vornamen_w.txt" "$work/fehlt" && grep -qF "$work/leer" "$work/fehlt" && grep -qF "$names" "$work/fehlt" \
  || fail "die Meldung nennt nicht beide Orte: $(cat "$work/fehlt")"

if grep -q '^EDVARA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "check-installed: Build mit Sanitizern, ohne Handbuchseiten: ihr Vergleich mit --help entfällt."
else
  for program in edvara-anon edvara-sql edvara-sample; do
    page="$work/prefix/share/man/man1/$program.1.gz"
    [ -s "$page" ] || fail "Handbuchseite $program(1) fehlt"
    "$bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u >"$work/hilfe"
    gzip -dc "$page" | sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | sort -u >"$work/seite"
    cmp -s "$work/hilfe" "$work/seite" \
      || fail "$program: --help und Handbuchseite nennen verschiedene Optionen: $(diff "$work/hilfe" "$work/seite" | tr '\n' ' ')"
    gzip -dc "$page" | grep -q "Dateien" || [ "$program" != edvara-anon ] \
      || fail "die Handbuchseite von edvara-anon sagt nicht, welche Dateien sie wo liest"
  done
  echo "check-installed: jede Handbuchseite nennt dieselben Optionen wie --help."
fi
echo "check-installed: installiert, läuft aus einem leeren Ordner und nennt beide Orte, wenn eine Namensliste fehlt."
