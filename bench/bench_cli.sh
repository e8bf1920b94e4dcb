#!/usr/bin/env bash
# quor-cli check against cat over the same four 256 MiB files, all in the
# page cache: prints "check-vs-cat: R", our time over cat's, and
# "check-jobs2-vs-cat: R", the same for quor-cli check --jobs 2 (best of 5
# runs each, taken in turns). Then on one processor and with the other one
# busy ("check-vs-cat-1cpu", "check-vs-cat-busy", each with its floor
# "read-hash-vs-cat-..."), the same from the disk
# ("check-cold-vs-cat", the files dropped from the page cache before every
# run), and a folder of 10,000 files of 4 KiB ("check-small-vs-cat"), then
# the share of processor time the host of a virtual machine took meanwhile.
# The files are removed afterwards.
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

source "$(dirname "${BASH_SOURCE[0]}")/bench_lib.sh"
# A virtual machine whose host takes its processors for others gives the
# figures of another machine: quor_bench_paths took 0.143 s with a helper
# against 0.155 s alone while 6% of the time was taken, and 0.079 s against
# 0.151 s an hour before. So the share taken is printed after the lines.
ticks_at_start=$(processor_ticks)
checks_in_turns "$cli" "$work/bench.sfv" cat "${files[@]}" || exit 1
awk -v q="$best_cli" -v j="$best_jobs2" -v c="$best_base" 'BEGIN {
  printf "quor-cli check: %.1f ms, check --jobs 2: %.1f ms, cat: %.1f ms (1 GiB in the page cache)\n",
    q / 1e6, j / 1e6, c / 1e6
  printf "check-vs-cat: %.2f\n", q / c
  printf "check-jobs2-vs-cat: %.2f\n", j / c
}'

# --- No processor to spare ---------------------------------------------------
# On one processor (taskset -c 0), and with the other processor kept busy by
# `yes > /dev/null`: quor-cli check against cat, and the floor, one thread
# that reads into a page-aligned buffer and hashes each piece
# (quor_bench_readhash), against cat in the same conditions.
# The three are run in turns, nine rounds, and the best of each is kept: a
# machine whose speed drifts over seconds then moves all three alike. The
# check and its floor do the same work, so the line has only the noise to
# fear: 16 rounds of the check on one processor took 153-189 ms. Best of
# five, the check stood 1.00-1.10x its floor in three runs of the bench
# within ten minutes.
readhash="$(dirname "$cli")/quor_bench_readhash"
no_spare_processor() {  # NAME PREFIX...: the three lines for one condition
  local name=$1 c=0 q=0 r=0 t0 t1 t2 t3
  shift
  for _ in 1 2 3 4 5 6 7 8 9; do
    t0=$(now)
    "$@" cat "${files[@]}" >/dev/null || return 1
    t1=$(now)
    "$@" "$cli" check "$work/bench.sfv" >/dev/null 2>&1 || { echo "quor-cli check failed" >&2; return 1; }
    t2=$(now)
    "$@" "$readhash" "${files[@]}" >/dev/null || return 1
    t3=$(now)
    keep_best c $((t1 - t0))
    keep_best q $((t2 - t1))
    keep_best r $((t3 - t2))
  done
  awk -v q="$q" -v c="$c" -v r="$r" -v n="$name" 'BEGIN {
    printf "quor-cli check: %.1f ms, read and hash on one thread: %.1f ms, cat: %.1f ms (%s)\n", q / 1e6, r / 1e6, c / 1e6, n
    printf "check-vs-cat-%s: %.2f\nread-hash-vs-cat-%s: %.2f\n", n, q / c, n, r / c
  }'
}
if [ -x "$readhash" ]; then
  no_spare_processor 1cpu taskset -c 0
  yes >/dev/null &
  busy=$!
  no_spare_processor busy
  kill "$busy"
fi

