#!/usr/bin/env bash
# Folders depend one way: geometry <- animation <- scene <- titles <- shell. A folder
# may include the headers of the folders before it, never of one after it.
# The offscreen context serves the tools, tests, benchmarks and fuzzing: none
# of the four includes it, and it includes none of them. Above the show sit
# the programs: the tools and the page (web). Below them all, the OpenGL 1.1
# layer of the web build (gl11) knows nothing of what is drawn: it includes
# nothing of this tree; nor does desktop, what the programs ask of the
# platform (their folder, a message box, a temporary file). No program includes another's
# headers. The analysis of the music's beats (rhythm) includes nothing of
# this tree, so that the page can build it too; the show's folders do not
# include it: the programs (tools, web) hand its beats to the show.
# One place per platform: the code that differs between platforms stands in
# desktop/, each platform's implementation beside the other's, and nothing
# else in the tree asks which platform it is built for (what differs stays in
# the libraries below, GLUT, SDL2_mixer and the C runtime, or is asked of
# those by what they offer); linux/ and windows/ hold each platform's
# packaging and no code, and no CMake file outside a platform's folder
# reaches into it (each platform's own CMake configures its files).
# Usage: folder_rules.sh SOURCE_DIR
set -euo pipefail
cd "$1"

order=(geometry animation scene titles shell)
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
for folder in "${order[@]}" offscreen tools web desktop gl11; do forbid rhythm "$folder"; done
for folder in "${order[@]}" offscreen desktop gl11; do forbid "$folder" rhythm; done
forbid web tools
forbid web offscreen
forbid offscreen tools
forbid offscreen web
forbid tools web
# The tree's own files: not those of build folders (by their name, or a
# build tree of any name), of dist/ or of the tests' downloaded packages.
own_files() {
  find . -type d \( -name 'build*' -o -name dist -o -name node_modules -o -name .git \
    -o -exec test -e '{}/CMakeCache.txt' \; \) -prune -o -type f \( "$@" \) -print
}
platform=$(own_files -name '*.h' -o -name '*.cpp' | grep -v '^\./desktop/' \
  | xargs grep -nE '_WIN32|_WIN64|__MINGW|__linux__|__APPLE__|<windows\.h>' || true)
if [ -n "$platform" ]; then
  echo "only desktop/ may test for a platform:"
  echo "$platform"
  broken=1
fi
for place in linux windows; do
  code=$(find "$place" -name '*.h' -o -name '*.cpp' -o -name '*.c')
  if [ -n "$code" ]; then
    echo "$place/ holds packaging, not code (the platform's code stands in desktop/):"
    echo "$code"
    broken=1
  fi
  reach=$(own_files -name CMakeLists.txt -o -name '*.cmake' | grep -v "^\./$place/" \
    | xargs grep -nE "^[^#]*(^|[^/[:alnum:]_.-]|DIR\}/|\.\./)$place/" || true)
  if [ -n "$reach" ]; then
    echo "only $place/'s own CMake may use the files of $place/:"
    echo "$reach"
    broken=1
  fi
done
exit "$broken"
