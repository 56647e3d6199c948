// Media tests run inside a private network namespace, so that nothing they send can reach a
// network outside it. The namespace and its addresses come from in-network-namespace beside
// this file: lo, and a veth pair qv0 10.77.0.1/24 and qv1 10.77.0.2/24, both ends inside.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/needs.h"

#include <sys/types.h>

#include <optional>
#include <string>

namespace testing_support {

// The addresses of the veth pair's two ends.
constexpr const char* kPrivateAddressA = "10.77.0.1";
constexpr const char* kPrivateAddressB = "10.77.0.2";

// Call first (in main, or as PrivateNetworkEnvironment does). Outside the namespace it runs
// the program again inside one, with the same arguments and environment, and does not
// return; inside, it returns nothing. When no namespace can be made (no unshare or ip, no
// privilege) it returns why, having changed nothing.
std::optional<std::string> EnterPrivateNetwork();

// Every test of the program inside the namespace, or all of them skipped with the reason:
//   const auto* const kNetwork =
//       testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);
class PrivateNetworkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::optional<std::string> reason = EnterPrivateNetwork();
    QUORVEL_NEEDS(!reason, *reason);
  }
};

// Inside the namespace, while it lives: the rules of one nft table of its own.
class NftTable {
 public:
  NftTable(std::string name, const std::string& output_rules);
  ~NftTable();
  NftTable(const NftTable&) = delete;
  NftTable& operator=(const NftTable&) = delete;
  // Empty once the rules hold; else why they do not.
  const std::string& failure() const { return failure_; }

 private:
  std::string name_;
  std::string failure_;
};

// Every UDP packet (all the media there) and every packet of one TCP port (the media server's
// HTTP) dropped, as by a network that has gone.
class MediaOutage : public NftTable {
 public:
  explicit MediaOutage(int tcp_port);
};

// percent of the UDP packets sent from the sockets process holds now dropped, as on its own
// lossy link.
class ProcessPacketLoss : public NftTable {
 public:
  ProcessPacketLoss(pid_t process, int percent);
};

}  // namespace testing_support
