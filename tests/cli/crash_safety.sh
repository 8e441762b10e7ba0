#!/usr/bin/env bash
# Kills larkspur-zip with SIGKILL at each file-changing system call of a first write and of an
# update (strace's fault injection), and stops it with SIGTERM, SIGHUP and SIGINT while it
# writes. After every kill the archive is absent, the old archive byte for byte or the complete
# new one, and the same command run again completes. Needs strace and ptrace rights (root in CI).
set -uo pipefail
. "$(dirname "$0")/cli_driver.sh"

if ! strace -o /dev/null true 2>/dev/null; then
  echo "SKIP: strace cannot trace here"
  exit 77
fi

# System calls that change files or their names, and close (which may flush).
CALLS=(openat write pwrite64 ftruncate fsync fdatasync rename renameat renameat2 link linkat
  unlink unlinkat close flock)
TRACE=$(IFS=,; echo "${CALLS[*]}")

make_item "$WORK/src/A" 3 4000 1
make_item "$WORK/src/B" 3 4000 2
# References: the archive of A (the "old" one an update starts from) and of A and B. The
# writer's output depends on its input alone, and an update carries entries over byte for byte.
add_command "$WORK/src/X.zip" "$WORK/src/A"
"${CMD[@]}" >/dev/null 2>&1 || fail "reference run of A"
cp "$WORK/src/X.zip" "$WORK/refA.zip"
add_command "$WORK/src/X.zip" "$WORK/src/B"
"${CMD[@]}" >/dev/null 2>&1 || fail "reference update with B"
cp "$WORK/src/X.zip" "$WORK/refAB.zip"
rm "$WORK/src/X.zip"

state_of() {
  local archive=$1
  if [ ! -e "$archive" ]; then
    echo absent
  elif cmp -s "$archive" "$WORK/refA.zip"; then
    echo A
  elif cmp -s "$archive" "$WORK/refAB.zip"; then
    echo AB
  else
    echo other
  fi
}

points=0
trials=0

# $1: a name for the scenario; $2: the archive each trial starts from ("" for none, or a
# reference); $3: the item the command adds.
crash_scenario() {
  local name=$1 start=$2 item=$3
  local archive="$WORK/src/X.zip"
  local complete=A
  [ -n "$start" ] && complete=AB
  begin() { rm -f "$archive"; [ -z "$start" ] || cp "$start" "$archive"; }
  add_command "$archive" "$item"
  begin
  strace -f -qq -o "$WORK/trace" -e trace="$TRACE" "${CMD[@]}" >/dev/null 2>&1 ||
    fail "$name: the traced run failed"
  begin
  local call count n
  for call in "${CALLS[@]}"; do
    count=$(grep -c "^[0-9]* *$call(" "$WORK/trace")
    for ((n = 1; n <= count; n++)); do
      points=$((points + 1))
      trials=$((trials + 1))
      # In a subshell that outlives strace, so the shell's "Killed" note goes nowhere.
      (strace -f -qq -o /dev/null -e trace="$call" -e inject="$call:signal=SIGKILL:when=$n" \
        "${CMD[@]}" >/dev/null 2>&1; true)
      local state
      state=$(state_of "$archive")
      case $state in
      absent | A | AB) ;;
      *) fail "$name: killed at $call #$n, the archive is neither absent, old nor complete" ;;
      esac
      [ "$complete" = A ] && [ "$state" = AB ] && fail "$name: impossible state at $call #$n"
      [ -n "$start" ] && [ "$state" = absent ] &&
        fail "$name: killed at $call #$n, the archive that existed is gone"
      # The same command again: it must finish what was asked, whatever was left behind.
      "${CMD[@]}" >/dev/null 2>"$WORK/err" ||
        fail "$name: rerun after a kill at $call #$n failed: $(cat "$WORK/err")"
      [ "$(state_of "$archive")" = "$complete" ] ||
        fail "$name: rerun after a kill at $call #$n did not write the whole archive"
      local left
      left=$(leftovers "$WORK/src" A B X.zip)
      [ -z "$left" ] || fail "$name: after a kill at $call #$n and a rerun, left: $left"
      begin
    done
  done
}

crash_scenario create "" "$WORK/src/A"
crash_scenario update "$WORK/refA.zip" "$WORK/src/B"
rm -f "$WORK/src/X.zip"

# Signals other than SIGKILL clean up like Ctrl-C: no archive or the old one, nothing left over.
# Incompressible data keeps the run busy long enough to be caught writing.
mkdir -p "$WORK/src/BIG"
for ((i = 0; i < 8; i++)); do
  head -c 4000000 /dev/urandom >"$WORK/src/BIG/r$i.bin"
done
for signal in TERM HUP INT; do
  add_command "$WORK/src/X.zip" "$WORK/src/BIG"
  "${CMD[@]}" >/dev/null 2>&1 &
  pid=$!
  # Caught while its temporary file grows.
  for ((wait = 0; wait < 200; wait++)); do
    compgen -G "$WORK/src/X.zip.lk*.tmp" >/dev/null && break
    sleep 0.02
  done
  sleep 0.1
  kill -s "$signal" "$pid"
  wait "$pid" && fail "SIG$signal: the run claimed success (it was not caught writing)"
  trials=$((trials + 1))
  [ "$(state_of "$WORK/src/X.zip")" = absent ] || fail "SIG$signal: an archive was left"
  left=$(leftovers "$WORK/src" A B BIG)
  [ -z "$left" ] || fail "SIG$signal left: $left"
done

echo "crash safety: $points kill points, $trials trials, all in an allowed state"
