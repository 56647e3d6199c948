#!/usr/bin/env bash
# The login view from the keyboard, in the real program under a private Xvfb driven with
# xdotool: a code typed right after start and sent with Enter goes out exactly as typed, and one
# selected in another program pastes with the middle button; then Tab reaches the camera list,
# whose arrows and Enter pick the other camera, and Tab and Space on the join button join the
# lesson with it. Screenshots of each step land in SHOTS/LANGUAGE.
#
#   x11_keyboard_road.sh BUILD_DIR en|cn SHOTS_DIR
#
# Skipped (77), or failed under CI, only when Xvfb or xdotool is not installed.
set -euo pipefail
language=$2
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=lesson_session.sh
. "$here/lesson_session.sh"
session_x11_test_begin keyboard "$1" "$language" "$3"
sent_code() { session_service requests | grep '"path":"/User/loginCode"' | grep -q "code=$1[&\"]"; }
# send_wrong_code CODE HOW: Enter sends the field, which must hold exactly CODE (a wrong one),
# and the wrong code's notice comes and goes.
send_wrong_code() {
  xdotool key Return
  session_until 10 sent_code "$1" || fail "the code $2 did not go out as it was"
  session_wait_window QV-OVERLAY 10 || fail "no notice for the wrong code $1"
  session_wait_no_window QV-OVERLAY 8 || fail "the notice stayed"
}

session_create_lesson 90 --duration 600
session_start_service
session_use_two_cameras
session_write_scenario 1000 2000
session_private_program
session_start_xvfb
session_start_quorvel

session_step "a code typed right after start"
session_wait_window QUORVEL_MAIN || fail "no main window"
session_until 10 session_requested /init/getPCConfig || fail "no configuration request"
session_settle 1
session_focus_main || fail "the main window cannot take the keyboard"
xdotool type --delay 30 12345678
send_wrong_code 12345678 typed

session_step "a code selected in another program, pasted with the middle button"
xdotool key ctrl+a BackSpace
printf '87654321' | timeout 20 xclip -selection primary -i -loops 1 -quiet >/dev/null 2>&1 &
session_pids+=($!)
session_settle 0.5
session_geometry QUORVEL_MAIN || fail "no main window geometry"
# The code field's right end (login_view.xml), where a middle click pastes.
xdotool mousemove "$((win_x + 690))" "$((win_y + 314))" click 2
session_settle 0.3
send_wrong_code 87654321 "pasted with the middle button"

session_step "the other camera, picked with the keyboard"
xdotool key ctrl+a BackSpace
xdotool type --delay 30 "$code_student"
xdotool key Tab
session_settle 0.3
xdotool key Down
session_settle 0.3
xdotool key Down
session_settle 0.3
session_shot "$shots/1-camera-list-from-the-keyboard.png"
xdotool key Return
session_settle 0.3
session_shot "$shots/2-camera-picked.png"

session_step "Tab to the join button and Space"
xdotool key Tab
xdotool key Tab
session_settle 0.3
session_shot "$shots/3-join-button-focused.png"
xdotool key space
session_until 10 session_requested /Meeting/studentAccess || fail "Space on the join button did not join"
session_until 15 session_reported "$uid_student" enter || fail "the classroom never opened"
session_until 10 session_engine_logged 'camera "cam-b" captured' || fail "the lesson did not take the picked camera"
session_engine_logged 'camera "cam-a" captured' && fail "the first camera was taken too"

session_quorvel_running || fail "the program ended on its own"
echo "PASS ($language): screenshots in $shots"
