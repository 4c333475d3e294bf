# Sourced by the bench scripts: sets `names` to the folder of the name lists: NAMES_DIR if
# set, else the build's bin folder (where the build copies them), else the project's data/.
# Needs `build` set; changes nothing else.
names=${NAMES_DIR:-}
if [[ -z $names ]]; then
  if [[ -f $build/bin/nachnamen.txt ]]; then
    names=$build/bin
  else
    names=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
  fi
fi
