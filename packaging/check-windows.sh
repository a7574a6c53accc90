#!/usr/bin/env bash
# Checks the Windows zip and installer under Wine in a fresh 64-bit prefix:
# the zip holds the programs and README.txt and its command line runs; the
# installer, run silently (/S), puts the programs into the user's
# %LOCALAPPDATA%\Programs\quelt-fuel, the installed command line runs from
# there, the Start-menu entries and the entry in the installed programs list
# exist; the uninstaller, run silently, removes all of that and keeps the
# user's backups. On a Russian Windows the installer names the entries in
# Russian, and an uninstaller started in English still removes them.
#   check-windows.sh ZIP SETUP.exe VERSION
set -uo pipefail
zip=$(realpath "$1") setup=$(realpath "$2") version=$3
tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko downloads; no menu entries or file associations on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine takes Windows' language from the locale: English unless said otherwise.
export LC_ALL=C.UTF-8
trap 'wineserver -k 2>/dev/null; rm -rf "$tmp"' EXIT

passed=0 failed=0
check() {  # description, command...
  local what=$1 out
  shift
  if out=$("$@" 2>&1); then
    passed=$((passed + 1)); echo "ok   $what"
  else
    failed=$((failed + 1)); echo "FAIL $what"; printf '%s\n' "$out" | sed 's/^/     /'
  fi
}
# Wine's server and the services it starts outlive the calls that started
# them: they must not hold this script's output open.
w() { timeout 300 wine "$@" </dev/null 2>>"$tmp/wine.log"; }
unix_path() { winepath -u "$1" 2>>"$tmp/wine.log" | tr -d '\r'; }

name=$(basename "$zip" .zip)
zip_contents() {
  local f
  unzip -q "$zip" -d "$tmp/zip" || return 1
  for f in quelt-fuel-cli.exe README.txt LICENSE.txt USER-GUIDE.txt USER-GUIDE.de.txt $quickstarts; do
    [ -f "$tmp/zip/$name/$f" ] || { echo "no $name/$f in the zip"; return 1; }
  done
}
# The quick start of each language without a user guide of its own.
quickstarts=$(for l in cs es fi it ko pl ru; do printf 'QUICKSTART.%s.txt ' "$l"; done)
check "zip holds the command line, README.txt, LICENSE.txt, both user guides and the quick starts" zip_contents
window=0
[ -f "$tmp/zip/$name/quelt-fuel.exe" ] && window=1

mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null
prefix() { w wineboot -i >/dev/null; }
check "fresh Wine prefix" prefix

version_from() {  # exe
  local got
  got=$(w "$1" --version | tr -d '\r') || { cat "$tmp/wine.log"; return 1; }
  [ "$got" = "quelt-fuel-cli $version" ] || { echo "got '$got'"; return 1; }
}
check "quelt-fuel-cli.exe --version from the zip" version_from "$tmp/zip/$name/quelt-fuel-cli.exe"

# On a busy machine the prefix may still be settling after wineboot: ask
# again (and let wineboot finish its work) until the user's folders answer.
user_folder() {  # variable name
  local tries answer
  for tries in 1 2 3 4 5; do
    answer=$(w cmd /c echo "%$1%" | tr -d '\r')
    case $answer in
      [A-Za-z]:\\*) unix_path "$answer"; return 0 ;;
    esac
    w wineboot -u >/dev/null
    sleep 2
  done
  echo "no %$1% from Wine" >&2
  return 1
}
local_app=$(user_folder LOCALAPPDATA) || exit 1
roaming=$(user_folder APPDATA) || exit 1
instdir=$local_app/Programs/quelt-fuel
menu=$roaming/Microsoft/Windows/Start\ Menu/Programs
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\quelt-fuel'
backup=$local_app/quelt-fuel/backups/analyser-table.txt
mkdir -p "$(dirname "$backup")" && echo "a backup" >"$backup"

install() { w "$setup" /S; }
check "installer runs silently (/S)" install

installed_files() {
  local f
  for f in quelt-fuel-cli.exe README.txt LICENSE.txt USER-GUIDE.txt USER-GUIDE.de.txt $quickstarts uninstall.exe; do
    [ -f "$instdir/$f" ] || { echo "no $instdir/$f"; ls -la "$instdir"; return 1; }
  done
  if [ "$window" = 1 ]; then [ -f "$instdir/quelt-fuel.exe" ] || { echo "no quelt-fuel.exe"; return 1; }; fi
}
check "files in %LOCALAPPDATA%\\Programs\\quelt-fuel" installed_files
check "installed quelt-fuel-cli.exe --version" version_from "$instdir/quelt-fuel-cli.exe"

shortcuts() {
  [ -f "$menu/QUELT fuel command line.lnk" ] || { echo "no command line entry"; ls -la "$menu"; return 1; }
  if [ "$window" = 1 ]; then
    [ -f "$menu/QUELT fuel list update.lnk" ] || { echo "no window entry"; return 1; }
  else
    [ ! -e "$menu/QUELT fuel list update.lnk" ] || { echo "a window entry without a window program"; return 1; }
  fi
}
check "Start-menu entries (the window's only with quelt-fuel.exe: $window)" shortcuts

uninstall_entry() {
  local out
  out=$(w reg query "$key" | tr -d '\r') || { echo "no $key"; return 1; }
  echo "$out"
  grep -q "DisplayVersion.*REG_SZ.*$version\$" <<<"$out" &&
    grep -q 'UninstallString.*uninstall.exe' <<<"$out" && grep -q 'DisplayName.*REG_SZ' <<<"$out"
}
check "entry in the installed programs list, with the version" uninstall_entry

uninstall() {
  # The uninstaller copies itself away, starts the copy and returns: wait
  # for the copy to remove the folder and, last, the entry (the server
  # stays, so wineserver -w would not return).
  w "$instdir/uninstall.exe" /S || return 1
  local waited=0
  while { [ -e "$instdir" ] || w reg query "$key" >/dev/null; } && [ "$waited" -lt 120 ]; do
    sleep 1
    waited=$((waited + 1))
  done
}
check "uninstaller runs silently (/S)" uninstall

removed() {
  local left=0
  [ ! -e "$instdir" ] || { echo "left: $instdir"; ls -la "$instdir"; left=1; }
  ! ls "$menu"/*.lnk 2>/dev/null || left=1
  if w reg query "$key" >/dev/null; then echo "left: $key"; left=1; fi
  [ "$left" = 0 ]
}
check "uninstaller removed the programs, the Start-menu entries and the entry" removed
kept() { [ -f "$backup" ] || { echo "the backup is gone"; return 1; }; }
check "backups stay" kept

# The installer in the system's language, here Russian: Wine takes it from
# the locale, which is made here (Debian's locales data) rather than asked of
# the machine.
russian() {
  mkdir -p "$tmp/locale" &&
    localedef -i ru_RU -f UTF-8 "$tmp/locale/ru_RU.UTF-8" &&
    LOCPATH=$tmp/locale LC_ALL=ru_RU.UTF-8 w "$setup" /S || return 1
  [ -f "$menu/Обновление списка топлив QUELT.lnk" ] &&
    [ -f "$menu/QUELT топливо — командная строка.lnk" ] ||
    { echo "no Russian Start-menu entries:"; ls -la "$menu"; return 1; }
}
check "installer on a Russian Windows: Russian Start-menu entries" russian
check "uninstaller started in English removes them" uninstall
check "nothing left after the Russian install" removed

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
