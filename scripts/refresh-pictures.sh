#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Refreshes the README's pictures in docs/ from those the tests took in the build tree (the
# panel offscreen, the ring over a real editor on the virtual desktop). Run after the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

pictures=build/pictures
[ -d "$pictures" ] || { echo "no pictures in $pictures: run 'ctest --preset default' first" >&2; exit 1; }
for picture in "$pictures"/*.png; do
  cp "$picture" docs/
  echo "docs/$(basename "$picture")"
done
