#!/usr/bin/env bash
# Many small files under Wine, where the cost per file is all there is: with
# Wine ready, prints
#   cli-exe-vs-native: R    quor-cli.exe check of 2,000 files of 100 bytes,
#                           less the start-up of quor-cli.exe, over the
#                           native quor-cli check of the same files (best of
#                           5 each)
#   cli-exe-vs-open-loop: R the same over quor_bench_open.exe, which only
#                           opens, reads and closes those files: how far
#                           quor-cli.exe is above what Wine itself costs
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
t_native=$(best_of_5 "$cli" check --quiet "$work/100/small.sfv") || exit 1
t_start=$(best_of_5 wine "$exe" --version) || exit 1
t_exe=$(best_of_5 wine "$exe" check --quiet "$win_path") || exit 1
echo "quor-cli.exe check: $(ms "$t_exe") (start-up $(ms "$t_start")), native: $(ms "$t_native")" \
  "(2,000 files of 100 bytes)"
t_check=$((t_exe > t_start ? t_exe - t_start : 0))
echo "cli-exe-vs-native: $(ratio "$t_check" "$t_native")"
open_loop="$(dirname "$exe")/quor_bench_open.exe"
if [ -f "$open_loop" ]; then
  t_open=$(wine "$open_loop" "$(winepath -w "$work/100" 2>/dev/null)" 2>/dev/null | tr -d '\r')
  echo "opening, reading and closing the same files alone: $t_open ms"
  echo "cli-exe-vs-open-loop: $(awk -v a="$t_check" -v b="$t_open" 'BEGIN { printf "%.2f", a / 1e6 / b }')"
fi
