#!/bin/sh
# cli_cases.sh WINE CLI_EXE SIM LONG_COM: the command line's safety rules as a
# Windows user meets them, against quelt-sim on the Wine COM port
# QUELT_TEST_COM (started by run_with_sim.sh), a second quelt-sim with other
# options (a long serial number, faults) on COM LONG_COM, and --find-port on the
# prefix's bridge key. Prints one line per case and "N passed, N failed".
set -u
# Wine passes arguments and file names through the locale: UTF-8.
export LC_ALL=C.UTF-8
wine=$1 cli=$2 sim=$3 long_com=$4
run_with_sim_lib=1
. "$(dirname "$0")/run_with_sim.sh"
port="COM$QUELT_TEST_COM"
dir=$(mktemp -d)
long_pid=
trap 'rm -rf "$dir"; stop_sim "$long_pid"' EXIT
# The simulator's transcript as a Linux path: what reached the analyser.
transcript=$(printf '%s' "${QUELT_TEST_TRANSCRIPT#Z:}" | tr '\\' /)
commands() { wc -l <"$transcript"; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
passed=0 failed=0

# case NAME STATUS TEXT ARGS...: the program exits with STATUS and its
# standard error holds TEXT.
case_() {
  name=$1 want=$2 text=$3
  shift 3
  "$wine" "$cli" --port "$port" "$@" >"$dir/out" 2>"$dir/err" </dev/null
  got=$?
  if [ "$got" -eq "$want" ] && grep -qF -- "$text" "$dir/err"; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name: exit $got (wanted $want), stderr:"
    sed 's/^/     /' "$dir/err"
  fi
}

row='1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;'
: >"$dir/empty.txt"
printf '%s\r\n2;1;Oil;nan;1;1;1;1;1;1;1\r\n' "$row" >"$dir/nan.txt"
printf '%s\r\n2;1;Erd\tgas;1;1;1;1;1;1;1;1\r\n' "$row" >"$dir/tab.txt"
printf '%s\r\n2;2;Gas;1;1;1;1;1;1;1;0\r\n' "$row" >"$dir/two.txt"

case_ "empty file" 2 "nothing to write" write "$(winpath "$dir/empty.txt")"
case_ "folder" 2 "is a folder" write "$(winpath "$dir")"
case_ "NaN" 2 "Co2Max is not a number" write "$(winpath "$dir/nan.txt")"
case_ "TAB in a description" 2 'control character \x09' write "$(winpath "$dir/tab.txt")"
case_ "backup" 0 "Saved 12 rows and the count" backup "$(winpath "$dir/before.txt")"
case_ "write with backup and check" 0 "2 row(s) verified" write --verify "$(winpath "$dir/two.txt")"
grep -q "Backup of the analyser's table: C:" "$dir/err" && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL the backup is not in the user's local application data"; }
case_ "restore" 0 "12 row(s) verified" restore "$(winpath "$dir/before.txt")"
"$wine" "$cli" --port "$port" backup "$(winpath "$dir/after.txt")" >/dev/null 2>&1 </dev/null
if grep '^Row [0-9]*: ' "$dir/before.txt" | cmp -s - "$(grep '^Row [0-9]*: ' "$dir/after.txt" >"$dir/rows" && echo "$dir/rows")"; then
  passed=$((passed + 1))
  echo "ok   restored rows are the rows before"
else
  failed=$((failed + 1))
  echo "FAIL restored rows differ"
fi

# A file name beyond any code page, rows with CR LF line ends: read whole,
# sent and checked; what the program writes has the system's line ends, and
# its standard output is UTF-8 when redirected.
uni="$dir/Brennstoffe \303\226l \342\202\254 \350\241\250.txt"
uni=$(printf "$uni")
printf '1;1;Heiz\303\266l;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;\r\n2;2;Gas;1;1;1;1;1;1;1;0\r\n' >"$uni"
case_ "CR LF rows under a Unicode name" 0 "2 row(s) verified" write --verify "$(winpath "$uni")"
case_ "backup to a Unicode name" 0 "Saved 2 rows and the count to" backup "$(winpath "$uni.bak")"
if [ -f "$uni.bak" ] && [ "$(grep -c "$(printf '\r')\$" "$uni.bak")" -eq "$(wc -l <"$uni.bak")" ]; then
  passed=$((passed + 1))
  echo "ok   the backup has CR LF line ends"
else
  failed=$((failed + 1))
  echo "FAIL the backup under the Unicode name is missing or has bare LF line ends"
fi
"$wine" "$cli" --port "$port" read >"$dir/read.txt" 2>/dev/null </dev/null
if grep -q "^1;1;$(printf 'Heiz\303\266l');15,4;.*$(printf '\r')\$" "$dir/read.txt"; then
  passed=$((passed + 1))
  echo "ok   read to a file: UTF-8 rows, CR LF"
else
  failed=$((failed + 1))
  echo "FAIL read to a file:"
  od -c "$dir/read.txt" | head -5 | sed 's/^/     /'
fi

# Backups: a damaged one is refused before anything reaches the analyser,
# an automatic one never replaces another, and a target that is no file is
# refused.
sed '0,/;15,4;/s//;15,5;/' "$dir/before.txt" >"$dir/tampered.txt"
sent=$(commands)
case_ "a tampered backup" 2 "does not match its check line" restore "$(winpath "$dir/tampered.txt")"
if [ "$(commands)" -eq "$sent" ]; then
  passed=$((passed + 1))
  echo "ok   nothing reached the analyser for the tampered backup"
else
  failed=$((failed + 1))
  echo "FAIL the tampered backup sent commands:"
  tail -n +"$((sent + 1))" "$transcript" | sed 's/^/     /'
fi
case_ "backup onto a folder" 2 "is a folder" backup "$(winpath "$dir")"
case_ "backup onto a device's name" 2 "is the name of a device" backup NUL
backup_of() { sed -n "s/^Backup of the analyser's table: //p" "$dir/err" | tr -d '\r'; }
case_ "first write" 0 "2 row(s) verified" write --verify "$(winpath "$dir/two.txt")"
first=$(backup_of)
first_file="$WINEPREFIX/drive_c/$(printf '%s' "${first#C:\\}" | tr '\\' /)"
first_sum=$(cksum <"$first_file")
case_ "second write" 0 "2 row(s) verified" write --verify "$(winpath "$dir/two.txt")"
second=$(backup_of)
if [ -n "$first" ] && [ "$first" != "$second" ] &&
  [ "$(printf '%s\n%s\n' "$second" "$first" | sort | head -1)" = "$first" ] &&
  [ "$(cksum <"$first_file")" = "$first_sum" ]; then
  passed=$((passed + 1))
  echo "ok   two backups, two names in time order, the first unchanged"
else
  failed=$((failed + 1))
  echo "FAIL backups '$first' then '$second'"
fi

# other_sim ARGS...: a second simulator with these options on COM$long_com
# (the one before it stopped); the cases then run against it.
long_link="$WINEPREFIX/dosdevices/com$long_com"
other_sim() {
  stop_sim "$long_pid"
  rm -f "$long_link"
  "$sim" --link "$long_link" "$@" >/dev/null &
  long_pid=$!
  wait_for -e "$long_link"
  port="COM$long_com"
}

# A serial number of 300 characters: a short folder of its own, and the
# write goes ahead.
long=$(printf '%0300d' 7)
other_sim --serial "$long"
case_ "write with a long serial number" 0 "2 row(s) verified" write --verify "$(winpath "$dir/two.txt")"
port="COM$QUELT_TEST_COM"
long_backup=$(backup_of)
folder=$(printf '%s' "$long_backup" | awk -F'\\' '{ print $(NF - 1) }')
if printf '%s' "$folder" | grep -qE '^0{23}-[0-9a-f]{8}$' && [ ${#long_backup} -lt 260 ]; then
  passed=$((passed + 1))
  echo "ok   the long serial number's folder is $folder"
else
  failed=$((failed + 1))
  echo "FAIL the backup for the long serial number is '$long_backup'"
fi

# diff: the table as read is the same, one changed value differs (exit 3,
# the field named on standard output); backups lists the files the writes
# above made, each checked.
"$wine" "$cli" --port "$port" read >"$dir/now.txt" 2>/dev/null </dev/null
case_ "diff, the same" 0 "Same: the analyser holds" diff "$(winpath "$dir/now.txt")"
sed '0,/;15,4;/s//;15,5;/' "$dir/now.txt" >"$dir/now-changed.txt"
case_ "diff, a value changed" 3 "1 difference(s)" diff "$(winpath "$dir/now-changed.txt")"
if grep -qF 'Row 1, Co2Max: file "15,5", analyser "15,4"' "$dir/out"; then
  passed=$((passed + 1))
  echo "ok   diff names the field"
else
  failed=$((failed + 1))
  echo "FAIL diff printed:"
  sed 's/^/     /' "$dir/out"
fi
case_ "backups" 0 "" backups
if [ "$(grep -c "   ok   C:" "$dir/out")" -ge 2 ]; then
  passed=$((passed + 1))
  echo "ok   backups lists the checked files"
else
  failed=$((failed + 1))
  echo "FAIL backups printed:"
  sed 's/^/     /' "$dir/out"
fi

# The way back on Windows: a count that is no number stops the write; the
# check compares values against an analyser with its own number format;
# identify shows how far the analyser got; an unchecked write says so.
other_sim --count-reply abc
case_ "a count that is no number" 1 "The analyser's row count \"abc\" is no number; nothing was sent." \
  write "$(winpath "$dir/two.txt")"
other_sim --own-numbers
case_ "values in the analyser's own format" 0 "2 row(s) verified" write "$(winpath "$dir/two.txt")"
case_ "a write without the check" 0 "sent, not checked" write --no-verify "$(winpath "$dir/two.txt")"
other_sim --silent-on R004
"$wine" "$cli" --port "$port" identify >"$dir/out" 2>"$dir/err" </dev/null
if [ $? -eq 1 ] && [ "$(tr -d '\r' <"$dir/out" | head -1)" = "Found      :QUELT 300" ] &&
  grep -qF "Communication error !" "$dir/err"; then
  passed=$((passed + 1))
  echo "ok   identify prints the lines that came before the failure"
else
  failed=$((failed + 1))
  echo "FAIL identify without an answer to R004:"
  sed 's/^/     /' "$dir/out" "$dir/err"
fi
port="COM$QUELT_TEST_COM"

# Discovery through the bridge's registry key of the prefix.
found=$("$wine" "$cli" --find-port 2>"$dir/err" </dev/null | tr -d '\r')
if [ "$found" = "COM$QUELT_TEST_BRIDGE_COM" ]; then
  passed=$((passed + 1))
  echo "ok   --find-port names the bridge's COM port"
else
  failed=$((failed + 1))
  echo "FAIL --find-port printed '$found' (wanted COM$QUELT_TEST_BRIDGE_COM), stderr:"
  sed 's/^/     /' "$dir/err"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
