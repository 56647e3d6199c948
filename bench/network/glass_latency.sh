#!/usr/bin/env bash
# Glass-to-glass latency of a participant's video over the media server, in a lesson of three:
# the teacher is a quorvel-peer whose pattern carries its capture time in its pixels, the
# assistant another, and the student the program itself, headless in app_glass_latency_bench,
# which reads the time off the teacher's tile.
# Writes OUT.json, the benchmark's own results (BM_GlassToGlass_median: median_ms, p95_ms and
# the frames counted per run). Runs itself inside a private network namespace.
# usage: glass_latency.sh BUILD_DIR OUT.json [benchmark flags...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QUORVEL_NETWORK_NAMESPACE:-}" ]; then
  exec "$root/tests/support/in-network-namespace" "$0" "$@"
fi
build=$1 out=$2
shift 2
# shellcheck source=../../tests/e2e/lesson_session.sh
. "$root/tests/e2e/lesson_session.sh"
session_network_begin "$build"

session_create_lesson 0 --duration 3600
session_start_network_lesson 10.77.0.1
# The program sends its own pattern, without the time, as a student's camera would.
session_write_network_engine false
printf '{"channel": "network", "real_devices": false, "pattern_time_code": true}\n' \
  >"$session_dir/peer-engine.json"
QUORVEL_RTC_CONFIG=$session_dir/peer-engine.json session_start_peer teacher
session_start_peer assistant
QUORVEL_HEADLESS=1 QUORVEL_BENCH_STUDENT_CODE=$code_student \
  "$build/bench/app_glass_latency_bench" --benchmark_out="$out" --benchmark_out_format=json "$@"
