#!/bin/sh
# run_with_sim.sh SIM LINK TRANSCRIPT PROGRAM [ARGS...]
# Starts quelt-sim with its pseudo-terminal linked at LINK (a COM port of the
# Wine prefix) and its transcript in TRANSCRIPT, runs the program, stops the
# simulator and passes on the program's exit status.
set -u
sim=$1 link=$2 transcript=$3
shift 3
rm -f "$transcript"
# QUELT_SIM_ARGS: more options for the simulator (word-split on purpose).
# shellcheck disable=SC2086
"$sim" --link "$link" --transcript "$transcript" --silent-on NOREPLY ${QUELT_SIM_ARGS:-} >/dev/null &
pid=$!
tries=0
while [ ! -e "$link" ] && [ $tries -lt 100 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
# Wine reaches the transcript through its Z: drive.
QUELT_TEST_TRANSCRIPT="Z:$(printf '%s' "$transcript" | tr / '\\')"
export QUELT_TEST_TRANSCRIPT
# Wine's helper processes may outlive the program and keep its output open:
# collect the output in a file, so that nobody waits for them.
out="$transcript.out"
"$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $rc
