#!/bin/sh
# The Wine prefix the Windows test programs run in, made fresh for each run.
#   wine_prefix.sh setup BRIDGE_COM   new prefix with the registry keys below
#   wine_prefix.sh cleanup            stop its server and remove it
# WINEPREFIX names the folder. Only the 64-bit half of Wine is needed.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix folder}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case "$1" in
setup)
  bridge_com=$2
  wineserver -k 2>/dev/null || true  # a server left over from an earlier run
  rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
  mkdir -p "$WINEPREFIX"
  start=$(date +%s)
  # Wine's server and the services it starts outlive the calls that started
  # them; they must not hold this test's output open, or CTest waits for
  # them. Their output goes to a log, shown when a step fails.
  log="$WINEPREFIX.log"
  run() { "$@" </dev/null >>"$log" 2>&1 || { cat "$log" >&2; exit 1; }; }
  # One server for the whole run, started first so that every later call
  # finds it.
  run wineserver -p
  run wine wineboot -i
  # Korean as a Korean Windows shows it, where Malgun Gothic draws what the
  # UI font lacks: Noto Sans CJK (Debian: fonts-noto-cjk), which Wine finds
  # among the system's fonts, linked from the family that draws the UI font.
  # With Wine's own Tahoma (fonts-wine) that is Tahoma, whose links Wine
  # makes itself and which name Windows' Korean fonts (Gulim, Malgun
  # Gothic): Noto stands in for them. Without, Wine draws the UI font with DejaVu Sans, which gets a link
  # of its own. (Stand-ins without Tahoma would make Wine draw Latin letters
  # with Noto as well.)
  nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  cjk=/usr/share/fonts/opentype/noto
  if [ -f "$cjk/NotoSansCJK-Regular.ttc" ]; then
    if [ -f /usr/share/wine/fonts/tahoma.ttf ]; then
      for face in Gulim 'Malgun Gothic'; do
        run wine reg add "$nt\\FontSubstitutes" /v "$face" /t REG_SZ /d 'Noto Sans CJK KR' /f
      done
    else
      run wine reg add "$nt\\FontLink\\SystemLink" /v 'DejaVu Sans' /t REG_MULTI_SZ \
        /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK KR' /f
    fi
  else
    echo "No $cjk/NotoSansCJK-Regular.ttc (fonts-noto-cjk): Korean shows as boxes here"
  fi
  # The bridge driver's key as Windows writes it, and keys for the other
  # kinds of entry discovery has to cope with.
  usb='HKLM\SYSTEM\CurrentControlSet\Enum\USB'
  add() { run wine reg add "$usb\\$1\\Device Parameters" /v "$2" /t "$3" /d "$4" /f; }
  add 'Vid_10C4&Pid_830F&Mi_00\0001_00' PortName REG_SZ "COM$bridge_com"
  add 'Vid_ABCD&Pid_0001\0001' PortName REG_SZ COM12              # second key only
  add 'Vid_ABCD&Pid_0002&Mi_00\0001_00' PortName REG_DWORD 5       # not a string
  add 'Vid_ABCD&Pid_0002\0001' PortName REG_SZ COM6
  add 'Vid_ABCD&Pid_0003&Mi_00\0001_00' FriendlyName REG_SZ Bridge # no PortName
  add 'Vid_ABCD&Pid_0003\0001' PortName REG_SZ COM7
  add 'Vid_ABCD&Pid_0004&Mi_00\0001_00' PortName REG_EXPAND_SZ COM8
  # The ports the system lists, one of them twice and one that is no COM
  # port, and a friendly name for COM12 on its device's key.
  serial='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
  port() { run wine reg add "$serial" /v "$1" /t REG_SZ /d "$2" /f; }
  port '\Device\QueltTest10' com10
  port '\Device\QueltTest2' COM2
  port '\Device\QueltTest12' COM12
  port '\Device\QueltBridge' "COM$bridge_com"
  port '\Device\QueltBridgeAgain' "COM$bridge_com"
  port '\Device\QueltPrinter' LPT1
  run wine reg add "$usb\\Vid_ABCD&Pid_0001\\0001" /v FriendlyName /t REG_SZ \
    /d 'Test adapter (COM12)' /f
  echo "Wine prefix ready in $(( $(date +%s) - start )) s: $WINEPREFIX"
  ;;
cleanup)
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
  ;;
*)
  echo "usage: $0 setup BRIDGE_COM | cleanup" >&2
  exit 2
  ;;
esac
