#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# verification-e2e.sh: arvelo's fixture runs against arvelo-fixture under a real window manager
# on a full-size screen: the verification's failing path (arranging leaves every pane large, so
# no miniature is left to press and the verdict is "failed", with every other measurement true)
# and every fixture window back at its original frame; without the fixture's three windows the
# early-failure report; the dock scenario writes scenario.json with all its steps and PNG
# screenshots that are not blank, then quits.
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
home=$(mktemp -d); trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$home"' EXIT
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_STATE_HOME=$home/state ARVELO_STATE_DIR=$home/state-dir
mkdir -p "$XDG_CONFIG_HOME/Arvelo" "$XDG_CONFIG_HOME/Tenvik"
# No permissions window and no welcome guide of the kit over the screenshots.
echo '{"shownPermissions": true, "settings.hasCompletedOnboarding": true}' >"$XDG_CONFIG_HOME/Arvelo/defaults.json"
out=${OUT:-$home}/verification; rm -rf "$out"; mkdir -p "$out"

frames() { wmctrl -lG | grep ArveloFixture | awk '{ $2 = ""; print }' | sort; }
wait_for() { for _ in $(seq "$1"); do eval "$2" && return 0; sleep 0.1; done; return 1; }
# The fixture's frames once two readings a poll apart agree (the window manager has placed them).
settled_frames() {
  local last now
  last=$(frames)
  for _ in $(seq 50); do sleep 0.1; now=$(frames); [ "$now" = "$last" ] && break; last=$now; done
  echo "$now"
}
# A top-level value of a report (reports are written one key to a line, two spaces in).
key() { sed -n "s/^  \"$2\": \"\{0,1\}\([^\",]*\)\"\{0,1\},\{0,1\}\$/\1/p" "$1" | head -1; }

"$ARVELO_FIXTURE" & fixture=$!
wait_for 100 '[ "$(frames | wc -l)" -eq 3 ]' || fail "the fixture's windows did not appear"
before=$(settled_frames)

# The verification: a report with a verdict, every window back where it was.
report=$out/sub/verification.json
ARVELO_VERIFY_OUTPUT=$report "$ARVELO" --integration-fixture & arvelo=$!
wait_for 600 '[ -s "$report" ]' || fail "no verification report"
kill -TERM $arvelo; wait $arvelo
wait_for 50 '[ "$(frames)" = "$before" ]' || fail "fixture windows not back: $(frames)"
echo "verdict: $(key "$report" status), miniatures: $(key "$report" miniatureCount)"
# Every measurement that does not need a miniature tile holds under openbox.
for k in originalFramesRestored cursorStableDuringArrange focusCursorStable focusedNativeWindow \
  focusedNativeFrameMatchesPane arrangeKeepsSeparateTiles noOverlappingPanes noSingleWindowBars \
  centerDropCreatesTabs tabSwitchNativeWindow tabTearOffCreatesSplit dropKeepsAllWindows pointerStableAcrossDrops; do
  [ "$(key "$report" $k)" = true ] || fail "$k is not true in $report"
done
# The three windows share the screen in panes far larger than a miniature's: none is left to
# press, and that alone makes the verdict "failed".
[ "$(key "$report" miniatureCount)" = 0 ] && [ "$(key "$report" miniatureUIActionPresent)" = false ] &&
  [ "$(key "$report" status)" = failed ] ||
  fail "not the failing path of a screen without miniatures: $(cat "$report")"

# The dock scenario: every step recorded, a picture per snapshot, then it quits by itself.
shots=$out/scenario/not-yet
ARVELO_SCENARIO_DIR=$shots timeout 120 "$ARVELO" --dock-scenario || fail "the dock scenario ended with $?"
wait_for 50 '[ "$(frames)" = "$before" ]' || fail "fixture windows not back after the scenario: $(frames)"
steps=$(grep -o '"step": "[^"]*"' "$shots/scenario.json" | cut -d'"' -f4 | tr '\n' ' ')
[ "$steps" = "start first-resized-150-narrower third-onto-first-right-edge first-to-screen-left-edge second-onto-desktop second-onto-first-middle-tabs window-over-tab-bar zoomed-in float-all " ] ||
  fail "scenario.json steps: $steps"
for n in 1-start 2-first-resized-150-narrower 3-third-onto-first-right-edge 4-first-to-screen-left-edge \
  5-second-onto-desktop 6-second-onto-first-middle-tabs 8-zoomed-in 9-float-all; do
  png=$shots/scenario-$n.png
  [ "$(head -c 8 "$png" | od -An -c | tr -d ' ')" = '211PNG\r\n032\n' ] || fail "$png is not a PNG"
  colours=$(identify -format '%k' "$png") || fail "$png cannot be read"
  [ "$colours" -gt 16 ] || fail "$png is blank ($colours colours)"
done

# Two fixture windows: the early-failure report, nothing moved.
wmctrl -c "ArveloFixture 2"
wait_for 50 '[ "$(frames | wc -l)" -eq 2 ]' || fail "a fixture window did not close"
two=$(settled_frames)
blocked=$out/blocked.json
ARVELO_VERIFY_OUTPUT=$blocked "$ARVELO" --integration-fixture & arvelo=$!
wait_for 300 '[ -s "$blocked" ]' || fail "no early-failure report"
kill -TERM $arvelo; wait $arvelo
[ "$(key "$blocked" status)" = blocked ] && [ "$(key "$blocked" reason)" = "Open ArveloFixture first" ] ||
  fail "not the early-failure report: $(cat "$blocked")"
[ "$(settled_frames)" = "$two" ] || fail "windows moved by a blocked run"
echo "PASS"
