#!/usr/bin/env bash
# Three participants, each its own engine (quorvel-peer: the engine without windows), in one
# lesson on a media server, all sending 640 x 480 at 15 fps and receiving the other two: each
# one's processor time (percent of one core) and resident memory over a measured window, and
# the frames each received. Writes OUT.json in the benchmark programs' format (medians over
# the three participants, as "LessonOfThree_median"). Runs itself inside a private network
# namespace.
# usage: lesson_load.sh BUILD_DIR OUT.json [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QUORVEL_NETWORK_NAMESPACE:-}" ]; then
  exec "$root/tests/support/in-network-namespace" "$0" "$@"
fi
build=$1 out=$2 window=${3:-20}
# shellcheck source=../../tests/e2e/lesson_session.sh
. "$root/tests/e2e/lesson_session.sh"
session_network_begin "$build"

session_create_lesson 5 --duration 600
session_start_network_lesson 10.77.0.1
session_write_network_engine false
peers=()
for role in teacher student assistant; do
  session_start_peer "$role"
  pid_name=peer_pid_$role
  peers+=("${!pid_name}")
done
sleep 8  # everyone joined, subscribed and settled
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
declare -A before
for pid in "${peers[@]}"; do before[$pid]=$(ticks "$pid"); done
started=$(date +%s.%N)
sleep "$window"
elapsed=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
hz=$(getconf CLK_TCK)
: >"$session_dir/figures"
for pid in "${peers[@]}"; do
  cpu=$(awk -v d="$(($(ticks "$pid") - before[$pid]))" -v hz="$hz" -v s="$elapsed" \
    'BEGIN { print 100 * d / hz / s }')
  rss=$(awk '/VmRSS/ { print $2 / 1024 }' "/proc/$pid/status")
  echo "$cpu $rss" >>"$session_dir/figures"
done
frames=$(python3 - "$session_dir"/peer-teacher.out <<'PY'
import json, sys
last = json.loads(open(sys.argv[1]).readlines()[-1])
print(min((r["frames"] for r in last["remotes"].values()), default=0))
PY
)
python3 - "$session_dir/figures" "$out" "$frames" "$(nproc)" <<'PY'
import json, statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1])]
result = {"context": {"num_cpus": int(sys.argv[4])}, "benchmarks": [{
    "name": "LessonOfThree_median", "run_type": "aggregate",
    "cpu_percent": statistics.median(r[0] for r in rows),
    "rss_mb": statistics.median(r[1] for r in rows),
    "frames_received": float(sys.argv[3])}]}
json.dump(result, open(sys.argv[2], "w"), indent=2)
PY
cat "$out"
