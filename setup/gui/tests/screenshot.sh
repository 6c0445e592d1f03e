#!/usr/bin/env bash
# screenshot.sh TITLE OUT.png [SECONDS]
# Writes a picture of the visible window whose title is exactly TITLE, on the X display
# $DISPLAY (the tests' virtual display), to OUT.png. Waits up to SECONDS (default 20) for the
# window, then one more second so that it is fully painted. Needs xdotool and ImageMagick.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: screenshot.sh TITLE OUT.png [SECONDS]" >&2; exit 2; }
title=$1 out=$2 seconds=${3:-20}
[ -n "${DISPLAY:-}" ] || { echo "screenshot.sh: DISPLAY is not set" >&2; exit 2; }

# The title as an anchored regular expression, its special characters escaped.
pattern="^$(printf '%s' "$title" | sed 's/[][\\.*^$(){}?+|]/\\&/g')\$"
deadline=$((SECONDS + seconds))
until window=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1) &&
      [ -n "$window" ]; do
  [ $SECONDS -lt $deadline ] || { echo "screenshot.sh: no window \"$title\"" >&2; exit 1; }
  sleep 0.2
done
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
