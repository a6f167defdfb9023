#!/usr/bin/env bash
# Bounded coverage-guided fuzzing: builds the harness with AFL++ and the
# sanitizers, fuzzes each target for a fixed time, one after the other, and
# fails when any run crashed, broke a property (the harness aborts) or hung.
#
#   CLUSTMAT_FUZZ_SECONDS  time per target (default 60)
#   CLUSTMAT_FUZZ_TARGETS  which targets (default "data dialogue reader")
# Findings stay in build-fuzz/out/<target>/default/{crashes,hangs}.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${CLUSTMAT_FUZZ_SECONDS:-60}
targets=${CLUSTMAT_FUZZ_TARGETS:-data dialogue reader}

export AFL_LLVM_DENYLIST=$PWD/fuzz/denylist.txt
cmake -B build-fuzz -DCMAKE_CXX_COMPILER=afl-clang-fast++ -DCLUSTMAT_SANITIZE=ON \
  -DCLUSTMAT_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j2 --target clustmat_fuzz

# CI runs as root without a terminal, on shared cores, with whatever core
# dump handler the machine has.
export AFL_NO_UI=1 AFL_SKIP_CPUFREQ=1 AFL_NO_AFFINITY=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1
# A finding must abort; huge allocations must fail as on a machine without
# the memory, so that large codes end with the allocation failure texts.
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=64
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=0
# One run takes milliseconds; a run that takes seconds does not end.
export AFL_HANG_TMOUT=5000

failed=0
for target in $targets; do
  out=build-fuzz/out/$target
  rm -rf "$out" && mkdir -p "$out/work"
  # The fuzzer sets aside seeds that crash or hang; here they fail the run.
  for seed in fuzz/corpus/$target/*; do
    status=0
    CLUSTMAT_FUZZ_DIR=$PWD/$out/work timeout 10 build-fuzz/fuzz/clustmat_fuzz "$target" \
      <"$seed" >/dev/null 2>"$out/seed.err" || status=$?
    case $status in
    0 | 1 | 255) ;;
    *) echo "fuzz $target: seed $seed ends with status $status"; cat "$out/seed.err"; failed=1 ;;
    esac
  done
  dictionary=fuzz/${target/reader/data}.dict # the reader reads data files
  CLUSTMAT_FUZZ_DIR=$PWD/$out/work afl-fuzz -i "fuzz/corpus/$target" -o "$out" \
    -x "$dictionary" -t 1000 -V "$seconds" -- build-fuzz/fuzz/clustmat_fuzz "$target" \
    >"$out/log" 2>&1 || { tail -30 "$out/log"; failed=1; continue; }
  stats=$out/default/fuzzer_stats
  field() { sed -n "s/^$1 *: //p" "$stats"; }
  findings=$(find "$out/default/crashes" "$out/default/hangs" -name 'id:*' | wc -l)
  echo "fuzz $target: $(field execs_done) runs, $(field bitmap_cvg) map coverage," \
    "$(field edges_found) edges, $(field saved_crashes) crashes, $(field saved_hangs) hangs"
  if [ "$findings" -ne 0 ]; then
    echo "fuzz $target: findings in $out/default/crashes and $out/default/hangs"
    failed=1
  fi
done
exit $failed
