#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails on a source file without its licence line, and on a C++ file that clang-format would
# change. The format is the one Debian 12's clang-format (version 14) writes from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
sources=$(git ls-files '*.cpp' '*.h' '*.js' '*.sh' '*.py' '*CMakeLists.txt' '*.cmake' .ci/run)
for file in $sources; do
  if ! head -n 3 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later'; then
    echo "no licence line (SPDX-License-Identifier: GPL-3.0-or-later) in the first lines: $file"
    status=1
  fi
done

command -v clang-format >/dev/null || { echo "clang-format is not installed"; exit 1; }
# shellcheck disable=SC2046
if ! clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h'); then
  echo "clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -1) would change the" \
       "files above: run clang-format -i on them"
  status=1
fi
exit $status
