# One local lesson for the real program, as shell functions: the lesson service on a free
# loopback port with a fresh lesson, an engine scenario, a private X server, the program, and
# xdotool and screenshots to drive and watch it. Sourced by scripts/demo and by the X11 tests.
# session_stop ends, by their ids, exactly the processes these functions started.

# session_init BUILD_DIR RUN_DIR: where the programs are and where this session's files go.
session_init() {
  session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  session_build=$1
  session_dir=$2
  session_service_bin=$session_build/bin/quorvel-lesson-service
  session_quorvel_bin=$session_build/bin/quorvel
  session_probe_bin=$session_build/tests/quorvel-x11-probe
  session_peer_bin=$session_build/bin/quorvel-peer
  session_pids=()
  session_quorvel_pid=
  mkdir -p "$session_dir/config"
  # The program's settings file of this session only.
  export XDG_CONFIG_HOME=$session_dir/config
  unset QUORVEL_HEADLESS QUORVEL_HEADLESS_CLOCK
}

session_stop() {
  local i
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    kill "${session_pids[i]}" 2>/dev/null || true
  done
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    wait "${session_pids[i]}" 2>/dev/null || true
  done
  session_pids=()
}

# The X11 roads' checks: a step's heading; whether the service was asked at PATH; whether it
# was told that participant UID did ACTION; whether the engine's log holds TEXT.
session_step() { echo "-- $*"; }
session_requested() { session_service requests | grep -q "\"path\":\"$1\""; }
session_reported() {
  session_service reports | grep "\"target_uid\":$1," | grep -q "\"action\":\"$2\""
}
session_engine_logged() { grep -q "$1" "$session_engine_log" 2>/dev/null; }

# session_skip REASON: ends a test that cannot run here: skipped (77) on a developer's machine,
# failed under CI (CI=true), whose machine installs everything the tests use.
session_skip() {
  echo "$1" >&2
  if [ "${CI:-}" = true ]; then exit 1; fi
  exit 77
}

# session_x11_tools: true when Xvfb and xdotool are installed (the X11 tests skip otherwise).
session_x11_tools() {
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null
}

# session_fail SHOTS_DIR MESSAGE...: reports a failed check with what the session shows (the
# program's state, its visible windows, a screenshot, its last diagnostics) and exits 1.
# The common start of an X11 test script (NAME BUILD_DIR en|cn SHOTS_DIR): skipped without
# the X tools, a private run folder removed at exit, the language, SHOTS_DIR/LANGUAGE as "shots",
# and one failure report, with screenshot, for any step that fails.
session_x11_test_begin() {
  session_x11_tools || session_skip "Xvfb or xdotool is not installed"
  run=$(mktemp -d "/tmp/quorvel-x11-$1.XXXXXX")
  session_init "$2" "$run"
  trap 'session_stop; rm -rf "$run"' EXIT
  unset LC_ALL LC_MESSAGES
  if [ "$3" = cn ]; then export LANG=zh_CN.UTF-8; else export LANG=en_US.UTF-8; fi
  shots=$4/$3
  mkdir -p "$shots"
  fail() { session_fail "$shots" "$@"; }
  set -E
  trap 'fail "a step failed (line $LINENO): $BASH_COMMAND"' ERR
}

session_fail() {
  local shots=$1
  shift
  echo "FAIL: $*" >&2
  if ! session_quorvel_running; then
    local code=0
    wait "$session_quorvel_pid" || code=$?
    echo "the program has ended, exit code $code" >&2
  fi
  echo "--- visible windows on ${DISPLAY:-} ---" >&2
  local id
  for id in $(xdotool search --onlyvisible --classname . 2>/dev/null || true); do
    xprop -id "$id" WM_CLASS >&2 2>/dev/null || true
  done
  session_shot "$shots/failure.png" 2>/dev/null || true
  echo "--- the program's last diagnostics ---" >&2
  tail -n 20 "$session_dir/quorvel.log" >&2 || true
  exit 1
}

# session_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; false when it
# never did within SECONDS.
session_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# session_create_lesson START_IN [create-lesson options...]: a lesson starting START_IN seconds
# from now. Sets code_ROLE and uid_ROLE for teacher, student and assistant, and lesson_start.
session_create_lesson() {
  local start_in=$1
  shift
  lesson_start=$(($(date +%s) + start_in))
  local printed
  printed=$("$session_service_bin" create-lesson --db "$session_dir/lessons.db" \
    --start-in "$start_in" "$@")
  local role
  for role in teacher student assistant; do
    printf -v "code_$role" '%s' "$(sed -n "s/.*\"codes\":{[^}]*\"$role\":\"\([^\"]*\)\".*/\1/p" <<<"$printed")"
    printf -v "uid_$role" '%s' "$(sed -n "s/.*\"uids\":{[^}]*\"$role\":\([0-9]*\).*/\1/p" <<<"$printed")"
  done
  [ -n "$code_teacher" ] && [ -n "$code_student" ] && [ -n "$code_assistant" ] &&
    [ -n "$uid_teacher" ] && [ -n "$uid_student" ] && [ -n "$uid_assistant" ]
}

