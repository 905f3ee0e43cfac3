#!/usr/bin/env bash
# The README is the door and docs/ the rooms: README.md stays within 160
# lines; every relative link of README.md and docs/*.md (a page, a picture, a
# file of the tree, with or without a #heading) names a file that exists, and
# a heading that its page has; and every page of docs/ is reached from the
# README. Addresses with a scheme (https:, mailto:) are not followed.
# Usage: docs_links.sh SOURCE_DIR
set -euo pipefail
cd "$1"

max_lines=160
broken=0
fault() {
  echo "docs_links: $*" >&2
  broken=1
}

lines=$(wc -l < README.md)
[ "$lines" -le "$max_lines" ] || fault "README.md has $lines lines, more than $max_lines: move some into docs/"

# The anchors of a page's headings, as GitHub makes them: lower case, the
# marks other than '-' and '_' taken out, each blank a '-'.
anchors() {
  sed -n 's/^#\{1,6\} \+//p' "$1" | tr '[:upper:]' '[:lower:]' | sed 's/[^[:alnum:] _-]//g; s/ /-/g'
}

linked_pages=()
for page in README.md docs/*.md; do
  [ -f "$page" ] || continue
  folder=$(dirname "$page")
  # Links as [text](target) or ![text](target), outside code blocks, one a line.
  targets=$(awk '/^ *```/ { code = !code; next } !code' "$page" \
    | grep -o '\](\([^)[:space:]]*\)' | sed 's/^](//' || true)
  for target in $targets; do
    [[ "$target" =~ ^[a-z]+: ]] && continue
    file="${target%%#*}"
    anchor=""
    [[ "$target" == *"#"* ]] && anchor="${target#*#}"
    if [ -z "$file" ]; then
      path="$page"
    else
      path="$folder/$file"
    fi
    if [ ! -e "$path" ]; then
      fault "$page links to $target, and there is no $path"
      continue
    fi
    if [ -n "$anchor" ]; then
      if [[ "$path" != *.md ]] || ! anchors "$path" | grep -qxF "$anchor"; then
        fault "$page links to $target, and $path has no heading #$anchor"
      fi
    fi
    [ "$page" = README.md ] && linked_pages+=("$(realpath -m "$path")")
  done
done

for page in docs/*.md; do
  [ -f "$page" ] || continue
  printf '%s\n' "${linked_pages[@]}" | grep -qxF "$(realpath "$page")" || fault "README.md links to no $page"
done

[ "$broken" = 0 ] && echo "docs_links: README.md ($lines lines) and docs/*.md link to what exists"
exit "$broken"
