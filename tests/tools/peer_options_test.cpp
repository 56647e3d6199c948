#include "tools/peer/peer_options.h"

#include <gtest/gtest.h>

namespace {

std::string Mistake(const std::vector<std::string>& arguments) {
  auto parsed = ParsePeerOptions(arguments);
  const std::string* reason = std::get_if<std::string>(&parsed);
  return reason ? *reason : "(accepted)";
}

}  // namespace

TEST(PeerOptions, MistakesAreNamedPrecisely) {
  const std::pair<std::vector<std::string>, const char*> mistakes[] = {
      {{}, "--code CODE is required"},
      {{"--muted"}, "--code CODE is required"},
      {{"--code"}, "--code needs a value"},
      {{"--code", ""}, "--code needs a lesson code"},
      {{"--code", "1", "--code", "2"}, "--code given twice"},
      {{"--code", "1", "--muted", "--muted"}, "--muted given twice"},
      {{"--code", "1", "--seconds"}, "--seconds needs a value"},
      {{"--code", "1", "--seconds", "0"}, "--seconds needs a whole number above 0, not \"0\""},
      {{"--code", "1", "--seconds", "-3"}, "--seconds needs a whole number above 0, not \"-3\""},
      {{"--code", "1", "--seconds", "+3"}, "--seconds needs a whole number above 0, not \"+3\""},
      {{"--code", "1", "--seconds", "2.5"}, "--seconds needs a whole number above 0, not \"2.5\""},
      {{"--code", "1", "--seconds", "3000000000"},
       "--seconds needs a whole number above 0, not \"3000000000\""},
      {{"--code", "1", "--api", "127.0.0.1:8787"},
       "--api needs an http:// or https:// address, not \"127.0.0.1:8787\""},
      {{"--code", "1", "--video"}, "unknown option \"--video\""},
      {{"12345678"}, "unknown option \"12345678\""},
  };
  for (const auto& [arguments, reason] : mistakes) {
    EXPECT_EQ(Mistake(arguments), reason) << testing::PrintToString(arguments);
  }
}

TEST(PeerOptions, OptionsMayComeInAnyOrder) {
  auto parsed = ParsePeerOptions(
      {"--no-video", "--seconds", "5", "--api", "http://10.77.0.1:8787", "--muted", "--code", "7"});
  ASSERT_TRUE(std::holds_alternative<PeerOptions>(parsed)) << std::get<std::string>(parsed);
  const PeerOptions& options = std::get<PeerOptions>(parsed);
  EXPECT_EQ(options.code, "7");
  EXPECT_EQ(options.api_base, "http://10.77.0.1:8787");
  EXPECT_EQ(options.seconds, 5);
  EXPECT_TRUE(options.muted);
  EXPECT_FALSE(options.video);

  const PeerOptions plain = std::get<PeerOptions>(ParsePeerOptions({"--code", "42"}));
  EXPECT_EQ(plain.api_base, std::nullopt);
  EXPECT_EQ(plain.seconds, std::nullopt);
  EXPECT_FALSE(plain.muted);
  EXPECT_TRUE(plain.video);
}
