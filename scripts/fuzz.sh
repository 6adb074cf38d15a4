#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz/, apart from
# the g++ build) and runs each of them for a bounded time. Any crash, hang,
# leak, sanitizer report or failed check fails the script and leaves the
# input that caused it under the work folder's artifacts/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]          CI: SECONDS per target (default 60) on a
#                                                  throwaway copy of the seed corpus
#   scripts/fuzz.sh --soak SECONDS [TARGET...]     long run at low priority; the growing
#                                                  corpus is kept in $ORVANE_FUZZ_DIR/<target>
#                                                  (default ~/.cache/orvane-fuzz) and the
#                                                  minutes and executions of every run are
#                                                  added to $ORVANE_FUZZ_DIR/stats.tsv;
#                                                  ORVANE_FUZZ_NICE sets its priority (default 19)
#
# TARGET names are those of fuzz/*_fuzz.cpp without the suffix (orvane_xml,
# filter, ...); without any, every target runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}

soak=0
if [ "${1:-}" = "--soak" ]; then
  soak=1
  shift
fi
seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) echo "fuzz.sh: seconds per target must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
shift || true

bash "$root/scripts/install-deps.sh" >/dev/null
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_BUILD_FUZZ=ON -DORVANE_WERROR=ON >/dev/null
# Two soaks started together share the build folder: one builds at a time.
flock "$build/.build.lock" cmake --build "$build" -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/*_fuzz.cpp; do
    name=$(basename "$f" _fuzz.cpp)
    targets+=("$name")
  done
fi
for t in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$t" ] || { echo "fuzz.sh: no fuzz target '$t'" >&2; exit 2; }
done

if [ $soak -eq 1 ]; then
  work=${ORVANE_FUZZ_DIR:-$HOME/.cache/orvane-fuzz}
  mkdir -p "$work"
else
  work=$(mktemp -d /tmp/orvane-fuzz.XXXXXX)
fi
mkdir -p "$work/artifacts"

export LC_ALL=C.UTF-8
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

failed=()
for t in "${targets[@]}"; do
  corpus=$work/$t
  mkdir -p "$corpus"
  cp -n "$root/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
  dict=()
  [ -f "$root/fuzz/dict/$t.dict" ] && dict=(-dict="$root/fuzz/dict/$t.dict")
  log=$work/$t.log
  # A hang is an input taking longer than the timeout by the clock; at the
  # lowest priority on a busy machine a quick input can wait that long.
  runner=()
  timeout=25
  if [ $soak -eq 1 ]; then
    runner=(nice -n "${ORVANE_FUZZ_NICE:-19}")
    timeout=300
  fi
  echo "== fuzz $t (${seconds}s)"
  status=0
  "${runner[@]}" "$build/fuzz/fuzz_$t" "$corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=$timeout \
    -rss_limit_mb=2048 -malloc_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$t-" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "   ${execs:-0} executions, exit status $status"
  if [ $soak -eq 1 ]; then
    printf '%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$t" "$seconds" "${execs:-0}" "$status" >>"$work/stats.tsv"
  fi
  if [ $status -ne 0 ]; then
    failed+=("$t")
    grep -E "ERROR|fuzz check failed|SUMMARY|Test unit written" "$log" | head -20 >&2 || true
    echo "   full log: $log" >&2
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]}; inputs are in $work/artifacts" >&2
  exit 1
fi
[ $soak -eq 1 ] || rm -rf "$work"
echo "fuzz.sh: no findings"
