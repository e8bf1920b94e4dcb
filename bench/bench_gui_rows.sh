#!/usr/bin/env bash
# The main window against quor-cli.exe on many small files, under Wine:
# an SFV file listing 2,000 files of 100 bytes is checked by
# `quor-cli.exe check` and by `Quor.exe -TestFile` (until its SFV list shows
# the summary row), in turns, best of ROUNDS each. Prints both times and
# "gui-rows-vs-cli: R", the window's time over the command line's.
#   bench/bench_gui_rows.sh BIN-FOLDER [ROUNDS]
# BIN-FOLDER holds Quor.exe, quor-cli.exe and quor_watch.exe of the Windows
# build. Wine is used as ./dev set it up (QUOR_WINE_READY); run alone, the
# script starts the build's prefix and a private screen itself.
set -uo pipefail
bin=$(cd "${1:?usage: bench_gui_rows.sh BIN-FOLDER [ROUNDS]}" && pwd) || exit 1
rounds=${2:-3}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for exe in Quor.exe quor-cli.exe quor_watch.exe; do
  [ -f "$bin/$exe" ] || { echo "bench_gui_rows: $bin/$exe is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench-gui.XXXXXX") || exit 1
xvfb_pid=
started_wine=
cleanup() {
  [ -n "$started_wine" ] && wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${QUOR_WINE_READY:-}" ]; then
  export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix} WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
  "$root/tools/wine-prefix" || exit 1
  for n in $(seq 121 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    break
  done
  wineserver -p >/dev/null 2>&1 </dev/null
  wine wineboot >/dev/null 2>&1 </dev/null
  started_wine=1
fi

# The files, and a private copy of Quor.exe (its settings and progress
# files stay in the work folder).
mkdir -p "$work/files" "$work/app"
cp "$bin/Quor.exe" "$work/app/"
python3 - "$work/files" <<'PY' || exit 1
import os, sys, zlib
folder = sys.argv[1]
lines = []
for i in range(2000):
    name = "file%04d.bin" % i
    data = os.urandom(100)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    lines.append("%s %08X\r\n" % (name, zlib.crc32(data)))
with open(os.path.join(folder, "small.sfv"), "w", newline="") as f:
    f.writelines(lines)
PY
sfv=$(winepath -w "$work/files/small.sfv" 2>/dev/null)

source "$(dirname "${BASH_SOURCE[0]}")/bench_lib.sh"
best_cli=0
best_gui=0
for _ in $(seq "$rounds"); do
  t0=$(now)
  wine "$bin/quor-cli.exe" check "$sfv" >"$work/cli.out" 2>&1 </dev/null ||
    { echo "bench_gui_rows: quor-cli.exe check failed" >&2; cat "$work/cli.out" >&2; exit 1; }
  t1=$(now)
  cli=$((t1 - t0))

  rm -rf "$work/app/Progress"  # no file is known good from the round before
  t0=$(now)
  wine "$work/app/Quor.exe" -TestFile "$sfv" >/dev/null 2>&1 </dev/null &
  quor=$!
  wine "$bin/quor_watch.exe" summary 600 >"$work/watch.out" 2>&1 </dev/null
  watched=$?
  t1=$(now)
  gui=$((t1 - t0))
  wine "$bin/quor_watch.exe" close 30 >/dev/null 2>&1 </dev/null
  wait "$quor" 2>/dev/null
  [ $watched -eq 0 ] || { echo "bench_gui_rows: the window did not finish: $(cat "$work/watch.out")" >&2; exit 1; }

  keep_best best_cli "$cli"
  keep_best best_gui "$gui"
done
awk -v g="$best_gui" -v c="$best_cli" 'BEGIN {
  printf "Quor.exe -TestFile: %.0f ms, quor-cli.exe check: %.0f ms", g / 1e6, c / 1e6
  printf " (2,000 files of 100 bytes, under Wine)\n"
  printf "gui-rows-vs-cli: %.2f\n", g / c
}'
