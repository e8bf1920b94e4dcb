#!/usr/bin/env bash
# Many small files under Wine, where the cost per file is all there is: with
# Wine ready, prints
#   cli-exe-vs-native: R    quor-cli.exe check of 2,000 files of 100 bytes,
#                           less the start-up of quor-cli.exe, over the
#                           native quor-cli check of the same files (the
#                           best of 7 runs, and of 5 natively)
#   cli-exe-vs-open-loop: R the same over quor_bench_open.exe, which only
#                           opens, reads and closes those files: how far
#                           quor-cli.exe is above what Wine itself costs
#                           (the median of 9 rounds' ratios)
#   bench/bench_small.sh NATIVE-QUOR-CLI WINDOWS-QUOR-CLI.EXE
set -uo pipefail
cli=${1:?usage: bench_small.sh QUOR-CLI QUOR-CLI.EXE}
exe=${2:?usage: bench_small.sh QUOR-CLI QUOR-CLI.EXE}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench-small.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# Makes COUNT random files of SIZE bytes in FOLDER and an SFV file for them.
make_files() {
  mkdir -p "$1"
  python3 - "$1" "$2" "$3" <<'PY' || exit 1
import os, sys
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    with open(os.path.join(folder, "f%05d.bin" % i), "wb") as f:
        f.write(os.urandom(size))
PY
  "$cli" create --name small "$1" >/dev/null || { echo "quor-cli create failed" >&2; exit 1; }
}

source "$(dirname "${BASH_SOURCE[0]}")/bench_lib.sh"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ms() { awk -v t="$1" 'BEGIN { printf "%.1f ms", t / 1e6 }'; }

make_files "$work/100" 2000 100
win_path=$(winepath -w "$work/100/small.sfv" 2>/dev/null) || { echo "winepath failed" >&2; exit 1; }
win_folder=$(winepath -w "$work/100" 2>/dev/null)
open_loop="$(dirname "$exe")/quor_bench_open.exe"
t_native=$(best_of_5 "$cli" check --quiet "$work/100/small.sfv") || exit 1
# Under Wine every file costs round trips to its server, whose speed swings
# from one second to the next; so the check, its start-up and the open loop
# are taken in turns, each in a process of its own, the open loop in one
# pass like the check. The best of each is printed; the ratio is the median
# of the rounds' own ratios, each round's figures taken within a second of
# each other. What a round's check took less the median start-up is set
# against its open loop: the start-up alone swung from 45 to 292 ms within a
# minute (ten runs of quor-cli.exe --version), and taking off the same
# round's start-up put that swing into the ratio twice.
t_start=0 t_exe=0 t_open=0
starts=() checks=() opens=()
for _ in 1 2 3 4 5 6 7 8 9; do
  t0=$(now)
  wine "$exe" --version >/dev/null 2>&1 || { echo "quor-cli.exe --version failed" >&2; exit 1; }
  t1=$(now)
  wine "$exe" check --quiet "$win_path" >/dev/null 2>&1 || { echo "quor-cli.exe check failed" >&2; exit 1; }
  t2=$(now)
  keep_best t_start $((t1 - t0))
  keep_best t_exe $((t2 - t1))
  if [ -f "$open_loop" ]; then
    o=$(wine "$open_loop" "$win_folder" 1 2>/dev/null | tr -d '\r' | awk '{ printf "%d", $1 * 1e6 }')
    if [ -n "$o" ] && [ "$o" -gt 0 ]; then
      keep_best t_open "$o"
      starts+=($((t1 - t0)))
      checks+=($((t2 - t1)))
      opens+=("$o")
    fi
  fi
done
ratios=()
if [ ${#opens[@]} -gt 0 ]; then
  start_median=$(median "${starts[@]}")
  for i in "${!opens[@]}"; do
    c=$((checks[i] - start_median))
    ratios+=("$(ratio "$((c > 0 ? c : 0))" "${opens[i]}")")
  done
fi
echo "quor-cli.exe check: $(ms "$t_exe") (start-up $(ms "$t_start")), native: $(ms "$t_native")" \
  "(2,000 files of 100 bytes)"
t_check=$((t_exe > t_start ? t_exe - t_start : 0))
echo "cli-exe-vs-native: $(ratio "$t_check" "$t_native")"
if [ ${#ratios[@]} -gt 0 ]; then
  echo "opening, reading and closing the same files alone: $(ms "$t_open");" \
    "start-up $(ms "$t_start") to $(ms "$(printf '%s\n' "${starts[@]}" | sort -n | tail -n 1)"), median $(ms "$start_median")"
  echo "cli-exe-vs-open-loop: $(median "${ratios[@]}")" \
    "(median of ${#ratios[@]} rounds)"
fi
