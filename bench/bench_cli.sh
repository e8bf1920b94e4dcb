#!/usr/bin/env bash
# quor-cli check against cat over the same four 256 MiB files, all in the
# page cache: prints "check-vs-cat: R", our time over cat's, and
# "check-jobs2-vs-cat: R", the same for quor-cli check --jobs 2 (best of 5
# runs each, taken in turns). The files are removed afterwards.
#   bench/bench_cli.sh PATH/TO/quor-cli [WORK-FOLDER]
set -uo pipefail
cli=${1:?usage: bench_cli.sh QUOR-CLI [WORK-FOLDER]}
work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/quor-bench-cli.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

files=()
for i in 1 2 3 4; do
  head -c $((256 * 1048576)) /dev/urandom >"$work/part$i.bin" || exit 1
  files+=("$work/part$i.bin")
done
"$cli" create --name bench "$work" >/dev/null || { echo "quor-cli create failed" >&2; exit 1; }
cat "${files[@]}" >/dev/null  # into the page cache

now() { date +%s%N; }
best_cat=0
best_cli=0
best_jobs2=0
for _ in 1 2 3 4 5; do
  t0=$(now)
  cat "${files[@]}" >/dev/null
  t1=$(now)
  "$cli" check "$work/bench.sfv" >/dev/null 2>&1 || { echo "quor-cli check failed" >&2; exit 1; }
  t2=$(now)
  "$cli" check --jobs 2 "$work/bench.sfv" >/dev/null 2>&1 || { echo "quor-cli check --jobs 2 failed" >&2; exit 1; }
  t3=$(now)
  c=$((t1 - t0)) q=$((t2 - t1)) j=$((t3 - t2))
  { [ "$best_cat" -eq 0 ] || [ "$c" -lt "$best_cat" ]; } && best_cat=$c
  { [ "$best_cli" -eq 0 ] || [ "$q" -lt "$best_cli" ]; } && best_cli=$q
  { [ "$best_jobs2" -eq 0 ] || [ "$j" -lt "$best_jobs2" ]; } && best_jobs2=$j
done
awk -v q="$best_cli" -v j="$best_jobs2" -v c="$best_cat" 'BEGIN {
  printf "quor-cli check: %.1f ms, check --jobs 2: %.1f ms, cat: %.1f ms (1 GiB in the page cache)\n",
    q / 1e6, j / 1e6, c / 1e6
  printf "check-vs-cat: %.2f\n", q / c
  printf "check-jobs2-vs-cat: %.2f\n", j / c
}'
