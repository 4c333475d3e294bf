# Sourced by the test scripts: runs the independent judge (Jackcess, ../shared/judges/jackcess)
# as the C++ tests do (tests/support/Judge.h): `judge_run VERB FILE...` prints its output and
# returns its status; `judge_missing` is empty when it can run, else says why (German).
# JUDGE (default ../shared/judges/jackcess/judge beside the project) and JUDGE_CACHE (where the
# class-data archive that speeds up the Java start is kept; default a folder in /tmp) may be
# set before sourcing. EDVARA_JUDGE_TIMES=FILE appends each call's verb, seconds and file to
# FILE, as the C++ helper does. Changes nothing but that archive (and FILE).
judge=${JUDGE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/../shared/judges/jackcess/judge}
judge_cache=${JUDGE_CACHE:-${TMPDIR:-/tmp}/edvara-judge-cache-$(id -u)}
judge_missing=
if [[ ! -x $judge ]]; then
  judge_missing="Der unabhängige Prüfer (Jackcess) fehlt ($judge); seine Urteile werden übersprungen."
elif ! java -version >/dev/null 2>&1; then
  judge_missing="Java fehlt (Paket openjdk-17-jre-headless); die Urteile des unabhängigen Prüfers werden übersprungen."
fi

judge_run() {
  # The quick compiler alone for small files, both for large ones (as tests/support/Judge.h).
  local opts="-XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Xshare:auto -Xlog:disable -Xlog:all=warning:stderr"
  [[ $(stat -c %s "${2:-/dev/null}" 2>/dev/null || echo 0) -lt 4194304 ]] ||
    opts="-XX:+UseParallelGC -Xshare:auto -Xlog:disable -Xlog:all=warning:stderr"
  local stamp archive pending= rc=0 started
  started=$(date +%s%N)
  stamp=$(stat -c %Y "$(dirname "$judge")/lib/judge.jar" "$(dirname "$judge")/lib/jackcess.jar" 2>/dev/null | tr '\n' - || true)
  mkdir -p "$judge_cache" 2>/dev/null || true
  archive=$judge_cache/judge-${stamp}sh.jsa
  if [[ -f $archive ]]; then
    opts+=" -XX:SharedArchiveFile=$archive"
  elif [[ -d $judge_cache ]]; then
    pending=$archive.$$.tmp
    opts+=" -XX:ArchiveClassesAtExit=$pending"
  fi
  JAVA_TOOL_OPTIONS="$opts${JUDGE_JAVA_OPTIONS:+ $JUDGE_JAVA_OPTIONS}" "$judge" "$@" 2> >(grep -v '^Picked up JAVA_TOOL_OPTIONS' >&2) || rc=$?
  [[ -z $pending || ! -f $pending ]] || mv -f "$pending" "$archive"
  [[ -z ${EDVARA_JUDGE_TIMES:-} ]] ||
    echo "$1 $(awk -v n="$(( $(date +%s%N) - started ))" 'BEGIN { printf "%.3f", n / 1e9 }') ${2:-}" >>"$EDVARA_JUDGE_TIMES"
  return $rc
}
