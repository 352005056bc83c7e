#!/usr/bin/env bash
# Installs what Cuewell needs, builds it and starts it on the current X11 desktop.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [ ! -x build/src/app/cuewell ]; then
  echo "Cuewell's panel, tray icon, hot key and overlay are not built yet; the guide session," >&2
  echo "model client and observation code are, and 'bash scripts/test.sh' exercises them." >&2
  exit 1
fi
exec build/src/app/cuewell "$@"
