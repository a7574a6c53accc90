#!/bin/sh
# Every option and command that PROGRAM's --help names appears in its manual
# page, so the page keeps up with the program.
#   check-manpage.sh PROGRAM PAGE
set -eu
program=$1 page=$2
help=$("$program" --help)
text=$(sed 's/\\-/-/g' "$page")
missing=""
# Options (--name) anywhere, and the command words the help lists as
# "  word ..." under its Commands heading.
words=$(printf '%s\n' "$help" | grep -o -e '--[a-z][a-z-]*' | sort -u)
commands=$(printf '%s\n' "$help" | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p' | sort -u)
for w in $words $commands; do
  printf '%s\n' "$text" | grep -q -F -e "$w" || missing="$missing $w"
done
if [ -n "$missing" ]; then
  echo "$page lacks what '$(basename "$program") --help' names:$missing" >&2
  exit 1
fi
echo "$page names all of: $(echo $words $commands)"
