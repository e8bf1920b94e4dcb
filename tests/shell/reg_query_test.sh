#!/usr/bin/env bash
# Writes the Explorer commands with assoc_apply.exe and reads them back with
# Wine's own "reg query" where they belong: the user's own classes, never
# the machine-wide ones. (Windows shows the user's classes through
# HKEY_CLASSES_ROOT; Wine 8 does not, so they are read where they are.)
#   reg_query_test.sh WINE_RUN ASSOC_APPLY_EXE
set -u
run=$1 apply=$2
program='C:\Program Files\Quor Test\Quor.exe'
ours=('Directory\Shell\SFVTest' 'Directory\Shell\SFVTestSpe' 'Directory\Shell\SFVCreate'
      'Directory\Shell\SFVCreateSpe' '.sfv' 'SFV.File' 'SystemFileAssociations\.md5'
      'SystemFileAssociations\.sha1' 'SystemFileAssociations\.sha256' 'SystemFileAssociations\.sha512')
user='HKCU\Software\Classes' machine='HKLM\Software\Classes'
keys=()
for k in "${ours[@]}"; do keys+=("$user\\$k" "$machine\\$k"); done
fail=0

# Wine has been seen to end a process at once, with status 1 and nothing
# printed, while other tests keep it busy. reg's query and delete print a
# line even when they fail (the key, or "reg: ..."), and assoc_apply prints
# its error, so one that failed without a word did not run, and is run again.
heard() {  # heard COMMAND...: its output and status, from up to three runs
  local try out rc
  for try in 1 2 3; do
    out=$("$@" 2>/dev/null </dev/null)
    rc=$?
    { [ $rc -eq 0 ] || [ -n "$out" ]; } && break
    sleep 1
  done
  printf '%s\n' "$out"
  return $rc
}
reg_said() { heard "$run" reg "$@" | tr -d '\r'; }  # reg's output, without carriage returns
has_key() { reg_said query "$1" | grep -q '^HKEY_'; }
apply() {  # apply FLAGS
  local out
  out=$(heard "$run" "$apply" "$program" "$1") || { echo "FAIL: assoc_apply $1: $out"; exit 1; }
}

snapshot() {
  local k
  # Only reg's own lines: other tests running at the same time may make Wine
  # print notices of its own (a browser it could not start) into the output.
  for k in "${keys[@]}"; do
    echo "[$k]"
    reg_said query "$k" /s | grep -E '^(HKEY_|    |reg:)'
  done
}
expect_line() {  # expect_line KEY TEXT: the key's default value is exactly TEXT
  local out
  out=$(reg_said query "$1" /ve)
  if ! grep -qE "REG_SZ +$(printf '%s' "$2" | sed 's/[][\.*^$\\]/\\&/g')\$" <<<"$out"; then
    echo "FAIL: $1 should hold: $2"
    echo "$out"
    fail=1
  fi
}

# Start from classes without our keys, the user's and the machine's (a
# Quor.exe run in the same prefix leaves its commands there), and put back
# what was found at the end.
saved=$(mktemp -d)
i=0
for k in "${keys[@]}"; do
  "$run" reg export "$k" "$(winepath -w "$saved/$i.reg" 2>/dev/null)" /y </dev/null >/dev/null 2>&1
  reg_said delete "$k" /f >/dev/null
  i=$((i + 1))
done
restore() {
  local k i=0
  for k in "${keys[@]}"; do
    reg_said delete "$k" /f >/dev/null
    [ -f "$saved/$i.reg" ] && "$run" reg import "$(winepath -w "$saved/$i.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
    i=$((i + 1))
  done
  rm -rf "$saved"
}
trap restore EXIT

before=$(snapshot)
apply 101010
expect_line "$user\\Directory\\Shell\\SFVTest" 'SFV Check Folder'
expect_line "$user\\Directory\\Shell\\SFVTest\\Command" "\"$program\" -TestFolder \"%1\""
expect_line "$user\\Directory\\Shell\\SFVCreate\\Command" "\"$program\" -CreateSFVFile \"%1\""
expect_line "$user\\.sfv" 'SFV.File'
expect_line "$user\\SFV.File" 'SFV File'
expect_line "$user\\SFV.File\\DefaultIcon" "\"$program\""
expect_line "$user\\SFV.File\\Shell" 'CheckFile'
expect_line "$user\\SFV.File\\Shell\\CheckFile\\Command" "\"$program\" -TestFile \"%1\""
expect_line "$user\\SystemFileAssociations\\.sha256\\shell\\QuorCheckFile\\Command" "\"$program\" -TestFile \"%1\""
if has_key "$user\\Directory\\Shell\\SFVTestSpe"; then
  echo "FAIL: SFVTestSpe should not be there"
  fail=1
fi
for k in "${ours[@]}"; do
  if has_key "$machine\\$k"; then
    echo "FAIL: $k should not be written machine-wide"
    fail=1
  fi
done

apply 000000
after=$(snapshot)
if [ "$before" != "$after" ]; then
  echo "FAIL: all off should leave the classes as they were"
  diff <(echo "$before") <(echo "$after")
  fail=1
fi
[ $fail -eq 0 ] && echo "reg query checks passed"
exit $fail
