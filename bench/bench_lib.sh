# Shared by the bench scripts (sourced): a clock, and the best of runs.

now() { date +%s%N; }  # ns

# keep_best VAR NS: VAR becomes NS when NS is less (0 holds no time yet).
keep_best() {
  local -n best_so_far=$1
  { [ "$best_so_far" -eq 0 ] || [ "$2" -lt "$best_so_far" ]; } && best_so_far=$2
  return 0
}

# least NUMBER...: the smallest one.
least() {
  printf '%s\n' "$@" | sort -n | head -n 1
}

# median NUMBER...: the middle one, sorted (the upper of the two middle ones
# for an even count).
median() {
  printf '%s\n' "$@" | sort -n | awk '{ r[NR] = $1 } END { print r[int(NR / 2) + 1] }'
}

# processor_ticks: "STOLEN TOTAL", the clock ticks of all processors so far
# that the virtual machine's host took for others, and all of them (the
# "cpu" line of /proc/stat); "0 0" where there is none.
processor_ticks() {
  awk '/^cpu / { t = 0; for (i = 2; i <= NF; i++) t += $i; print $9 + 0, t; found = 1 }
       END { if (!found) print 0, 0 }' /proc/stat 2>/dev/null
}

# stolen_share "STOLEN TOTAL" (from processor_ticks, earlier): the percent of
# the processors' time since then that the host took.
stolen_share() {
  local before=($1) after
  after=($(processor_ticks))
  awk -v s=$((after[0] - before[0])) -v t=$((after[1] - before[1])) 'BEGIN { printf "%.1f\n", (t > 0 ? 100 * s / t : 0) }'
}

# best_of_5 COMMAND...: the best time of 5 runs of the command, in ns; a run
# that fails says so on stderr and fails the call.
best_of_5() {
  local best=0 t0 t
  for _ in 1 2 3 4 5; do
    t0=$(now)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    t=$(($(now) - t0))
    keep_best best "$t"
  done
  echo "$best"
}

# checks_in_turns CLI LIST BASELINE...: five rounds, each running the
# baseline command, CLI check LIST and CLI check --jobs 2 LIST, in turns so
# that all three see the same machine; sets best_base, best_cli and
# best_jobs2 to the best time of each, in ns. A run that fails says so on
# stderr and fails the call.
checks_in_turns() {
  local cli=$1 list=$2 t0 t1 t2 t3
  shift 2
  best_base=0 best_cli=0 best_jobs2=0
  for _ in 1 2 3 4 5; do
    t0=$(now)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    t1=$(now)
    "$cli" check "$list" >/dev/null 2>&1 || { echo "quor-cli check $list failed" >&2; return 1; }
    t2=$(now)
    "$cli" check --jobs 2 "$list" >/dev/null 2>&1 || { echo "quor-cli check --jobs 2 $list failed" >&2; return 1; }
    t3=$(now)
    keep_best best_base $((t1 - t0))
    keep_best best_cli $((t2 - t1))
    keep_best best_jobs2 $((t3 - t2))
  done
}
