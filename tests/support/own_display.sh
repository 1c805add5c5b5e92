#!/usr/bin/env bash
# Runs a test on an X server of its own: tests that run beside it on a shared display could
# cover its windows (a still picture, a window that is never exposed) or be covered by its
# full-screen window. Xvfb picks a free display number itself and writes it when it is ready;
# -noreset keeps it from resetting between the test's connections, which would refuse them.
set -uo pipefail
dir=$(mktemp -d)
mkfifo "$dir/ready"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -noreset -nolisten tcp 3>"$dir/ready" 2>"$dir/log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 30 number <"$dir/ready"; then
  echo "own_display: Xvfb did not start:" >&2
  cat "$dir/log" >&2
  exit 1
fi
status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"
