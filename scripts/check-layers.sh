#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when an include in src/ points up the layers or sideways between folders of one layer:
#   app -> ui -> session -> observe, recognize, model_client, overlay -> platform (the ports)
#       -> core
# and, beside them, the Linux backend:
#   platform/linux/<desktop> (x11, gnome, kwin) -> platform/linux/<service> (atspi, tesseract)
#       -> platform/linux (shared by all) -> platform (the ports)
# A folder may include its own files and anything in a lower layer, nothing else.
set -euo pipefail
cd "$(dirname "$0")/../src"

rank() {
  case "$1" in
    core) echo 0 ;;
    platform) echo 1 ;;
    observe | recognize | model_client | overlay | platform/linux) echo 2 ;;
    platform/linux/atspi | platform/linux/tesseract) echo 3 ;;
    platform/linux/*) echo 4 ;;
    session) echo 5 ;;
    ui) echo 6 ;;
    app) echo 7 ;;
    *) echo "unknown folder: $1" >&2; exit 2 ;;
  esac
}

folder() {
  case "$1" in
    platform/*/*) echo "${1%/*}" ;;
    */*) echo "${1%%/*}" ;;
    *) echo . ;;
  esac
}

violations=0
while IFS= read -r file; do
  from=$(folder "$file")
  [ "$from" = . ] && continue
  while IFS= read -r included; do
    # An include names a file from src/ or, relatively, from the including file's folder;
    # anything else (Qt's generated files) is not ours.
    if [ ! -f "$included" ]; then
      relative=$(realpath -m --relative-to=. "$(dirname "$file")/$included")
      [ -f "$relative" ] || continue
      included=$relative
    fi
    to=$(folder "$included")
    [ "$to" = "$from" ] && continue
    if [ "$(rank "$to")" -ge "$(rank "$from")" ]; then
      echo "$file includes $included: $from may not include $to"
      violations=$((violations + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

if [ "$violations" -gt 0 ]; then
  echo "$violations include(s) point up or sideways" >&2
  exit 1
fi
echo "includes point down the layers"
