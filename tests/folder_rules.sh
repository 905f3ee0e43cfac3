#!/usr/bin/env bash
# Folders depend one way: geometry <- animation <- scene <- shell. A folder
# may include the headers of the folders before it, never of one after it.
# The offscreen context serves the tools, tests, benchmarks and fuzzing: none
# of the four includes it, and it includes none of them.
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
done
exit "$broken"
