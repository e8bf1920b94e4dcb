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
  checks_in_turns "$cli" "$list" openssl dgst "-$hash" "${files[@]}" || exit 1
  rm -f "$list"
  awk -v q="$best_cli" -v j="$best_jobs2" -v s="$best_base" -v h="$hash" 'BEGIN {
    printf "quor-cli check (%s): %.1f ms, check --jobs 2: %.1f ms, openssl dgst -%s: %.1f ms (1 GiB in four files, page cache)\n",
      h, q / 1e6, j / 1e6, h, s / 1e6
    printf "check-%s-vs-openssl: %.2f\n", h, q / s
    printf "check-%s-jobs2-vs-openssl: %.2f\n", h, j / s
  }'
done
