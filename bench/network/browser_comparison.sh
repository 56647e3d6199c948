#!/usr/bin/env bash
# The program against a browser in the same lesson of three on the media server, one after
# the other: the student is first the program (headless, in app_network_stay_bench), then
# headless chromium with tools/browser-peer, while the teacher and the assistant are the
# same two quorvel-peer processes throughout; all three send 640 x 480 at 15 fps and receive
# the other two. Over a window of SECONDS (default 60) from when both peers receive the
# student's video, it counts the student's processor time, all of the browser's processes
# together, from /proc/PID/stat as a share of one core, and its memory as the sum of their
# proportional set sizes (/proc/PID/smaps_rollup, sampled every 10 s, averaged). Last, the
# program's glass-to-glass latency in the same lesson (app_glass_latency_bench: the teacher's
# pattern carries its capture time throughout).
# Writes OUT.json in the benchmark programs' format (ProgramInLesson_median and
# BrowserInLesson_median: cpu_percent, pss_mb, student_fps as the teacher received it) and
# the latency benchmark's own results beside it, in OUT_latency.json. Runs itself inside a
# private network namespace.
# usage: browser_comparison.sh BUILD_DIR OUT.json [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QUORVEL_NETWORK_NAMESPACE:-}" ]; then
  exec "$root/tests/support/in-network-namespace" "$0" "$@"
fi
build=$1 out=$2 window=${3:-60}
sample_every=10
# shellcheck source=../../tests/e2e/lesson_session.sh
. "$root/tests/e2e/lesson_session.sh"
session_network_begin "$build"
# shellcheck source=../../tests/e2e/peer_watch.sh
. "$root/tests/e2e/peer_watch.sh"

session_create_lesson 0 --duration 3600
session_start_network_lesson 10.77.0.1
session_write_network_engine false
printf '{"channel": "network", "real_devices": false, "pattern_time_code": true}\n' \
  >"$session_dir/teacher-engine.json"
QUORVEL_RTC_CONFIG=$session_dir/teacher-engine.json session_start_peer teacher
session_start_peer assistant

# usage ROOT_PID with-root|without-root: "ticks pss_kb processes" summed over ROOT_PID's
# process tree: user and system time, the reaped children's included, and Pss.
usage() {
  python3 - "$1" "$2" <<'PY'
import os, sys
root, with_root = int(sys.argv[1]), sys.argv[2] == "with-root"
processes = {}
for entry in os.listdir("/proc"):
    if not entry.isdigit():
        continue
    try:
        stat = open(f"/proc/{entry}/stat").read()
    except OSError:
        continue
    fields = stat[stat.rindex(")") + 2:].split()
    processes[int(entry)] = (int(fields[1]), sum(int(f) for f in fields[11:15]))
tree, frontier = set(), [root]
while frontier:
    parent = frontier.pop()
    tree.add(parent)
    frontier += [pid for pid, (ppid, _) in processes.items() if ppid == parent]
if not with_root:
    tree.discard(root)
ticks = pss = 0
for pid in tree & processes.keys():
    try:
        rollup = open(f"/proc/{pid}/smaps_rollup").read().splitlines()
    except OSError:
        continue
    ticks += processes[pid][1]
    pss += sum(int(line.split()[1]) for line in rollup if line.startswith("Pss:"))
print(ticks, pss, len(tree))
PY
}

frames_of_student() { seen teacher student | cut -d' ' -f1; }
peers_receive_student() {
  local peer frames width height
  for peer in teacher assistant; do
    read -r frames width height _ <<<"$(seen "$peer" student)"
    [ "$frames" != absent ] && [ "$frames" -ge 30 ] && [ "$width" = 640 ] && [ "$height" = 480 ] ||
      return 1
  done
}
peers_lost_student() { gone teacher student && gone assistant student; }

# measure NAME ROOT_PID with-root|without-root: one window over that student, its figures
# appended to the figures file as "NAME cpu_percent pss_mb student_fps processes".
measure() {
  local name=$1 pid=$2 which=$3
  wait_for 60 "both peers receiving the $name's video" peers_receive_student
  local ticks pss count frames started
  read -r ticks _ _ <<<"$(usage "$pid" "$which")"
  frames=$(frames_of_student)
  started=$(date +%s.%N)
  local sampled=0 pss_sum=0 elapsed=0
  while [ "$elapsed" -lt "$window" ]; do
    sleep "$sample_every"
    elapsed=$((elapsed + sample_every))
    read -r _ pss count <<<"$(usage "$pid" "$which")"
    pss_sum=$((pss_sum + pss))
    sampled=$((sampled + 1))
  done
  local ticks_after
  read -r ticks_after _ count <<<"$(usage "$pid" "$which")"
  kill -0 "$pid" 2>/dev/null || fail "the $name ended during its window"
  awk -v name="$name" -v d="$((ticks_after - ticks))" -v hz="$(getconf CLK_TCK)" \
    -v a="$started" -v b="$(date +%s.%N)" -v pss="$((pss_sum / sampled))" \
    -v f="$(($(frames_of_student) - frames))" -v n="$count" \
    'BEGIN { s = b - a; printf "%s %.2f %.1f %.2f %d\n", name, 100 * d / hz / s, pss / 1024, f / s, n }' \
    >>"$session_dir/figures"
}

: >"$session_dir/figures"
QUORVEL_HEADLESS=1 QUORVEL_BENCH_STUDENT_CODE=$code_student \
  QUORVEL_BENCH_LEAVE_FILE=$session_dir/leave "$build/bench/app_network_stay_bench" \
  >"$session_dir/program.out" 2>&1 &
session_pids+=($!)
program_pid=$!
measure ProgramInLesson "$program_pid" with-root
touch "$session_dir/leave"
wait "$program_pid" || fail "the program's stay ended badly: $(tail -n 5 "$session_dir/program.out")"
wait_for 30 "the program gone for both peers" peers_lost_student

QUORVEL_BROWSER_LOG=$session_dir/browser.log "$root/tools/browser-peer/browser-peer" \
  --code "$code_student" >"$session_dir/browser.out" 2>&1 &
session_pids+=($!)
browser_pid=$!
# The launcher is this script's page server and report reader, not the browser.
measure BrowserInLesson "$browser_pid" without-root
kill "$browser_pid"
wait "$browser_pid" || true
wait_for 30 "the browser gone for both peers" peers_lost_student

python3 - "$session_dir/figures" "$out" "$(nproc)" <<'PY'
import json, sys
benchmarks = []
for line in open(sys.argv[1]):
    name, cpu, pss, fps, processes = line.split()
    benchmarks.append({"name": name + "_median", "run_type": "aggregate",
                       "cpu_percent": float(cpu), "pss_mb": float(pss),
                       "student_fps": float(fps), "processes": int(processes)})
json.dump({"context": {"num_cpus": int(sys.argv[3])}, "benchmarks": benchmarks},
          open(sys.argv[2], "w"), indent=2)
PY
cat "$out"

QUORVEL_HEADLESS=1 QUORVEL_BENCH_STUDENT_CODE=$code_student \
  "$build/bench/app_glass_latency_bench" --benchmark_out="${out%.json}_latency.json" \
  --benchmark_out_format=json
