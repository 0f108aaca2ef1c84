#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: the seed corpus is copied into a work
# folder under the build tree so that new inputs never land in the repository.
set -euo pipefail
fuzzer=$1 work=$2 seeds=$3 seconds=$4
mkdir -p "$work"
cp -n "$seeds"/* "$work"/ 2>/dev/null || true
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$work"
