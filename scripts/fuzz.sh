#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time from the seed
# corpus in fuzz/corpus. Fails on any crash, sanitizer report or broken invariant.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

run() {
  local target=$1 seeds=$2
  local work
  work=$(mktemp -d)
  echo "-- $target for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 "$work" "fuzz/corpus/$seeds" 2>&1 | tail -n 12
  rm -rf "$work"
}
run fuzz_reply_parsing reply
run fuzz_server_bodies listing
run fuzz_http_response http
