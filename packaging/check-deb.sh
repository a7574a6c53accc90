#!/usr/bin/env bash
# Checks the Debian package the way a technician's machine will meet it:
# lintian finds no error and no warning other than those accepted in
# linux/lintian-accepted; unpacked into a temporary root, every file is where
# Debian puts it and nothing else is there, the programs start from there and
# work against the simulator, the manual pages render, the desktop file and
# the AppStream file are valid and name the program in every language, and
# the dependencies were computed from the programs.
#   check-deb.sh PACKAGE.deb VERSION
set -uo pipefail
deb=$(realpath "$1") version=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
sim_pid=""
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$root"' EXIT

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

lintian_clean() {
  # Warnings that stay are named, with the reason, in the accepted list;
  # anything else at warning level or above fails.
  lintian --fail-on error,warning --display-info \
    --suppress-tags-from-file "$here/linux/lintian-accepted" "$deb"
}
check "lintian: no errors, no warnings beyond the accepted ones" lintian_clean

dpkg-deb -x "$deb" "$root"
sizes="16 22 24 32 48 64 128 256"
expected() {
  echo ./lib/udev/rules.d/70-quelt-analyser.rules
  for p in quelt-fuel quelt-fuel-cli quelt-sim; do
    echo "./usr/bin/$p"
    echo "./usr/share/man/man1/$p.1.gz"
  done
  echo ./usr/share/applications/quelt-fuel.desktop
  echo ./usr/share/doc/quelt-fuel/changelog.gz
  echo ./usr/share/doc/quelt-fuel/copyright
  echo ./usr/share/doc/quelt-fuel/USER-GUIDE.de.md
  echo ./usr/share/doc/quelt-fuel/USER-GUIDE.md
  for l in cs es fi it ko pl ru; do echo "./usr/share/doc/quelt-fuel/QUICKSTART.$l.md"; done
  for s in $sizes; do echo "./usr/share/icons/hicolor/${s}x$s/apps/quelt-fuel.png"; done
  echo ./usr/share/icons/hicolor/scalable/apps/quelt-fuel.svg
  echo ./usr/share/metainfo/quelt-fuel.metainfo.xml
}
file_list() { diff -u <(expected | sort) <(cd "$root" && find . ! -type d | sort); }
check "every file where Debian puts it, and no other" file_list

owners() {
  ! dpkg-deb -c "$deb" | awk '$2 != "root/root"' | grep .
}
check "every file belongs to root" owners

depends() {
  local d
  d=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $d"
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins \
    fonts-dejavu-core; do
    [[ ", $d," == *", $lib"[\ ,]* ]] || { echo "missing $lib"; return 1; }
  done
  # Korean needs a CJK font.
  [ "$(dpkg-deb -f "$deb" Recommends)" = fonts-noto-cjk ] || { echo "no fonts-noto-cjk in Recommends"; return 1; }
}
check "dependencies computed from the programs, and the fonts" depends

version_of() {  # program
  local got
  got=$("$root/usr/bin/$1" --version) || return 1
  [ "$got" = "$1 $version" ] || { echo "got '$got', want '$1 $version'"; return 1; }
}
for p in quelt-fuel quelt-fuel-cli quelt-sim; do
  check "$p --version from the unpacked root" version_of "$p"
done

# The unpacked programs at work: the command line and the window against the
# unpacked simulator.
exec {sim_out}< <(exec "$root/usr/bin/quelt-sim")
sim_pid=$!
read -r -t 10 device <&"$sim_out"
identify() {
  local out
  out=$("$root/usr/bin/quelt-fuel-cli" --port "$device" identify) || return 1
  echo "$out"
  grep -q '^Found' <<<"$out"
}
check "quelt-fuel-cli identify on quelt-sim from the unpacked root" identify
# The installed window has no scripts' hooks (those live in the probe build,
# which is not packaged): it must start, find its libraries and its Qt
# platform, and stay up on the simulator's port until it is stopped.
window() {
  local err status
  err=$(mktemp)
  QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/quelt-fuel" --port "$device" 2>"$err"
  status=$?
  grep -v "XDG_RUNTIME_DIR" "$err"
  [ "$status" -eq 124 ] && ! grep -qv "XDG_RUNTIME_DIR" "$err"
  local ok=$?
  rm -f "$err"
  return $ok
}
check "quelt-fuel starts on quelt-sim's port and keeps running, from the unpacked root" window
kill "$sim_pid" 2>/dev/null
sim_pid=""

manpage() {  # page
  local out err
  err=$(mktemp)
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>"$err") || { cat "$err"; return 1; }
  [ ! -s "$err" ] || { cat "$err"; rm -f "$err"; return 1; }
  rm -f "$err"
  grep -q NAME <<<"$out"
}
for p in quelt-fuel quelt-fuel-cli quelt-sim; do
  check "man -l $p.1.gz renders without warnings" manpage "$root/usr/share/man/man1/$p.1.gz"
done

desktop() {
  local out
  out=$(desktop-file-validate "$root/usr/share/applications/quelt-fuel.desktop") || {
    echo "$out"; return 1; }
  # Hints are fine; anything stronger is not.
  ! grep -v -e '^$' -e 'hint:' <<<"$out"
}
check "desktop-file-validate" desktop

# The names and summaries software centres show, in the window's nine
# languages. The component id stays "quelt-fuel", the id the package has
# always had, which AppStream would rather see in reverse-DNS form: that
# warning is accepted; every other warning and every error fails.
appstream() {
  local out
  out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/quelt-fuel.metainfo.xml")
  echo "$out"
  ! grep -E '^(E|W):' <<<"$out" | grep -v 'cid-desktopapp-is-not-rdns'
}
check "appstreamcli validate: no errors, no warnings beyond the id's" appstream
translated() {  # every one of the nine languages names the program in both files
  local l
  for l in cs de es fi it ko pl ru; do
    grep -q "^Name\[$l\]=" "$root/usr/share/applications/quelt-fuel.desktop" &&
      grep -q "^Comment\[$l\]=" "$root/usr/share/applications/quelt-fuel.desktop" &&
      grep -q "<name xml:lang=\"$l\">" "$root/usr/share/metainfo/quelt-fuel.metainfo.xml" &&
      grep -q "<summary xml:lang=\"$l\">" "$root/usr/share/metainfo/quelt-fuel.metainfo.xml" ||
      { echo "no name or summary in $l"; return 1; }
  done
}
check "desktop entry and AppStream file: name and summary in every language" translated

icons() {
  local s got
  for s in $sizes; do
    got=$(file -b "$root/usr/share/icons/hicolor/${s}x$s/apps/quelt-fuel.png")
    grep -q "PNG image data, $s x $s" <<<"$got" || { echo "${s}x$s: $got"; return 1; }
  done
}
check "PNG icons have the sizes of their folders" icons

udev_rule() {
  local r=$root/lib/udev/rules.d/70-quelt-analyser.rules
  grep -v '^#' "$r" | grep -q 'ATTRS{idVendor}=="10c4", ATTRS{idProduct}=="830f"' &&
    grep -q 'TAG+="uaccess"' "$r" && grep -q 'SYMLINK+="quelt-analyser"' "$r"
}
check "udev rule: the bridge, uaccess, /dev/quelt-analyser" udev_rule

scripts_parse() {
  local d
  d=$(mktemp -d)
  dpkg-deb -e "$deb" "$d" && sh -n "$d/postinst" && sh -n "$d/postrm"
  local s=$?
  rm -rf "$d"
  return $s
}
check "maintainer scripts parse" scripts_parse

echo "deb: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
