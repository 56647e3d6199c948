#!/usr/bin/env bash
# The real program under a private Xvfb, driven with xdotool as a student would: a wrong code
# first, then the right one, the network test, the classroom with the other two, the layout
# switch, the settings dialog and the camera-switch hotkey; then the display goes, and the
# program leaves the lesson and ends as on a logout. Screenshots of each step land in
# SHOTS/LANGUAGE; what is checked comes from the screen's pixels, from the program's windows,
# from the engine's log and from what the lesson service received.
#
#   x11_lesson_road.sh BUILD_DIR en|cn SHOTS_DIR
#
# Skipped (77), or failed under CI, only when Xvfb or xdotool is not installed.
set -euo pipefail
language=$2
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=lesson_session.sh
. "$here/lesson_session.sh"
session_x11_test_begin road "$1" "$language" "$3"

# stats_of X Y W H: sets colours and dark for that part of the screen.
stats_of() {
  read -r _ colours _ dark < <("$session_probe_bin" stats "$@")
}

session_create_lesson 90 --duration 600 --screen-sharing --recording
session_start_service
session_use_two_cameras
session_write_scenario 1000 2000
session_private_program
session_start_xvfb
session_start_quorvel

session_step "the login view"
session_wait_window QUORVEL_MAIN || fail "no main window"
session_geometry QUORVEL_MAIN || fail "no main window geometry"
main_x=$win_x main_y=$win_y main_width=$win_width main_height=$win_height
# The login view's picture, not the classroom's black, fills the window.
login_drawn() {
  stats_of "$main_x" "$main_y" "$main_width" "$main_height"
  [ "$colours" -ge 20 ] && [ "$dark" -lt 50 ]
}
session_until 10 login_drawn || fail "the login view was never shown ($colours colours, $dark% dark)"
session_until 10 session_requested /init/getPCConfig || fail "no configuration request"
session_settle 1
session_shot "$shots/1-login.png"

session_step "a wrong code"
session_type_code 00000000
session_wait_window QV-OVERLAY 10 || fail "no notice for the wrong code"
session_shot "$shots/2-wrong-code-notice.png"
session_requested /User/loginCode || fail "the code never reached the service"
session_wait_no_window QV-OVERLAY 8 || fail "the notice stayed"
session_requested /Meeting/studentAccess && fail "a refused code went on to the access request"

session_step "the student's code and the network test"
session_type_code "$code_student"
session_wait_window FloatTipWnd 10 || fail "no network-test tip"
session_shot "$shots/3-network-test.png"
session_requested /Meeting/studentAccess || fail "no access request"
# The classroom is open once the own join is reported; the lesson is still to come, so the
# alarm bar counts the minutes over it.
session_until 15 session_reported "$uid_student" enter || fail "the classroom never opened"
session_wait_window QV-ALERMBAR 5 || fail "no alarm bar before the lesson's start"

session_step "the classroom with the other two"
session_until 15 session_reported "$uid_teacher" enter || fail "the teacher never joined"
session_until 15 session_reported "$uid_assistant" enter || fail "the assistant never joined"
session_settle 1
# The classroom below the caption, without the control bar's strip.
area=("$main_x" "$((main_y + 40))" "$main_width" "$((main_height - 240))")
stats_of "${area[@]}"
[ "$colours" -ge 8 ] || fail "no video in the classroom ($colours colours)"
# The window's left edge, above the alarm bar: the big tile's black margin in picture in
# picture, the first tile's picture side by side.
left_edge=("$((main_x + 10))" "$((main_y + 130))" 90 100)
stats_of "${left_edge[@]}"
[ "$dark" -ge 90 ] || fail "picture in picture has no margin at the left edge ($dark% dark)"
session_shot "$shots/4-classroom-picture-in-picture.png"

# show_bar: the control bar comes with a mouse move over the classroom (above the alarm bar,
# which takes no mouse); its five buttons sit centred in one row (control_bar.xml: 88 pixels
# each, 10 between, the hang-up 14 further).
show_bar() {
  xdotool mousemove "$((main_x + 300))" "$((main_y + 150))"
  sleep 0.2
  xdotool mousemove "$((main_x + 320))" "$((main_y + 160))"
  session_wait_window QV-CONTROLBAR 5 || fail "no control bar"
  session_geometry QV-CONTROLBAR || fail "the control bar went again"
  bar_row_left=$((win_x + (win_width - 514) / 2))
  bar_button_y=$((win_y + 70))
  # Onto the bar's empty left end: it hides 3 s after the pointer has left it.
  xdotool mousemove "$((win_x + 20))" "$bar_button_y"
}
button_x() { echo $((bar_row_left + 10 + 44 + $1 * 98)); }

session_step "the layout switch"
show_bar
session_click "$(button_x 1)" "$bar_button_y"
session_settle 1.5
stats_of "${left_edge[@]}"
[ "$dark" -le 10 ] || fail "side by side shows no tile at the left edge ($dark% dark)"
session_shot "$shots/5-classroom-side-by-side.png"

session_step "the settings dialog"
show_bar
session_click "$(button_x 3)" "$bar_button_y"
session_wait_window SettingView 5 || fail "no settings dialog"
session_settle 0.5
session_shot "$shots/6-settings.png"
session_geometry SettingView || fail "the settings dialog went"
session_click "$((win_x + win_width - 19))" "$((win_y + 18))"
session_wait_no_window SettingView 5 || fail "the settings dialog did not close"

session_step "the camera-switch hotkey"
session_engine_logged 'camera "cam-a" captured' || fail "the engine never took up the first camera"
xdotool key alt+s
session_until 5 session_engine_logged 'camera "cam-b" captured' || fail "the hotkey did not switch the camera"

session_quorvel_running || fail "the program ended on its own"

session_step "the display goes"
kill "$session_xvfb_pid"
session_until 10 eval '! session_quorvel_running' || fail "the program outlived its display"
session_wait_quorvel || fail "the program ended with exit code $? when its display went"
session_until 5 session_reported "$uid_student" exit || fail "the own leave was never reported"
echo "PASS ($language): screenshots in $shots"
