#!/usr/bin/env bash
# Two participants on different engines meet through the media server: each receives the
# other's video at the profile's size and its tone; a muted one is heard as muted and silent;
# one killed outright is reported lost, not hung up, once the server's session times out.
# Runs inside a private network namespace (tests/support/in-network-namespace); skips (77)
# when the media server is not installed.
# usage: network_peers.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v janus >/dev/null || { echo "janus is not installed"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.out "$work"/*.err; do echo "== $f"; tail -5 "$f"; done
  exit 1
}

host=10.77.0.1
"$root/scripts/media-server" --host $host --port 8088 --admin-key test-admin --dir "$work/media" \
  >"$work/media.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do curl -s -o /dev/null "http://$host:8088/janus/info" && break; sleep 0.1; done

service=$build/bin/quorvel-lesson-service
"$service" create-lesson --db "$work/lessons.db" --start-in 5 --duration 600 >"$work/lesson.json"
"$service" serve --db "$work/lessons.db" --host $host --port 8787 \
  --media-server "http://$host:8088/janus" --media-admin-key test-admin >"$work/service.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do curl -s -o /dev/null "http://$host:8787/" && break; sleep 0.1; done
code() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["codes"][sys.argv[2]])' \
  "$work/lesson.json" "$1"; }
uid() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["uids"][sys.argv[2]])' \
  "$work/lesson.json" "$1"; }
export QUORVEL_API_BASE=http://$host:8787

peer() {  # peer NAME ROLE OPTIONS...
  local name=$1 role=$2
  shift 2
  "$build/bin/quorvel-peer" --code "$(code "$role")" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
  eval "${name}_pid=$!"
}
# The last report of OBSERVER about the participant of ROLE, as "frames width height level muted".
seen() {
  python3 - "$work/$1.out" "$(uid "$2")" <<'PY'
import json, sys
last = None
for line in open(sys.argv[1]):
    report = json.loads(line)
    if "error" in report: sys.exit("error: " + report["error"])
    last = report["remotes"].get(sys.argv[2])
if last is None: print("absent")
else: print(last["frames"], last["width"], last["height"], last["level"], last["muted_audio"])
PY
}
wait_for() {  # wait_for SECONDS DESCRIPTION COMMAND...: until COMMAND succeeds
  local seconds=$1 what=$2
  shift 2
  for _ in $(seq $((seconds * 5))); do "$@" 2>/dev/null && return 0; sleep 0.2; done
  fail "$what"
}
sees_media() {  # frames flowing at 640 x 480 and a level above silence
  local frames width height level
  read -r frames width height level _ <<<"$(seen "$1" "$2")"
  [ "$frames" != absent ] && [ "$frames" -ge 10 ] && [ "$width" = 640 ] && [ "$height" = 480 ] &&
    [ "$level" -gt 50 ]
}
hears_muted() {
  local frames level muted
  read -r frames _ _ level muted <<<"$(seen "$1" "$2")"
  [ "$frames" != absent ] && [ "$muted" = True ] && [ "$level" = 0 ]
}
gone() { [ "$(seen "$1" "$2")" = absent ]; }

peer teacher teacher
peer student student
both_see() { sees_media teacher student && sees_media student teacher; }
wait_for 20 "teacher and student see and hear each other" both_see

peer assistant assistant --muted
wait_for 20 "the muted assistant is seen, and heard as muted and silent" \
  hears_muted teacher assistant

kill -9 "$student_pid"
wait_for 20 "the killed student is gone for the teacher" gone teacher student
left=$(python3 -c 'import json,sys; print(json.loads(open(sys.argv[1]).readlines()[-1])["left"].get(sys.argv[2]))' \
  "$work/teacher.out" "$(uid student)")
[ "$left" = 1 ] || fail "the killed student left for reason $left, not as lost (1)"
echo "network peers: all seen"
