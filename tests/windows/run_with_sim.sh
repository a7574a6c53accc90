#!/bin/sh
# run_with_sim.sh SIM LINK TRANSCRIPT PROGRAM [ARGS...]
# Starts quelt-sim with its pseudo-terminal linked at LINK (a COM port of the
# Wine prefix) and its transcript in TRANSCRIPT, runs the program, stops the
# simulator and passes on the program's exit status.
#
# Sourced with run_with_sim_lib=1 set, it only defines the helpers below, for
# the scripts that start a simulator of their own.
set -u

# wait_for TEST FILE: waits up to ten seconds until `test TEST FILE` holds
# (-e: the link is there; -s: the simulator printed its device).
wait_for() {
  tries=0
  while [ ! "$1" "$2" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
}

# stop_sim PID: stops a simulator started in the background, if any.
stop_sim() {
  [ -z "$1" ] && return 0
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

if [ -n "${run_with_sim_lib:-}" ]; then
  return 0
fi

sim=$1 link=$2 transcript=$3
shift 3
rm -f "$transcript"
# QUELT_SIM_ARGS: more options for the simulator (word-split on purpose).
# shellcheck disable=SC2086
"$sim" --link "$link" --transcript "$transcript" --silent-on NOREPLY ${QUELT_SIM_ARGS:-} >/dev/null &
pid=$!
wait_for -e "$link"
# Wine reaches the transcript through its Z: drive.
QUELT_TEST_TRANSCRIPT="Z:$(printf '%s' "$transcript" | tr / '\\')"
export QUELT_TEST_TRANSCRIPT
# Wine's helper processes may outlive the program and keep its output open:
# collect the output in a file, so that nobody waits for them.
out="$transcript.out"
"$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
stop_sim "$pid"
exit $rc
