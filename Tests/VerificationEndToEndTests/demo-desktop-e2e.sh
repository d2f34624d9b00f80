#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# demo-desktop-e2e.sh: the README's main command without a display, as a newcomer runs it but
# with what is built already: scripts/run starts its demo desktop, runs the whole fixture
# verification there and must end with exit status 0 and "Fixture verification: passed"; the
# report holds a miniature and every window back at exactly the frame it had before; the three
# screenshots are there, and the arranged one differs from the one before.
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${OUT:?OUT names the output folder}/demo
rm -rf "$out"

# A top-level value of the report (written one key to a line, two spaces in).
key() { sed -n "s/^  \"$2\": \"\{0,1\}\([^\",]*\)\"\{0,1\},\{0,1\}\$/\1/p" "$1" | head -1; }
# The entries of a top-level object of the report, one "key": "value" line each.
entries() {
  awk -v name="$2" '$0 == "  \"" name "\": {" { inside = 1; next }
    inside && /^  }/ { exit }
    inside { sub(/^ +/, ""); sub(/,$/, ""); print }' "$1"
}

env -u DISPLAY VOMIRA_RUN_SESSION=demo VOMIRA_BUILD_DIR="${BUILD:?BUILD names the build folder}" \
  VOMIRA_RUN_OUT="$out" "$root/scripts/run" >"$out.log" 2>&1
status=$?
cat "$out.log"
[ "$status" -eq 0 ] || fail "scripts/run exited with status $status"
grep -qx "Fixture verification: passed" "$out.log" || fail "no \"Fixture verification: passed\" line"

report=$out/verification.json
[ "$(key "$report" status)" = passed ] || fail "the report's status is not \"passed\""
miniatures=$(key "$report" miniatureCount)
[ "${miniatures:-0}" -ge 1 ] || fail "miniatureCount is ${miniatures:-absent}"
[ "$(key "$report" miniatureUIActionInvoked)" = true ] || fail "the miniature's press did not run its action"
original=$(entries "$report" originalFrames)
restored=$(entries "$report" restoredFrames)
[ "$(echo "$original" | grep -c .)" -eq 3 ] || fail "originalFrames does not hold three windows: $original"
[ "$original" = "$restored" ] || fail "frames not back exactly: before $original, after $restored"

# The screenshots: PNGs that are not blank; arranging changed what the screen shows.
for shot in 1-before 2-arranged 3-after; do
  png=$out/$shot.png
  [ "$(head -c 8 "$png" | od -An -c | tr -d ' ')" = '211PNG\r\n032\n' ] || fail "$png is not a PNG"
  [ "$(identify -format '%k' "$png")" -gt 16 ] || fail "$png is blank"
done
differing() { compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 | cut -d' ' -f1; }
[ "$(differing 1-before 2-arranged)" != 0 ] || fail "the arranged screenshot shows the desktop as it was"
echo "PASS"
