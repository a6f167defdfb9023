#!/usr/bin/env bash
# Throughput of clustmat on large trials. Builds the program in Release in its
# own build directory, writes synthetic trials into a scratch directory, runs
# every case five times through the program's console (file name, then layout
# number, on standard input) and prints the median wall time, the data file's
# MB/s and the peak resident memory of each.
#
#   bash bench/run.sh
#
# BENCH_DIR=/some/dir keeps the trials there (and reuses them); otherwise a
# temporary directory is used and removed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" </dev/null
fi

build=$root/build-bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target clustmat clustmat_bench_gen >/dev/null
program=$build/clustmat

if [ -n "${BENCH_DIR:-}" ]; then
  scratch=$BENCH_DIR
  mkdir -p "$scratch"
else
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
fi
cd "$scratch"

# name varieties years locations blocks seed [names]
trial() {
  [ -s "$1" ] || { "$build/bench/clustmat_bench_gen" "${@:2}" >"$1.part" && mv "$1.part" "$1"; }
}
trial parse1m.dat 1000 10 50 2 1
trial parse3m.dat 1000 10 50 6 1
trial parse10m.dat 1000 10 50 20 1
trial output10m.dat 2000 50 100 1 2
trial names10m.dat 1000 10 50 20 1 names
trial traits1m.csv 100 10 50 20 3 csv 10
trial tree5000.dat 5000 10 50 1 4
# The same trial with 30 % of its cells empty: about 5 % are already, and
# awk empties a further 26.3 % of the values (which ones depends on the
# awk's rand(), the share does not).
[ -s sparse5000.dat ] ||
  awk 'BEGIN { srand(34) } NR == 1 || rand() >= 0.263 { print; next } { $5 = "."; print }' \
    tree5000.dat >sparse5000.dat
# And with 10 % empty: awk empties 5.26 % more of the values.
[ -s tree10.dat ] ||
  awk 'BEGIN { srand(38) } NR == 1 || rand() >= 0.0526 { print; next } { $5 = "."; print }' \
    tree5000.dat >tree10.dat
# The trials just written must not still be going to disk while we measure.
sync

runs=5
# Sets `median` (seconds) and `peak` (KiB) for one data file and layout,
# read with the options that follow them.
measure() {
  local file=$1 layout=$2 times=() rss=0 i start end kib
  local options=("${@:3}")
  printf '%s\n%s\n' "$file" "$layout" >answers
  "$program" "${options[@]}" <answers >/dev/null 2>&1 # warm the page cache
  for ((i = 0; i < runs; i++)); do
    rm -f "${file%.*}".*DIS  # every run writes its matrix files afresh,
    sync                     # and none is still going to disk
    start=${EPOCHREALTIME/./}
    /usr/bin/time -f %M -o peak.txt "$program" "${options[@]}" <answers >/dev/null 2>run.err ||
      { cat run.err >&2; exit 1; }
    end=${EPOCHREALTIME/./}
    times+=($((end - start)))
    kib=$(tail -n 1 peak.txt)
    ((kib > rss)) && rss=$kib
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p")
  median=$(awk -v us="$median" 'BEGIN { printf "%.3f", us / 1e6 }')
  peak=$rss
}

# name file layout wall_limit_s rss_limit_kib [options]
row() {
  measure "$2" "$3" "${@:6}"
  awk -v name="$1" -v bytes="$(stat -c %s "$2")" -v s="$median" -v kib="$peak" \
      -v wall="$4" -v limit="$5" 'BEGIN {
    ok = (s <= wall && kib <= limit) ? "ok" : "MISSED"
    printf "%-22s %8.1f %9.3f %8.0f %9.1f   <= %.1f s, <= %.1f MiB  %s\n",
           name, bytes / 1e6, s, bytes / 1e6 / s, kib / 1024, wall, limit / 1024, ok
  }'
}