# session_service COMMAND [options...]: one of the service's own commands on this session's
# database (reports, requests, set-config).
session_service() {
  local command=$1
  shift
  "$session_service_bin" "$command" --db "$session_dir/lessons.db" "$@"
}

# session_start_service [serve options...]: serves the database on a free loopback port and
# points the program at it (QUORVEL_API_BASE); its process id in session_service_pid.
session_start_service() {
  : >"$session_dir/service.log"
  "$session_service_bin" serve --db "$session_dir/lessons.db" --port 0 "$@" \
    >"$session_dir/service.log" 2>&1 &
  session_pids+=($!)
  session_service_pid=$!
  session_until 10 grep -q '^listening on ' "$session_dir/service.log" || {
    echo "lesson service did not start:" >&2
    cat "$session_dir/service.log" >&2
    return 1
  }
  QUORVEL_API_BASE=$(sed -n 's/^listening on //p' "$session_dir/service.log" | head -n 1)
  export QUORVEL_API_BASE
}

# session_start_media_server HOST PORT: the media server on HOST:PORT with this session's
# configuration folder; sets session_media_server (its address) and session_media_key.
session_start_media_server() {
  session_media_key=session-$$
  "$session_root/scripts/media-server" --host "$1" --port "$2" --admin-key "$session_media_key" \
    --dir "$session_dir/media" >"$session_dir/media.log" 2>&1 &
  session_pids+=($!)
  session_media_server=http://$1:$2/janus
  session_until 10 curl -s -o /dev/null "$session_media_server/info" || {
    echo "media server did not start:" >&2
    tail -n 20 "$session_dir/media.log" >&2
    return 1
  }
}

# session_network_begin BUILD_DIR [CLEANUP]: the start of a script that holds a lesson on a
# media server: skipped without one installed, a private run folder (session_dir) that
# goes at exit after the session's processes and after CLEANUP, a command that undoes what the
# script changed.
session_network_begin() {
  command -v janus >/dev/null || session_skip "janus is not installed"
  session_init "$1" "$(mktemp -d)"
  # shellcheck disable=SC2064  # the folder is known now, and must be what is removed
  trap "${2:-:}; session_stop; rm -rf '$session_dir'" EXIT
  trap 'exit 143' TERM INT
}

# session_start_peer ROLE [peer options...]: a participant of the lesson in that role, from a
# shell (its process id in peer_pid_ROLE); what it receives goes to peer-ROLE.out, one JSON
# line a second.
session_start_peer() {
  local role=$1 code_name=code_$1
  shift
  QUORVEL_PEER_LOG=$session_dir/peer-$role.log "$session_peer_bin" --code "${!code_name}" "$@" \
    >"$session_dir/peer-$role.out" 2>"$session_dir/peer-$role.err" &
  session_pids+=($!)
  printf -v "peer_pid_$role" '%s' $!
}

# session_start_network_lesson HOST: the media server on HOST and the lesson service placing
# this session's lesson there (create it first).
session_start_network_lesson() {
  local port
  port=$(python3 -c 'import socket, sys; s = socket.socket(); s.bind((sys.argv[1], 0)); print(s.getsockname()[1])' "$1")
  session_start_media_server "$1" "$port"
  session_start_service --host "$1" --media-server "$session_media_server" \
    --media-admin-key "$session_media_key"
}

# session_write_network_engine REAL_DEVICES: the engine's configuration for lessons on the
# media server, with the machine's devices (true) or the virtual ones only (false).
session_write_network_engine() {
  printf '{"channel": "network", "real_devices": %s}\n' "$1" >"$session_dir/engine.json"
  export QUORVEL_RTC_CONFIG=$session_dir/engine.json
}

# session_use_two_cameras: the scenario's devices are the virtual ones, with two cameras:
# "cam-a" (taken first) and "cam-b".
session_use_two_cameras() {
  scenario_devices='"real_devices": false,
  "cameras": [{"id": "cam-a", "name": "Desk camera"}, {"id": "cam-b", "name": "Document camera"}]'
}

