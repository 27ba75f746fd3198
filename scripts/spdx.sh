#!/usr/bin/env bash
# The licence identifier at the top of every source file of the project: C++ sources and
# headers, scripts (by extension or by a #! first line), CMake files, the desktop entry and the
# XML files. Adds "SPDX-License-Identifier: GPL-3.0-or-later" in the file's own comment form
# where no identifier is within its first lines; run again, it changes nothing.
#   scripts/spdx.sh            add the missing identifiers
#   scripts/spdx.sh --check    only list the files without one; exit status 1 when there are
# The files are those git tracks (or, outside a git tree, those of the source tree).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
id="SPDX-License-Identifier: GPL-3.0-or-later"
check=false
[ "${1:-}" = --check ] && check=true

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files() { git ls-files -z; }
else
  files() { find . -path ./.git -prune -o -path './build*' -prune -o -type f -printf '%P\0'; }
fi

# The comment form of a file, or nothing for a file that is no source (data, documents).
style() {
  case $1 in
    *.cpp | *.h | *.c | *.cc | *.hpp) echo c ;;
    *.sh | *.bash | *.py | *.cmake | CMakeLists.txt | */CMakeLists.txt | *.desktop) echo hash ;;
    *.xml | *.xml.in | *.svg) echo xml ;;
    *) head -c2 "$1" 2>/dev/null | grep -q '^#!' && echo hash ;;
  esac
}

missing=0
while IFS= read -r -d '' f; do
  [ -f "$f" ] || continue
  s=$(style "$f") || true
  [ -n "$s" ] || continue
  head -n 5 "$f" | grep -q 'SPDX-License-Identifier:' && continue
  if $check; then
    echo "$f"
    missing=1
    continue
  fi
  case $s in
    c) line="// $id" ;;
    hash) line="# $id" ;;
    xml) line="<!-- $id -->" ;;
  esac
  # After a #! line or an XML declaration, which must stay first; else as the first line.
  first=$(head -n 1 "$f")
  tmp=$(mktemp)
  if [[ $first == '#!'* || $first == '<?xml'* ]]; then
    { printf '%s\n%s\n' "$first" "$line"; tail -n +2 "$f"; } >"$tmp"
  else
    { printf '%s\n' "$line"; cat "$f"; } >"$tmp"
  fi
  cat "$tmp" >"$f"  # keeps the file's mode
  rm -f "$tmp"
  echo "added: $f"
done < <(files)
exit $missing
