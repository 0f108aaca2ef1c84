#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: the seed corpus is copied into a work
# folder under the build tree so that new inputs never land in the repository, and
# any crash, leak or time-out input is written to WORK-artifacts/ and its path printed.
#   run-fuzzer.sh FUZZER WORK SEEDS SECONDS|-runs=N
# With -runs=N the fuzzer stops after N inputs instead of after SECONDS: the test
# suite's smoke runs do the same work on a slow machine as on a fast one.
set -euo pipefail
fuzzer=$1 work=$2 seeds=$3 limit=$4
artifacts="$work-artifacts"
mkdir -p "$work" "$artifacts"
if [ -d "$seeds" ]; then
  cp -n "$seeds"/* "$work"/ 2>/dev/null || true
else
  echo "run-fuzzer: no seed folder $seeds; $(basename "$fuzzer") starts from what $work holds" >&2
fi
case "$limit" in
  -runs=*) ;;
  *) limit=-max_total_time=$limit ;;
esac
# Artifacts from an earlier run would be reported again as this run's findings.
before=$(mktemp)
trap 'rm -f "$before"' EXIT
ls -1 "$artifacts" >"$before"
rc=0
"$fuzzer" "$limit" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" || rc=$?
found=0
while IFS= read -r name; do
  grep -qxF "$name" "$before" && continue
  echo "run-fuzzer: $(basename "$fuzzer") found an input: $artifacts/$name" >&2
  found=1
done < <(ls -1 "$artifacts")
if [ "$rc" -ne 0 ] && [ "$found" -eq 0 ]; then
  echo "run-fuzzer: $(basename "$fuzzer") failed (exit code $rc) without writing an input" >&2
fi
exit "$rc"