# session_write_scenario FIRST_JOIN_MS SECOND_JOIN_MS: the engine's configuration
# (QUORVEL_RTC_CONFIG) in which every participant of the lesson joins with video: the first two
# at FIRST_JOIN_MS, the third at SECOND_JOIN_MS after the local join. The engine leaves out the
# one whose uid is the user's own, so the user's other two participants join, whichever code
# was typed. Shaped further by:
#   scenario_lastmile   the probe's samples (default all excellent)
#   scenario_extra      more scenario members, e.g. "network_quality": [...]
#   scenario_devices    the device members (default the machine's devices and the defaults)
session_write_scenario() {
  local first=$1 second=$2
  local devices=${scenario_devices-}
  [ -n "$devices" ] || devices='"real_devices": true'
  cat >"$session_dir/engine.json" <<EOF
{
  "channel": "simulated",
  $devices,
  "scenario": {
    "users": [
      {"uid": $uid_teacher, "join_ms": $first, "width": 640, "height": 480},
      {"uid": $uid_student, "join_ms": $first, "width": 640, "height": 480},
      {"uid": $uid_assistant, "join_ms": $second, "width": 640, "height": 480}
    ],
    ${scenario_extra:+$scenario_extra,}
    "lastmile": ${scenario_lastmile:-[1, 1, 1, 1, 1]}
  }
}
EOF
  export QUORVEL_RTC_CONFIG=$session_dir/engine.json
}

# session_start_xvfb: a private X server on a free display (DISPLAY names it, its process id
# session_xvfb_pid), ended by session_stop.
session_start_xvfb() {
  local number_file=$session_dir/xvfb.display
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  session_xvfb_pid=$!
  session_pids+=($!)
  session_until 10 grep -q '[0-9]' "$number_file" || {
    echo "Xvfb did not start" >&2
    return 1
  }
  export DISPLAY=":$(tr -dc '0-9' <"$number_file")"
}

# session_private_program: runs a copy of the program from this session's folder, with the skin
# beside it, so that what it writes beside itself (the engine's log) is this session's alone.
session_private_program() {
  mkdir -p "$session_dir/bin"
  cp "$session_build/bin/quorvel" "$session_dir/bin/quorvel"
  ln -sfn "$session_build/bin/skin" "$session_dir/bin/skin"
  session_quorvel_bin=$session_dir/bin/quorvel
  session_engine_log=$session_dir/bin/MediaEngine.log
}

# session_run_quorvel: the program in the foreground, its diagnostics in quorvel.log.
session_run_quorvel() {
  QUORVEL_DEBUG=1 "$session_quorvel_bin" 2>"$session_dir/quorvel.log"
}

session_start_quorvel() {
  QUORVEL_DEBUG=1 "$session_quorvel_bin" >"$session_dir/quorvel.out" 2>"$session_dir/quorvel.log" &
  session_quorvel_pid=$!
  session_pids+=("$session_quorvel_pid")
}

# session_wait_quorvel: waits for the program to end; its exit code.
session_wait_quorvel() {
  local code=0
  wait "$session_quorvel_pid" || code=$?
  return "$code"
}

session_quorvel_running() {
  [ -n "$session_quorvel_pid" ] && kill -0 "$session_quorvel_pid" 2>/dev/null
}

# session_window CLASS: the id of the program's visible top-level window of that class.
session_window() {
  xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null | head -n 1
}

session_has_window() {
  [ -n "$(session_window "$1")" ]
}

# session_wait_window CLASS [SECONDS]: until a visible window of that class exists.
session_wait_window() {
  session_until "${2:-20}" session_has_window "$1"
}

session_wait_no_window() {
  session_until "${2:-20}" bash -c "[ -z \"\$(xdotool search --onlyvisible --classname '^$1\$' 2>/dev/null)\" ]"
}

# session_geometry CLASS: sets win_x, win_y, win_width and win_height of that visible window.
session_geometry() {
  local id
  id=$(session_window "$1")
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/win_\L\1=/p')"
}

# session_click X Y: moves the pointer there and clicks the left button.
session_click() {
  xdotool mousemove "$1" "$2"
  sleep 0.1
  xdotool click 1
}

# session_settle SECONDS: lets the program draw and the scenario move on. The program runs on
# real time here, so this is the only way to let a step happen.
session_settle() {
  sleep "$1"
}

session_shot() {
  "$session_probe_bin" shot "$1"
}

# session_focus_main: the pointer over the main window and the keyboard focus on it, so typed
# keys reach the field that holds the view's focus.
session_focus_main() {
  local main
  main=$(session_window QUORVEL_MAIN)
  [ -n "$main" ] || return 1
  xdotool mousemove --window "$main" 540 400
  xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
}

# session_type_code CODE: replaces the focused code field's text (its placeholder, at first)
# with the lesson code and presses Enter.
session_type_code() {
  session_focus_main || return 1
  xdotool key ctrl+a BackSpace
  xdotool type --delay 30 "$1"
  xdotool key Return
}
