# Shared by the bench scripts (sourced): a clock, and the best of runs.

now() { date +%s%N; }  # ns

# keep_best VAR NS: VAR becomes NS when NS is less (0 holds no time yet).
keep_best() {
  local -n best_so_far=$1
  { [ "$best_so_far" -eq 0 ] || [ "$2" -lt "$best_so_far" ]; } && best_so_far=$2
  return 0
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