cube_kib=$((2000 * 50 * 100 * 4 / 1024))
echo "clustmat throughput, median of $runs runs, whole process"
echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
echo "load before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo
printf '%-22s %8s %9s %8s %9s   %s\n' case 'file MB' 'wall s' 'MB/s' 'peak MiB' target
row "parse-heavy (layout 1)" parse10m.dat 1 0.5 $((32 * 1024))
declare -A scaled=([10m]=$median)
# The same trial read as a table, its codes as numbers and its locations as
# names: at most 1.5 and 2.5 times the classic run, and 64 MiB beyond the cube.
classic=$median
parse_cube_kib=$((1000 * 10 * 50 * 4 / 1024))
row "table, numeric codes" parse10m.dat 1 "$(awk -v c="$classic" 'BEGIN { print 1.5 * c }')" \
  $((parse_cube_kib + 64 * 1024)) --columns 1,2,3,4,5
row "table, location names" names10m.dat 1 "$(awk -v c="$classic" 'BEGIN { print 2.5 * c }')" \
  $((parse_cube_kib + 64 * 1024)) --columns Var,Year,Loca,Blk,Trait
for layout in 1 2 3; do
  row "output-heavy layout $layout" output10m.dat "$layout" 1.0 $((cube_kib + 32 * 1024))
done
# Ten traits in one read: all ten matrices in at most 2.5 times the time
# of one trait's run on the same file.
traits=(--cells mean --columns genotype,year,location,rep)
measure traits1m.csv 1 "${traits[@]/%rep/rep,trait1}"
one_trait=$median
ten=$(printf ',trait%d' $(seq 1 10))
row "ten traits (CSV, means)" traits1m.csv 1 "$(awk -v c="$one_trait" 'BEGIN { print 2.5 * c }')" \
  $((64 * 1024)) "${traits[@]/%rep/rep$ten}"
awk -v one="$one_trait" -v ten="$median" 'BEGIN {
  printf "one trait of the same file %.3f s: ten traits take %.2fx its time (at most 2.5x)\n", one, ten / one
}'
# The tree of 5000 varieties over 500 rows: at most 10 s beyond the matrix's
# own run, and the distances' memory beside it: 5000 x 4999 / 2 doubles,
# 100 MB, held once, and the values the tree rests on, 22 MB.
measure tree5000.dat 1
matrix_alone=$median
row "tree of 5000 varieties" tree5000.dat 1 "$(awk -v c="$matrix_alone" 'BEGIN { print c + 10 }')" \
  $((150 * 1024)) --tree
awk -v alone="$matrix_alone" -v tree="$median" 'BEGIN {
  printf "the matrix alone %.3f s: the tree adds %.2f s (at most 10 s)\n", alone, tree - alone
}'
# Filling the 750,000 empty cells of the 30 % empty trial from the additive
# model: at most 1 s beyond the tree without a fill (--fill none, where no
# variety is left out either).
measure sparse5000.dat 1 --tree --fill none
unfilled=$median
row "tree, 30 % empty cells" sparse5000.dat 1 "$(awk -v c="$unfilled" 'BEGIN { print c + 1 }')" \
  $((150 * 1024)) --tree
awk -v none="$unfilled" -v filled="$median" 'BEGIN {
  printf "the tree without a fill %.3f s: the additive fill adds %.2f s (at most 1 s)\n", none, filled - none
}'
# The distances shared among the machine's threads, against one thread,
# on the trial with 10 % of its cells empty compared over shared rows.
measure tree10.dat 1 --tree --fill none --threads 1
one_thread=$median
row "tree, 10 % empty, all" tree10.dat 1 "$one_thread" $((150 * 1024)) --tree --fill none
awk -v one="$one_thread" -v all="$median" -v n="$(nproc)" 'BEGIN {
  printf "the tree on one thread %.3f s: on %d, %.2fx its time\n", one, n, all / one
}'
for size in 1m 3m; do
  measure "parse$size.dat" 1
  scaled[$size]=$median
done
awk -v a="${scaled[1m]}" -v b="${scaled[3m]}" -v c="${scaled[10m]}" 'BEGIN {
  printf "\nscaling (parse-heavy, layout 1): 1M %.3f s, 3M %.3f s, 10M %.3f s; ", a, b, c
  printf "10x the records cost %.1fx the time (at most 11x)  %s\n", c / a, c / a <= 11 ? "ok" : "MISSED"
}'
echo "load after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
