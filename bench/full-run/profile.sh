#!/usr/bin/env bash
# Where a full run of edvara-anon spends its CPU time: the run on the large sample, once on
# an Access target and once on a SQLite target, under `perf record` with call stacks; each
# sample is put to the stage whose function is on its stack, and the top costs of each
# stage are printed: its share of the run, the functions that use the CPU themselves
# (self) and the functions below the stage that the time passes through (total).
# Layer: benchmark (shell). It measures and judges nothing; it changes only its own copies.
#
#   bench/full-run/profile.sh [BUILD_DIR] [KIND ...]
#
# BUILD_DIR defaults to ./build; it should be a Release build with debug information
# (cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -g"), else the stacks
# name few functions. KIND is access or sqlite (default both).
# Environment: SEED (default 20250315), SIZE (the sample's --size, default 1), FREQ
# (samples per second, default 400), TOP (functions per list, default 10), NAMES_DIR (name
# lists; default BUILD_DIR/bin, else data/), WORK_DIR (default a temporary folder, removed
# at the end; perf.data and the stacks of each kind stay there when it is given), REUSE=1
# (with WORK_DIR: analyse the stacks a former run left there instead of running again).
set -euo pipefail

build=${1:-build}
shift $(( $# > 1 ? 1 : $# ))
kinds=("$@")
[[ ${#kinds[@]} -gt 0 ]] || kinds=(access sqlite)
seed=${SEED:-20250315}
size=${SIZE:-1}
freq=${FREQ:-400}
top=${TOP:-10}
anon=$build/bin/edvara-anon
sample=$build/bin/edvara-sample
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
command -v perf >/dev/null || { echo "profile.sh: perf fehlt (Paket linux-perf)" >&2; exit 2; }
for tool in "$anon" "$sample"; do
  [[ -x $tool ]] || { echo "profile.sh: $tool fehlt" >&2; exit 2; }
done
[[ -f $names/nachnamen.txt ]] || { echo "profile.sh: keine Namenslisten in $names" >&2; exit 2; }
for kind in "${kinds[@]}"; do
  [[ $kind == access || $kind == sqlite ]] || { echo "profile.sh: unbekannte Art $kind (access, sqlite)" >&2; exit 2; }
done

work=${WORK_DIR:-$(mktemp -d)}
[[ -n ${WORK_DIR:-} ]] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"

# Samples of one stack each, as `perf script` prints them: a header line, one line per
# frame from the innermost outwards, a blank line. A sample belongs to the first stage
# marker found from the outermost frame inwards; the check of the whole Access file before
# its first change is a stage of its own, wherever the first change happens.
analyse() {
  awk -v freq="$freq" -v top="$top" '
    function stageOf(n,    i, f, e) {
      e = "($|[^A-Za-z0-9_])"
      for (i = 1; i <= n; ++i)
        if (frame[i] ~ ("(checkDatabase|refuseDamagedFile)" e)) { marker = i; return "Prüfung der Access-Datei vor dem ersten Schreiben" }
      for (i = n; i >= 1; --i) {
        f = frame[i]; marker = i
        if (f ~ ("TForm1::(BuildPostalCodePool|MarkPlacesVisible)" e)) return "Orte"
        if (f ~ ("TForm1::AnonymizeStudents" e)) return "Schüler"
        if (f ~ ("TForm1::AnonymizeGeneralAddresses" e)) return "Allgemeine Adressen"
        if (f ~ ("TForm1::AnonymizeTeachers" e)) return "Lehrkräfte"
        if (f ~ ("TForm1::PurgeShortPostalCodes" e)) return "Orte mit kurzer Postleitzahl"
        if (f ~ ("TForm1::AssignSchools" e)) return "Schulen"
        if (f ~ ("TForm1::DoResidualCleanup" e)) return "Restarbeiten"
        if (f ~ ("TForm1::RunExtraSqlFile" e)) return "Externe SQL-Befehle"
        if (f ~ ("TForm1::ReplaceRemainingColumns" e)) return "Übrige Spalten"
        if (f ~ ("TForm1::ScrubFreeSpace" e)) return "Freien Speicher überschreiben"
        if (f ~ ("TForm1::FindResidue" e)) return "Suche nach Originalwerten"
      }
      marker = n + 1
      return "Übriges (Start, Öffnen, Schließen)"
    }
    # Frames every stack of a kind passes through, which say nothing of where time goes:
    # SQLite running a statement, callbacks and their wrappers, the standard library.
    function passThrough(f) {
      return f ~ /^(sqlite3_step|sqlite3VdbeExec|sqlite3_exec|x[A-Z][A-Za-z]+|\[unknown\]|operator\(\)|_M_invoke)$/ \
        || f ~ /^(std::|__|guarded<)|\{lambda|::operator\(\)$|^db::jet::\(anonymous namespace\)::x[A-Z][A-Za-z]+$/ \
        || f ~ /^(entry_SYSCALL|do_syscall)/
    }
    function name(line) {
      sub(/^[ \t]*[0-9a-f]+[ \t]+/, "", line)
      sub(/ \(.*\)$/, "", line)      # the object file
      sub(/\+0x[0-9a-f]+$/, "", line)
      if (length(line) > 110) line = substr(line, 1, 107) "..."
      return line
    }
    function flush(    s, i, seen, k) {
      if (n == 0) return
      s = stageOf(n)
      ++stageSamples[s]; ++total
      ++self[s SUBSEP frame[1]]
      # total: every function below the stage marker, once per sample
      for (i = 1; i < marker; ++i) {
        if (frame[i] ~ /^(main|__libc_start.*|_start|cli::runAnon|app::TForm1::Button1Click)$/) continue
        k = s SUBSEP frame[i]
        if (!(k in seen)) { seen[k] = 1; ++incl[k] }
      }
      n = 0
    }
    /^[^ \t]/ { flush(); next }
    /^[ \t]*$/ { flush(); next }
    { frame[++n] = name($0) }
    END {
      flush()
      if (total == 0) { print "  keine Stichproben"; exit }
      printf "  %d Stichproben, %.2f s CPU\n", total, total / freq
      # stages by cost
      m = 0
      for (s in stageSamples) order[++m] = s
      for (i = 1; i <= m; ++i) for (j = i + 1; j <= m; ++j)
        if (stageSamples[order[j]] > stageSamples[order[i]]) { t = order[i]; order[i] = order[j]; order[j] = t }
      for (i = 1; i <= m; ++i) {
        s = order[i]
        printf "\n  == %s: %.2f s (%.1f %%)\n", s, stageSamples[s] / freq, 100 * stageSamples[s] / total
        for (pass = 1; pass <= 2; ++pass) {
          delete list; c = 0
          if (pass == 1) { for (k in self) { split(k, p, SUBSEP); if (p[1] == s) list[++c] = k } }
          else { for (k in incl) { split(k, p, SUBSEP); if (p[1] == s && !passThrough(p[2])) list[++c] = k } }
          for (a = 1; a <= c; ++a) for (b = a + 1; b <= c; ++b)
            if ((pass == 1 ? self[list[b]] > self[list[a]] : incl[list[b]] > incl[list[a]])) { t = list[a]; list[a] = list[b]; list[b] = t }
          printf "     %s\n", pass == 1 ? "selbst:" : "gesamt (darunter, ohne Durchgangsrahmen):"
          shown = 0
          for (a = 1; a <= c && shown < top; ++a) {
            split(list[a], p, SUBSEP)
            v = pass == 1 ? self[list[a]] : incl[list[a]]
            printf "       %5.1f %%  %s\n", 100 * v / stageSamples[s], p[2]
            ++shown
          }
        }
      }
    }'
}

for kind in "${kinds[@]}"; do
  dir=$work/$kind
  options=(--large --size "$size" --seed "$seed")
  target=Edvara.sqlite
  if [[ $kind == access ]]; then
    options+=(--access)
    target=Edvara.mdb
  fi
  if [[ ${REUSE:-0} == 1 && -s $dir/stacks.txt ]]; then
    echo "== $kind (die Stapel des letzten Laufs in $dir)"
    analyse <"$dir/stacks.txt"
    echo
    continue
  fi
  "$sample" --out "$dir/original" "${options[@]}" >/dev/null
  rm -rf "$dir/run"
  cp -r "$dir/original" "$dir/run"
  status=0
  perf record -q -e cpu-clock -F "$freq" --call-graph dwarf,32768 -o "$dir/perf.data" -- \
    "$anon" --seed "$seed" --names-dir "$names" --directory "$dir/run/Schulver.mdb" "$dir/run/$target" \
    >"$dir/log.txt" 2>&1 || status=$?
  if [[ $status -ne 0 ]] || ! grep -qx 'Fertig' "$dir/log.txt"; then
    echo "profile.sh: der Lauf auf $target endete nicht mit „Fertig“ (Status $status):" >&2
    tail -5 "$dir/log.txt" >&2
    exit 1
  fi
  perf script -i "$dir/perf.data" -F comm,ip,sym 2>/dev/null >"$dir/stacks.txt"
  echo "== $kind (--large --size $size, Seed $seed)"
  analyse <"$dir/stacks.txt"
  echo
done
