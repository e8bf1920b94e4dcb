#!/usr/bin/env bash
# quor-cli check of a list of digests against openssl dgst over the same
# four 256 MiB files, all in the page cache, for SHA-256 and MD5: prints
# "check-sha256-vs-openssl: R", our time over openssl's, and
# "check-sha256-jobs2-vs-openssl: R" for quor-cli check --jobs 2; then the
# same for md5 (best of 5 runs each, taken in turns). The files are removed
# afterwards.
#   bench/bench_digests.sh PATH/TO/quor-cli [WORK-FOLDER]
set -uo pipefail
cli=${1:?usage: bench_digests.sh QUOR-CLI [WORK-FOLDER]}
command -v openssl >/dev/null || { echo "check-sha256-vs-openssl: n/a (no openssl)"; exit 0; }
work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/quor-bench-digests.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

files=()
for i in 1 2 3 4; do
  head -c $((256 * 1048576)) /dev/urandom >"$work/part$i.bin" || exit 1
  files+=("$work/part$i.bin")
done

source "$(dirname "${BASH_SOURCE[0]}")/bench_lib.sh"
for hash in sha256 md5; do
  "$cli" create --hash "$hash" --name bench "$work" >/dev/null || { echo "quor-cli create --hash $hash failed" >&2; exit 1; }
  list="$work/bench.$hash"
  cat "${files[@]}" >/dev/null  # into the page cache
  best_ssl=0 best_cli=0 best_jobs2=0
  for _ in 1 2 3 4 5; do
    t0=$(now)
    openssl dgst "-$hash" "${files[@]}" >/dev/null || { echo "openssl dgst -$hash failed" >&2; exit 1; }
    t1=$(now)
    "$cli" check "$list" >/dev/null 2>&1 || { echo "quor-cli check $list failed" >&2; exit 1; }
    t2=$(now)
    "$cli" check --jobs 2 "$list" >/dev/null 2>&1 || { echo "quor-cli check --jobs 2 $list failed" >&2; exit 1; }
    t3=$(now)
    s=$((t1 - t0)) q=$((t2 - t1)) j=$((t3 - t2))
    keep_best best_ssl "$s"
    keep_best best_cli "$q"
    keep_best best_jobs2 "$j"
  done
  rm -f "$list"
  awk -v q="$best_cli" -v j="$best_jobs2" -v s="$best_ssl" -v h="$hash" 'BEGIN {
    printf "quor-cli check (%s): %.1f ms, check --jobs 2: %.1f ms, openssl dgst -%s: %.1f ms (1 GiB in four files, page cache)\n",
      h, q / 1e6, j / 1e6, h, s / 1e6
    printf "check-%s-vs-openssl: %.2f\n", h, q / s
    printf "check-%s-jobs2-vs-openssl: %.2f\n", h, j / s
  }'
done
