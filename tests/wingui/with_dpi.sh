#!/bin/sh
# with_dpi.sh DPI COMMAND [ARGS...]
# Runs COMMAND on this display with the Wine prefix's screen resolution set
# to DPI (the LogPixels values Wine reads at a program's start), then sets it
# back to 96. Wine's server and desktop are started afresh for the display
# and stopped afterwards: a desktop left from another display draws nothing.
set -u
dpi=$1
shift
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
set_dpi() {
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1 || return 1
  done
}
set_dpi "$dpi" || { echo "with_dpi.sh: cannot set LogPixels" >&2; exit 1; }
"$@"
rc=$?
set_dpi 96
wineserver -k 2>/dev/null
exit $rc
