#!/usr/bin/env bash
# A lesson rides out its media server going silent: two participants on different engines
# meet, then every packet to and from the server is dropped, once for 5 s and once for 15 s
# (longer than the server keeps a silent session). Each time both are told the connection is
# interrupted, the long time also that it is lost, and once packets flow again they see and
# hear each other again without anything done. Runs inside a private network namespace
# (tests/support/in-network-namespace); skipped without the media server or nft.
# usage: network_outage.sh BUILD_DIR
set -euo pipefail
# shellcheck source=lesson_session.sh
. "$(dirname "$0")/lesson_session.sh"
command -v nft >/dev/null || session_skip "nft is not installed"
session_network_begin "$1" "nft delete table inet outage 2>/dev/null || true"
# shellcheck source=peer_watch.sh
. "$(dirname "$0")/peer_watch.sh"

session_create_lesson 5 --duration 600
session_start_network_lesson 10.77.0.1
session_write_network_engine false
port=${session_media_server##*:}
port=${port%%/*}

# The media (all of it UDP in this namespace) and the server's HTTP port; the lesson service
# stays reachable.
block() {
  nft -f - <<NFT
table inet outage {
  chain out {
    type filter hook output priority 0;
    meta l4proto udp drop
    tcp dport $port drop
    tcp sport $port drop
  }
}
NFT
}
unblock() { nft delete table inet outage; }
interrupted() { [ "$(connection "$1" | cut -d' ' -f1)" = False ]; }
lost_once_more() { [ "$(connection "$1" | cut -d' ' -f2)" -gt "$2" ]; }
flowing() {  # OBSERVER ROLE: joined, and the other's frames grow over 2 s at its size and level
  local before after
  [ "$(connection "$1" | cut -d' ' -f1)" = True ] && sees_media "$1" "$2" || return 1
  before=$(seen "$1" "$2" | cut -d' ' -f1)
  sleep 2
  after=$(seen "$1" "$2" | cut -d' ' -f1)
  [ "$after" != absent ] && [ "$after" -ge $((before + 15)) ]
}
both_flow() { flowing teacher student && flowing student teacher; }

session_start_peer teacher
session_start_peer student
wait_for 20 "teacher and student see and hear each other" both_see

for outage in 5 15; do
  lost_before=$(connection teacher | cut -d' ' -f2)
  started=$SECONDS
  block
  wait_for 5 "the teacher told of the interruption within 5 s of a ${outage} s outage" \
    interrupted teacher
  wait_for 5 "the student told of the interruption" interrupted student
  sleep $((started + outage - SECONDS))
  if [ "$outage" -gt 10 ]; then
    lost_once_more teacher "$lost_before" || fail "a ${outage} s outage never reported as lost"
  else
    lost_once_more teacher "$lost_before" && fail "a ${outage} s outage reported as lost"
  fi
  unblock
  wait_for 30 "video and sound again both ways after the ${outage} s outage" both_flow
done
echo "network outage: ridden out"
