#!/bin/sh
# Writes the Debian changelog of a version from its CHANGELOG.md entry:
#   debian-changelog.sh CHANGELOG.md PACKAGE VERSION "NAME <MAIL>"
# The entry "## [VERSION] - YYYY-MM-DD" must exist: a version without one
# fails the build. Its "- " items become the changelog's items, each
# prefixed with the "### " heading above it.
set -eu
changelog=$1 package=$2 version=$3 maintainer=$4
date=$(sed -n "s/^## \[$version\] - \([0-9-]*\).*/\1/p" "$changelog")
if [ -z "$date" ]; then
  echo "$changelog has no entry '## [$version] - YYYY-MM-DD'" >&2
  exit 1
fi
echo "$package ($version) unstable; urgency=medium"
echo
awk -v v="## [$version]" '
  index($0, v) == 1 { inside = 1; next }
  inside && /^## / { exit }
  inside && /^### / { kind = substr($0, 5); next }
  inside && /^- / { if (item != "") print item; item = "  * " kind ": " substr($0, 3); next }
  inside && /^  +[^ ]/ { sub(/^ +/, ""); item = item " " $0; next }
  END { if (item != "") print item }
' "$changelog" | tr -d '`' | fold -s -w 76 | sed 's/ *$//; s/^\([^ ]\)/    \1/'
echo
echo " -- $maintainer  $(LC_ALL=C date -u -R -d "$date 12:00")"
