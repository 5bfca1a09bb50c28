#!/bin/sh
# Formats the manual page with every groff warning on; any warning fails,
# and so does a page that renders without its sections.
set -u
groff=$1
page=$2
warnings=$("$groff" -man -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  printf '%s\n' "$warnings"
  exit 1
fi
# Warnings were checked above (there were none); this run gives the text.
text=$("$groff" -man -Tutf8 -P-cbou "$page")
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS "PRIVATE DIRECTORY" CONFIGURATION \
               ENVIRONMENT "EXIT STATUS" FILES "SEE ALSO"; do
  printf '%s\n' "$text" | grep -qx "$heading" || { echo "missing section: $heading"; exit 1; }
done
echo "manual page: no groff warnings"