# --- From the disk: check-cold-vs-cat ---------------------------------------
# Each file is dropped from the page cache before every run with
# posix_fadvise(POSIX_FADV_DONTNEED) on the file itself: no root needed, and
# nothing else on the machine loses its cache (a write to
# /proc/sys/vm/drop_caches would drop everyone's). fincore (util-linux)
# tells whether the pages really went.
evict() {
  python3 -c 'import os, sys
for name in sys.argv[1:]:
    fd = os.open(name, os.O_RDONLY)
    os.fsync(fd)  # dirty pages cannot be dropped
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)' "$@"
}
resident_bytes() {  # RES of the files summed, or "?" without fincore
  command -v fincore >/dev/null || { echo "?"; return; }
  fincore -b -n -o RES "$@" | awk '{ s += $1 } END { print s + 0 }'
}
cold_vs_cat() {
  # Reads from a virtual machine's disk swing: on the Xeon VM single runs of
  # cat took 0.48 to 2.6 s within minutes. Eight runs each, taken in turns,
  # give the bests a better chance to fall in the same quiet moments; the
  # medians are printed beside them to show the spread.
  local runs=8 left=0 most=0 t0 i tool cats=() clis=()
  if ! evict "${files[@]}" 2>/dev/null; then
    echo "check-cold-vs-cat: n/a (cannot drop caches: posix_fadvise through python3 failed)"
    return
  fi
  # The disk behind a virtual machine may have a cache of its own, which the
  # first reader fills for the second: the two take turns at going first.
  for i in $(seq $runs); do
    for tool in $([ $((i % 2)) -eq 1 ] && echo "cat cli" || echo "cli cat"); do
      evict "${files[@]}"
      left=$(resident_bytes "${files[@]}")
      [ "$left" != "?" ] && [ "$left" -gt "$most" ] && most=$left
      t0=$(now)
      if [ "$tool" = cat ]; then
        cat "${files[@]}" >/dev/null
        cats+=($(($(now) - t0)))
      else
        "$cli" check "$work/bench.sfv" >/dev/null 2>&1 || { echo "quor-cli check failed" >&2; return 1; }
        clis+=($(($(now) - t0)))
      fi
    done
  done
  if [ "$left" != "?" ] && [ "$most" -gt $((64 * 1048576)) ]; then
    echo "check-cold-vs-cat: n/a (cannot drop caches: up to $most bytes stayed in the page cache after posix_fadvise DONTNEED)"
    return
  fi
  awk -v q="$(least "${clis[@]}")" -v c="$(least "${cats[@]}")" -v r="$runs" -v most="$most" \
      -v qm="$(median "${clis[@]}")" -v cm="$(median "${cats[@]}")" 'BEGIN {
    printf "quor-cli check: %.1f ms, cat: %.1f ms (1 GiB from the disk, best of %d; medians %.1f and %.1f ms; page cache dropped with posix_fadvise DONTNEED on the files before each run, at most %s bytes left)\n", q / 1e6, c / 1e6, r, qm / 1e6, cm / 1e6, most
    printf "check-cold-vs-cat: %.2f\n", q / c
  }'
}
cold_vs_cat
echo "processor time the host took during the lines above: $(stolen_share "$ticks_at_start")%"

# --- Many small files: check-small-vs-cat -----------------------------------
# 10,000 files of 4 KiB in one folder, in the page cache: the cost per file
# (open, look-ups, notices) against cat reading the same files.
small_vs_cat() {
  local small="$work/small" best_cat=0 best_cli=0 c q t0 t1
  mkdir -p "$small"
  python3 -c 'import os, sys
data = os.urandom(4096 * 10000)
for i in range(10000):
    with open(os.path.join(sys.argv[1], "f%05d.bin" % i), "wb") as f:
        f.write(data[i * 4096:(i + 1) * 4096])' "$small" || return 1
  "$cli" create --name small "$small" >/dev/null || { echo "quor-cli create failed" >&2; return 1; }
  for _ in 1 2 3 4 5; do
    t0=$(now)
    find "$small" -name '*.bin' -exec cat {} + >/dev/null
    t1=$(now)
    "$cli" check "$small/small.sfv" >/dev/null 2>&1 || { echo "quor-cli check failed" >&2; return 1; }
    q=$(($(now) - t1))
    c=$((t1 - t0))
    keep_best best_cat "$c"
    keep_best best_cli "$q"
  done
  awk -v q="$best_cli" -v c="$best_cat" 'BEGIN {
    printf "quor-cli check: %.1f ms, find | cat: %.1f ms (10,000 files of 4 KiB in the page cache)\n", q / 1e6, c / 1e6
    printf "check-small-vs-cat: %.2f\n", q / c
  }'
}
small_vs_cat
