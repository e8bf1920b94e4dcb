#!/usr/bin/env bash
# quor-cli and the GNU tools, both ways: every list sha256sum, sha512sum,
# sha1sum and md5sum write (plain, --tag, --binary) for a folder with
# blanks, non-ASCII and sub-folder names (and, where the system allows it,
# a '*') checks all good; and every list "quor-cli create --hash" writes
# passes "sha256sum -c --strict" and its siblings.
#   interop_test.sh QUOR_CLI [WINE_RUN]
# With WINE_RUN the program is the Windows build, run under Wine, and paths
# are handed to it in Windows form.
set -u
export LANG=C.UTF-8 LC_ALL=C.UTF-8
cli=$1 run=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-interop.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0
say_fail() { echo "FAIL: $*"; fail=1; }

quor() {  # quor ARGS...: quor-cli's status in $status, its output in $out
  if [ -n "$run" ]; then "$run" "$cli" "$@" >"$work/out" 2>&1 </dev/null; else "$cli" "$@" >"$work/out" 2>&1 </dev/null; fi
  status=$?
  out=$(tr -d '\r' <"$work/out")
}
path_for_cli() {  # the path as the program takes it
  if [ -n "$run" ]; then "$run" winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'; else printf '%s\n' "$1"; fi
}

folder="$work/Release 2024 – Ünïcode"
mkdir -p "$folder/sub dir/deeper"
names=("a b.bin" "Ж歩き.bin" "café ( 1 ).bin" "sub dir/inner file.bin" "sub dir/deeper/x.bin")
# Windows keeps no '*' in a name.
[ -z "$run" ] && names+=("star*name.bin")
i=0
for name in "${names[@]}"; do
  i=$((i + 1))
  head -c $((i * 7919)) /dev/urandom >"$folder/$name"
done

# The lists the GNU tools write, each in its own form; each lists every file.
lists=0
for tool in md5 sha1 sha256 sha512; do
  for form in plain tag binary; do
    case $form in
      plain) opt=() ;;
      tag) opt=(--tag) ;;
      binary) opt=(--binary) ;;
    esac
    (cd "$folder" && "${tool}sum" "${opt[@]}" -- "${names[@]}" >"$form.$tool") || say_fail "${tool}sum $form"
    lists=$((lists + 1))
  done
done
# A SUMS file in a sub-folder, with "./" in front of its names.
(cd "$folder/sub dir" && sha256sum ./"inner file.bin" ./deeper/x.bin >SHA256SUMS) || say_fail "SHA256SUMS"
lists=$((lists + 1))
files=$(( ${#names[@]} * (lists - 1) + 2 ))

quor check "$(path_for_cli "$folder")"
[ "$status" -eq 0 ] || say_fail "check of the tools' lists: status $status"$'\n'"$out"
ok=$(grep -c -- '^- OK -' <<<"$out")
[ "$ok" -eq "$files" ] || say_fail "check of the tools' lists: $ok files OK of $files"$'\n'"$out"

# The lists quor-cli writes, checked by the tools themselves (strictly: a line
# they cannot read fails).
for tool in md5 sha1 sha256 sha512; do
  made="$work/made-$tool"
  mkdir -p "$made"
  for name in "${names[@]}"; do
    [[ $name == */* ]] && continue
    cp "$folder/$name" "$made/$name"
  done
  quor create --hash "$tool" "$(path_for_cli "$made")"
  [ "$status" -eq 0 ] || say_fail "create --hash $tool: status $status"$'\n'"$out"
  list="$made/made-$tool.$tool"
  [ -f "$list" ] || { say_fail "create --hash $tool wrote no $list"; continue; }
  if grep -q $'\r' "$list"; then say_fail "$list has CR line ends"; fi
  check=$(cd "$made" && "${tool}sum" -c --strict "made-$tool.$tool" 2>&1) ||
    say_fail "${tool}sum -c of what quor-cli wrote:"$'\n'"$check"$'\n'"$(cat "$list")"
  # And quor-cli reads back what it wrote.
  quor check "$(path_for_cli "$list")"
  [ "$status" -eq 0 ] || say_fail "check of $list: status $status"$'\n'"$out"
done

[ $fail -eq 0 ] && echo "interop: $lists lists of the tools and 4 of quor-cli, all good"
exit $fail
