#!/usr/bin/env bash
# Folders depend one way: geometry <- animation <- scene <- shell. A folder
# may include the headers of the folders before it, never of one after it.
# The offscreen context serves the tools, tests, benchmarks and fuzzing: none
# of the four includes it, and it includes none of them. Above the show sit
# the programs: the tools and the page (web). Below them all, the OpenGL 1.1
# layer of the web build (gl11) knows nothing of what is drawn: it includes
# nothing of this tree; nor does desktop, what the programs ask of the
# platform (their folder, a message box). No program includes another's
# headers. The four
# folders never ask which platform they are built for: what differs stays in
# the libraries below them (GLUT, SDL2_mixer, the C runtime), or is asked of
# those by what they offer (the C runtime's binary mode for texture files).
# Usage: folder_rules.sh SOURCE_DIR
set -euo pipefail
cd "$1"

order=(geometry animation scene shell)
broken=0

forbid() {
  local hits
  hits=$(grep -rn --include='*.h' --include='*.cpp' "#include \"$2/" "$1" || true)
  if [ -n "$hits" ]; then
    echo "$1/ must not include headers of $2/:"
    echo "$hits"
    broken=1
  fi
}

for ((i = 0; i < ${#order[@]}; i++)); do
  for ((j = i + 1; j < ${#order[@]}; j++)); do forbid "${order[i]}" "${order[j]}"; done
  forbid "${order[i]}" offscreen
  forbid offscreen "${order[i]}"
  forbid "${order[i]}" tools
  forbid "${order[i]}" web
done
for folder in "${order[@]}" offscreen tools web desktop; do forbid gl11 "$folder"; done
for folder in "${order[@]}" offscreen tools web gl11; do forbid desktop "$folder"; done
forbid web tools
forbid web offscreen
forbid offscreen tools
forbid offscreen web
forbid tools web
platform=$(grep -rnE --include='*.h' --include='*.cpp' '_WIN32|_WIN64|__MINGW|__linux__|__APPLE__|<windows\.h>' "${order[@]}" || true)
if [ -n "$platform" ]; then
  echo "${order[*]} must not test for a platform:"
  echo "$platform"
  broken=1
fi
exit "$broken"
