#!/usr/bin/env bash
# flakemorph.scr /s on a server with three heads of different sizes: one window over each head,
# exactly its bounds, each with an animation of its own (different pictures), and a key ends
# them all with status 0. With "on the primary monitor only" stored, the primary head alone
# shows circles and the two others stay black, still covered.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
# shellcheck source=tests/e2e/multimon.sh
source "$SOURCE_DIR/tests/e2e/multimon.sh"

HEADS=(1280x1024+0+0 1024x768+1280+0 800x600+0+1024)
start_multimon_x "${HEADS[*]}"
start_wine_server
trap 'wineserver -k 2>/dev/null || true; stop_multimon_x; cleanup' EXIT
store_settings

xdotool mousemove 700 500
FLAKEMORPH_STATS=1 start_saver /s
wait_until_drawing 3
expected=$(for head in "${HEADS[@]}"; do
  [[ $head =~ ^([0-9]+x[0-9]+)\+([0-9]+)\+([0-9]+)$ ]]
  echo "flakemorph: window ${BASH_REMATCH[1]} at ${BASH_REMATCH[2]},${BASH_REMATCH[3]}"
done | sort)
found=$(grep '^flakemorph: window ' "$WORK/app.err" | tr -d '\r' |
  sed -E 's/^(flakemorph: window )[0-9]+ \(full screen\): ([0-9]+x[0-9]+) pixels/\1\2/' | sort)
[[ "$found" == "$expected" ]] || fail "windows: $found"
pass "one window over each head: $(echo "$found" | sed 's/flakemorph: window //' | tr '\n' ' ')"

screenshot "$WORK/heads.png"
for head in "${HEADS[@]}"; do
  "$CONVERT" "$WORK/heads.png" -crop "$head" +repage "$WORK/head-$head.png"
  share=$(non_black_share "$WORK/head-$head.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.002 && s < 0.5) }' ||
    fail "head $head: a share of $share of its pixels is drawn; expected circles on black"
  pass "circles on head $head: $share of the pixels drawn"
done
# Each head's own flake: the top-left 800x600 of the two larger heads differ.
difference=$("$COMPARE" -metric AE "$WORK/head-${HEADS[0]}.png[800x600+0+0]" \
  "$WORK/head-${HEADS[1]}.png[800x600+0+0]" null: 2>&1 || true)
((${difference%% *} > 1000)) || fail "two heads show the same picture ($difference pixels differ)"
pass "the heads show pictures of their own ($difference pixels differ)"

xdotool key space
wait_for_exit 10
[[ "$APP_STATUS" == 0 ]] || fail "a key: status $APP_STATUS"
pass "a key ends all three with status 0"
cp "$WORK/heads.png" "${SCREENSHOT_COPY:-/dev/null}" 2>/dev/null || true

wine reg add "$SETTINGS_KEY" /v PrimaryOnly /t REG_DWORD /d 1 /f >/dev/null
xdotool mousemove 700 500
FLAKEMORPH_STATS=1 start_saver /s
wait_until_drawing 3
grep -Eq "^flakemorph: window [0-9]+ \(full screen\): ${HEADS[1]%%+*} pixels at 1280,0, black$" \
  <(tr -d '\r' <"$WORK/app.err") ||
  fail "primary only: $(grep '^flakemorph: window' "$WORK/app.err")"
screenshot "$WORK/primary.png"
for head in "${HEADS[@]}"; do
  "$CONVERT" "$WORK/primary.png" -crop "$head" +repage "$WORK/primary-$head.png"
  share=$(non_black_share "$WORK/primary-$head.png")
  if [[ "$head" == *+0+0 ]]; then
    awk -v s="$share" 'BEGIN { exit !(s > 0.002 && s < 0.5) }' || fail "primary head: $share drawn"
  else
    [[ "$share" == 0 ]] || fail "head $head is not black with the primary only: $share drawn"
  fi
done
xdotool key space
wait_for_exit 10
[[ "$APP_STATUS" == 0 ]] || fail "primary only, a key: status $APP_STATUS"
store_settings
pass "on the primary monitor only: circles on ${HEADS[0]}, the two other heads black"
echo PASS
