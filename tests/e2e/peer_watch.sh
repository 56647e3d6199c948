# What the networked shell tests read from their peers' reports (peer-ROLE.out of the session,
# one JSON line a second), on top of lesson_session.sh: sourced after session_init.

fail() {
  echo "FAIL: $*"
  for f in "$session_dir"/*.out "$session_dir"/*.err; do echo "== $f"; tail -5 "$f"; done
  exit 1
}

# seen OBSERVER ROLE: OBSERVER's last report of the participant of ROLE, as "frames width
# height level muted", or "absent"; a report of an error fails.
seen() {
  local uid_name=uid_$2
  python3 - "$session_dir/peer-$1.out" "${!uid_name}" <<'PY'
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

# connection OBSERVER: "joined connection_lost" of OBSERVER's last report ("True 0", ...).
connection() {
  python3 - "$session_dir/peer-$1.out" <<'PY'
import json, sys
lines = open(sys.argv[1]).readlines()
last = json.loads(lines[-1]) if lines else {"joined": False, "connection_lost": 0}
print(last["joined"], last["connection_lost"])
PY
}

wait_for() {  # wait_for SECONDS DESCRIPTION COMMAND...: until COMMAND succeeds
  local what=$2
  local seconds=$1
  shift 2
  session_until "$seconds" "$@" 2>/dev/null || fail "$what"
}
sees_media() {  # frames flowing at 640 x 480 and a level above silence
  local frames width height level
  read -r frames width height level _ <<<"$(seen "$1" "$2")"
  [ "$frames" != absent ] && [ "$frames" -ge 10 ] && [ "$width" = 640 ] && [ "$height" = 480 ] &&
    [ "$level" -gt 50 ]
}
gone() { [ "$(seen "$1" "$2")" = absent ]; }
both_see() { sees_media teacher student && sees_media student teacher; }
