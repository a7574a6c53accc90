#!/bin/sh
# trace_case.sh WINE CLI_EXE SIM CLI: a trace written by the Windows build
# replays to the same outcome. The Windows command line reads the table from
# quelt-sim on the Wine COM port QUELT_TEST_COM (started by run_with_sim.sh)
# with --trace; quelt-sim --replay then plays that trace, and the same read
# by the Linux command line must print the same table.
set -u
export LC_ALL=C.UTF-8
wine=$1 cli_exe=$2 sim=$3 cli=$4
run_with_sim_lib=1
. "$(dirname "$0")/run_with_sim.sh"
dir=$(mktemp -d)
pid=
trap 'rm -rf "$dir"; stop_sim "$pid"' EXIT
trace_win=$(printf 'Z:%s' "$dir/win.trace" | tr / '\\')
"$wine" "$cli_exe" --port "COM$QUELT_TEST_COM" --trace "$trace_win" read >"$dir/recorded" \
  2>"$dir/err" </dev/null
status=$?
if [ "$status" -ne 0 ] || [ ! -s "$dir/win.trace" ]; then
  echo "FAIL the traced read: exit $status"
  cat "$dir/err"
  exit 1
fi
"$sim" --replay "$dir/win.trace" >"$dir/device" 2>"$dir/replay.err" &
pid=$!
wait_for -s "$dir/device"
"$cli" --port "$(head -n 1 "$dir/device")" read >"$dir/replayed" 2>/dev/null </dev/null
status=$?
tr -d '\r' <"$dir/recorded" >"$dir/recorded.lf"
if [ "$status" -eq 0 ] && cmp -s "$dir/recorded.lf" "$dir/replayed"; then
  echo "ok   the Windows trace replays to the same table"
  exit 0
fi
echo "FAIL replay: exit $status"
diff "$dir/recorded.lf" "$dir/replayed"
cat "$dir/replay.err"
exit 1
