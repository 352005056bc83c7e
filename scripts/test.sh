#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, then builds and runs the whole suite twice: a normal build and
# one under AddressSanitizer + UndefinedBehaviorSanitizer. Fails on any test failure or report.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/check-layers.sh
bash scripts/check-sources.sh

jobs=$(nproc)
for preset in default sanitize; do
  echo "== ${preset} build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== ${preset} tests =="
  ctest --preset "$preset" -j "$jobs"
done

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing =="
  bash scripts/fuzz.sh
fi

# The Debian package: built, checked with lintian and appstreamcli, then installed on this
# machine, run through a whole task and removed (skipped without root or sudo).
echo "== package =="
bash scripts/package.sh
status=0
bash tests/package/install-test.sh || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 77 ]
