#!/usr/bin/env bash
# Two participants on different engines meet through the media server: each receives the
# other's video at the profile's size and its tone; the lesson service restarted meanwhile
# neither stops their media nor keeps a third from joining the same room; a muted one is heard
# as muted and silent; one killed outright is reported lost, not hung up, once the server's
# session times out.
# Runs inside a private network namespace (tests/support/in-network-namespace); skipped
# when the media server is not installed.
# usage: network_peers.sh BUILD_DIR
set -euo pipefail
# shellcheck source=lesson_session.sh
. "$(dirname "$0")/lesson_session.sh"
session_network_begin "$1"
# shellcheck source=peer_watch.sh
. "$(dirname "$0")/peer_watch.sh"

session_create_lesson 5 --duration 600
session_start_network_lesson 10.77.0.1
session_write_network_engine false

hears_muted() {
  local frames level muted
  read -r frames _ _ level muted <<<"$(seen "$1" "$2")"
  [ "$frames" != absent ] && [ "$muted" = True ] && [ "$level" = 0 ]
}

session_start_peer teacher
session_start_peer student
wait_for 20 "teacher and student see and hear each other" both_see

# The service is only asked at the doors: its restart leaves the media flowing, and the lesson
# stays on the media server it was placed on.
frames_before=$(seen teacher student | cut -d' ' -f1)
kill "$session_service_pid"
wait "$session_service_pid" 2>/dev/null || true
session_start_service --host 10.77.0.1 --media-server "$session_media_server" \
  --media-admin-key "$session_media_key"
more_frames() { [ "$(seen teacher student | cut -d' ' -f1)" -ge $((frames_before + 45)) ]; }
wait_for 20 "the student's video still arriving after the service's restart" more_frames

session_start_peer assistant --muted
wait_for 20 "the muted assistant is seen, and heard as muted and silent" \
  hears_muted teacher assistant

kill -9 "$peer_pid_student"
wait_for 20 "the killed student is gone for the teacher" gone teacher student
left=$(python3 -c 'import json,sys; print(json.loads(open(sys.argv[1]).readlines()[-1])["left"].get(sys.argv[2]))' \
  "$session_dir/peer-teacher.out" "$uid_student")
[ "$left" = 1 ] || fail "the killed student left for reason $left, not as lost (1)"
echo "network peers: all seen"
