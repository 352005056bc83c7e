#!/usr/bin/env bash
# Installs what Cuewell needs, builds it and starts it on the current X11 desktop.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

exec build/src/app/cuewell "$@"
