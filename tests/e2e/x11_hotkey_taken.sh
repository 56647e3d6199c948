#!/usr/bin/env bash
# The real program under a private Xvfb on which another X client already holds Alt + S, the
# stored camera-switch hotkey: the program shows its "hotkey_register_failed_dlg.xml" box before
# any lesson. The box's screenshot lands in SHOTS/LANGUAGE.
#
#   x11_hotkey_taken.sh BUILD_DIR en|cn SHOTS_DIR
#
# Skipped (77), or failed under CI, only when Xvfb or xdotool is not installed.
set -euo pipefail
language=$2
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=lesson_session.sh
. "$here/lesson_session.sh"
session_x11_test_begin hotkey "$1" "$language" "$3"

session_create_lesson 90
session_start_service
session_write_scenario 1000 2000
session_start_xvfb

# The other program, holding the grab for as long as it runs.
"$session_probe_bin" grab-alt s >"$run/grab.out" 2>&1 &
session_pids+=($!)
session_until 10 grep -q '^grabbed' "$run/grab.out" || fail "the other client could not grab Alt + S"

session_start_quorvel
session_wait_window QUORVEL_MAIN || fail "no main window"
session_wait_window QV-MSGBOX 10 || fail "no box about the taken hotkey"
grep -q "message box hotkey_register_failed_dlg.xml" "$session_dir/quorvel.log" ||
  fail "the box that came is not the taken-hotkey box ($(grep -o 'message box .*' "$session_dir/quorvel.log" | tail -n 1))"
session_settle 0.5
session_geometry QV-MSGBOX
[ "$win_width" -eq 360 ] && [ "$win_height" -eq 220 ] ||
  fail "the box is ${win_width} x ${win_height}, not 360 x 220"
session_shot "$shots/7-hotkey-taken.png"
session_quorvel_running || fail "the program ended on its own"
echo "PASS ($language): screenshot in $shots"
