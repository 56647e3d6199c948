// The networked channel's pure parts: how measured links are counted and graded, and what
// the media room's answers and events mean for the lesson's participants.
#include <gtest/gtest.h>
#include <json/reader.h>

#include "net/link_counters.h"
#include "net/quality_grade.h"
#include "net/room_events.h"

namespace {

using rtc::LinkMeasure;
using rtc::RosterChange;
using Kind = rtc::RosterChange::Kind;

TEST(LinkGrade, EachFigureGradesByItsBoundsAndTheWorstWins) {
  struct Case {
    const char* what;
    LinkMeasure measure;
    int grade;
  };
  const Case cases[] = {
      {"nothing measured", {}, 0},
      {"clean", {0.0, 20.0, 2.0, 0}, 1},
      {"loss just below 1 %", {0.99, std::nullopt, std::nullopt, 0}, 1},
      {"loss at 1 %", {1.0, std::nullopt, std::nullopt, 0}, 2},
      {"loss at 29.9 %", {29.9, std::nullopt, std::nullopt, 0}, 5},
      {"loss at 30 %", {30.0, std::nullopt, std::nullopt, 0}, 6},
      {"round trip 199 ms", {std::nullopt, 199.0, std::nullopt, 0}, 2},
      {"round trip 800 ms", {std::nullopt, 800.0, std::nullopt, 0}, 5},
      {"round trip 1600 ms", {std::nullopt, 1600.0, std::nullopt, 0}, 6},
      {"jitter 30 ms", {std::nullopt, std::nullopt, 30.0, 0}, 4},
      {"jitter 100 ms", {std::nullopt, std::nullopt, 100.0, 0}, 6},
      {"low loss, slow round trip", {0.5, 450.0, 5.0, 0}, 4},
      {"silent for 2.9 s", {0.0, 20.0, 2.0, 2999}, 1},
      {"silent for 3 s", {0.0, 20.0, 2.0, 3000}, 6},
      {"silent before anything was measured", {std::nullopt, std::nullopt, std::nullopt, 5000}, 6},
  };
  for (const Case& c : cases) EXPECT_EQ(rtc::GradeLink(c.measure), c.grade) << c.what;
}

Json::Value Parse(const std::string& text) {
  Json::Value value;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << text;
  return value;
}

// A source dropped by the session after a silence comes back counted from zero: the totals
// go on growing, so that the stream is seen to flow again.
TEST(LinkTotals, GrowByWhatEachStreamGainedAcrossARestart) {
  using Figures = rtc::StreamFigures;
  using K = Figures::Kind;
  rtc::LinkTotals link;
  struct Reading {
    Figures audio;
    Figures video;
    Figures sent;
    Figures reported;
    uint64_t received;  // totals after the reading
    int64_t lost_in;
    uint64_t bytes_received;
    int64_t lost_out;
  };
  const Reading readings[] = {
      {{K::kReceived, 100, 2, 1000},
       {K::kReceived, 300, 5, 9000},
       {K::kSent, 50, 0, 700},
       {K::kReportedLost, 0, 1, 0},
       400,
       7,
       10000,
       1},
      // The audio source restarted; a duplicate shrank the video's and the reported loss.
      {{K::kReceived, 10, 0, 100},
       {K::kReceived, 400, 4, 12000},
       {K::kSent, 90, 0, 1300},
       {K::kReportedLost, 0, 0, 0},
       510,
       7,
       13100,
       1},
      {{K::kReceived, 20, 1, 200},
       {K::kReceived, 450, 6, 13000},
       {K::kSent, 120, 0, 1600},
       {K::kReportedLost, 0, 3, 0},
       570,
       9,
       14200,
       3},
  };
  for (const Reading& r : readings) {
    link.Add(
        {{"in-audio", r.audio}, {"in-video", r.video}, {"out", r.sent}, {"remote-in", r.reported}});
    const rtc::LinkCounters& totals = link.totals();
    EXPECT_EQ(totals.packets_received, r.received);
    EXPECT_EQ(totals.packets_lost_in, r.lost_in);
    EXPECT_EQ(totals.bytes_received, r.bytes_received);
    EXPECT_EQ(totals.packets_sent, r.sent.packets);
    EXPECT_EQ(totals.packets_lost_out, r.lost_out);
  }
}

TEST(RoomRoster, FollowsPublishersThroughTheRoomsEvents) {
  rtc::RoomRoster roster(100);
  struct Step {
    const char* event;
    std::vector<RosterChange> changes;
  };
  const Step steps[] = {
      // Those already there when joining, the local participant itself never among them;
      // one arrives muted.
      {R"({"videoroom":"joined","id":"100","publishers":[
          {"id":"200","display":"audio=on video=on","streams":[{"type":"audio"},{"type":"video"}]},
          {"id":"300","display":"audio=off video=on","streams":[{"type":"audio"},{"type":"video"}]},
          {"id":"100","streams":[]}]})",
       {{Kind::kJoined, 200}, {Kind::kJoined, 300}, {Kind::kAudioMuted, 300, true}}},
      // A later list repeats the known ones; only the new one and real changes count.
      {R"({"videoroom":"event","publishers":[
          {"id":"200","display":"audio=on video=off"},{"id":"400","display":"audio=on video=on"}]})",
       {{Kind::kVideoMuted, 200, true}, {Kind::kJoined, 400}}},
      // A display change of its own, as the room passes it on.
      {R"({"videoroom":"event","id":"300","display":"audio=on video=on"})",
       {{Kind::kAudioMuted, 300, false}}},
      {R"({"videoroom":"event","leaving":"200"})", {{Kind::kLeft, 200}}},
      {R"({"videoroom":"event","unpublished":"400"})", {{Kind::kLeft, 400}}},
      // Repeated departures, the local one's own "ok", ids that are no uid, a foreign
      // display change: nothing.
      {R"({"videoroom":"event","leaving":"200"})", {}},
      {R"({"videoroom":"event","leaving":"ok"})", {}},
      {R"({"videoroom":"event","publishers":[{"id":"abc"},{"id":"0"},{"id":"99999999999"},
          {"id":7}]})",
       {}},
      {R"({"videoroom":"event","id":"999","display":"audio=off video=off"})", {}},
      {R"({"videoroom":"destroyed"})", {{Kind::kLeft, 300}}},
  };
  for (const Step& step : steps) {
    std::vector<RosterChange> changes = roster.Apply(Parse(step.event));
    EXPECT_EQ(changes, step.changes) << step.event;
  }
  EXPECT_TRUE(roster.room_gone());
  EXPECT_TRUE(roster.Uids().empty());
}

TEST(RoomRoster, StatesItsOwnMediaInTheTextItReads) {
  for (bool audio : {false, true}) {
    for (bool video : {false, true}) {
      rtc::RoomRoster roster(1);
      Json::Value joined;
      joined["publishers"][0]["id"] = "2";
      joined["publishers"][0]["display"] = rtc::MediaStateDisplay(audio, video);
      std::vector<RosterChange> expected{{Kind::kJoined, 2}};
      if (!audio) expected.push_back({Kind::kAudioMuted, 2, true});
      if (!video) expected.push_back({Kind::kVideoMuted, 2, true});
      EXPECT_EQ(roster.Apply(joined), expected) << rtc::MediaStateDisplay(audio, video);
    }
  }
}

}  // namespace
