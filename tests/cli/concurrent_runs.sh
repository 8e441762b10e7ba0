#!/usr/bin/env bash
# Two larkspur-zip runs at once on one archive name, again and again: on a missing archive (both
# create it) and on an existing one (both update it). Whatever the timing, the archive is whole,
# and every run that reported success has all of its files in it; a run that did not says why.
set -uo pipefail
. "$(dirname "$0")/cli_driver.sh"

ROUNDS=${ROUNDS:-15}
make_item "$WORK/src/A" 4 20000 1
make_item "$WORK/src/B" 4 20000 2
make_item "$WORK/src/C" 2 20000 3
make_item "$WORK/src/D" 2 20000 4
archive="$WORK/src/X.zip"

# Runs two command lines at once; checks the archive against the runs that succeeded.
# $1, $2: the items of each run, space-separated.
race() {
  local label=$1 first=$2 second=$3
  local -a items1 items2
  read -ra items1 <<<"$first"
  read -ra items2 <<<"$second"
  add_command "$archive" "${items1[@]/#/$WORK/src/}"
  "${CMD[@]}" >/dev/null 2>"$WORK/err1" &
  local pid1=$!
  add_command "$archive" "${items2[@]/#/$WORK/src/}"
  "${CMD[@]}" >/dev/null 2>"$WORK/err2" &
  local pid2=$!
  wait $pid1
  local rc1=$?
  wait $pid2
  local rc2=$?
  ((rc1 == 0 || rc2 == 0)) || fail "$label: neither run succeeded: $(cat "$WORK/err1" "$WORK/err2")"
  local names
  names=$(archive_names "$archive") || fail "$label: the archive is not whole"
  local rc items err
  for run in 1 2; do
    if ((run == 1)); then rc=$rc1 items=$first err="$WORK/err1"; else rc=$rc2 items=$second err="$WORK/err2"; fi
    if ((rc != 0)); then
      [ -s "$err" ] || fail "$label: run $run failed without a word"
      continue
    fi
    for item in $items; do
      for f in "$WORK/src/$item"/*; do
        grep -qxF "$(basename "$f")" <<<"$names" ||
          fail "$label: run $run reported success, but $(basename "$f") is not in the archive"
      done
    done
  done
  local left
  left=$(leftovers "$WORK/src" A B C D X.zip)
  [ -z "$left" ] || fail "$label: left behind: $left"
  successes=$((successes + (rc1 == 0) + (rc2 == 0)))
  # Both succeeded: they overlapped and the later one added to the earlier one's archive.
  ((rc1 == 0 && rc2 == 0)) && both=$((both + 1))
  return 0
}

successes=0
both=0
for ((round = 0; round < ROUNDS; round++)); do
  rm -f "$archive"
  race "missing archive, round $round" "A" "B"
done
for ((round = 0; round < ROUNDS; round++)); do
  rm -f "$archive"
  add_command "$archive" "$WORK/src/C"
  "${CMD[@]}" >/dev/null 2>&1 || fail "could not create the archive to update"
  race "existing archive, round $round" "A" "B"
done
echo "concurrent runs: $((2 * ROUNDS)) races of two runs, $successes runs succeeded" \
  "(both of a race in $both), nothing lost"
