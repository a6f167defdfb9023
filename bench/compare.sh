#!/usr/bin/env bash
# Compares two builds of clustmat on the benchmark's large trials: the runs
# of the two alternate, so that a machine whose speed drifts treats both
# alike, and each case prints both medians and both bests and their ratios.
#
#   bash bench/compare.sh OLD_PROGRAM NEW_PROGRAM [RUNS] [CASE ...]
#
# CASE is parse (the parse-heavy trial, layout 1), table (the same trial
# read as a table), names (the same with named locations, as a table),
# csv (the same as a CSV file with named varieties and calendar years,
# block means), output1, output2, output3 (the output-heavy trial in that layout); all
# six by default; or tree10, the tree of 5000 varieties over 500 rows with
# 10 % of the cells empty, compared over shared rows. OLD_OPTIONS and
# NEW_OPTIONS add options for one side only (NEW_OPTIONS="--threads 1";
# OLD_OPTIONS="" for a program older than --fill, which had no fill).
# VERBOSE=1 prints every run's time.
# Trials are made with build-bench's generator in BENCH_DIR (default
# /tmp/clustmat-bench) and kept there for the next comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
old=$(realpath "$1") new=$(realpath "$2")
runs=${3:-7}
shift $(($# < 3 ? $# : 3))
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(parse table names output1 output2 output3)

build=$root/build-bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target clustmat_bench_gen >/dev/null
scratch=${BENCH_DIR:-/tmp/clustmat-bench}
mkdir -p "$scratch"
cd "$scratch"
trial() {
  [ -s "$1" ] || { "$build/bench/clustmat_bench_gen" "${@:2}" >"$1.part" && mv "$1.part" "$1"; }
}
trial parse10m.dat 1000 10 50 20 1
trial output10m.dat 2000 50 100 1 2
trial names10m.dat 1000 10 50 20 1 names
if [[ " ${cases[*]} " == *" csv "* ]] && [ ! -s named10m.csv ]; then
  awk 'NR == 1 { print "Var,Year,Loca,Blk,Trait"; next }
       { printf "G%04d,%d,%s,%s,%s\n", $1, 2014 + $2, $3, $4, $5 }' names10m.dat >named10m.part &&
    mv named10m.part named10m.csv
fi
if [[ " ${cases[*]} " == *" tree10 "* ]]; then
  trial tree5000.dat 5000 10 50 1 4
  # The generator leaves about 5 % of the cells empty; awk empties 5.26 %
  # more of the values, 10 % in all.
  [ -s tree10.dat ] ||
    awk 'BEGIN { srand(38) } NR == 1 || rand() >= 0.0526 { print; next } { $5 = "."; print }' \
      tree5000.dat >tree10.dat
fi
sync

# One timed run in microseconds, with the case's options and the side's.
run_once() {
  local program=$1 file=$2 layout=$3 start end side
  [ "$program" = "$old" ] && side=${OLD_OPTIONS-} || side=${NEW_OPTIONS-}
  rm -f "${file%.*}".*DIS "${file%.*}".tree.* "${file%.*}".groups.tsv
  sync
  start=${EPOCHREALTIME/./}
  # shellcheck disable=SC2086 # the side's options are words
  printf '%s\n%s\n' "$file" "$layout" | "$program" "${options[@]}" $side >/dev/null 2>&1
  end=${EPOCHREALTIME/./}
  echo $((end - start))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(($# / 2 + 1))p"; }
best() { printf '%s\n' "$@" | sort -n | head -n 1; }

printf '%-10s %10s %10s %7s %10s %10s %7s\n' case 'old med s' 'new med s' new/old \
  'old best s' 'new best s' new/old
for name in "${cases[@]}"; do
  options=()
  case $name in
    parse) file=parse10m.dat layout=1 ;;
    table) file=parse10m.dat layout=1 options=(--columns 1,2,3,4,5) ;;
    names) file=names10m.dat layout=1 options=(--columns Var,Year,Loca,Blk,Trait) ;;
    csv) file=named10m.csv layout=1 options=(--cells mean --columns Var,Year,Loca,Blk,Trait) ;;
    output[123]) file=output10m.dat layout=${name#output} ;;
    tree10) file=tree10.dat layout=1 options=(--tree) ;;
    *) echo "unknown case $name" >&2; exit 2 ;;
  esac
  run_once "$old" "$file" "$layout" >/dev/null # warm the page cache
  olds=() news=()
  for ((i = 0; i < runs; i++)); do
    olds+=("$(run_once "$old" "$file" "$layout")")
    news+=("$(run_once "$new" "$file" "$layout")")
  done
  awk -v name="$name" -v a="$(median "${olds[@]}")" -v b="$(median "${news[@]}")" \
    -v c="$(best "${olds[@]}")" -v d="$(best "${news[@]}")" 'BEGIN {
    printf "%-10s %10.3f %10.3f %7.3f %10.3f %10.3f %7.3f\n",
           name, a / 1e6, b / 1e6, b / a, c / 1e6, d / 1e6, d / c
  }'
  [ -z "${VERBOSE-}" ] || echo "  old: ${olds[*]}; new: ${news[*]}"
done
