// The real quorvel-peer against the real lesson service, inside a private network namespace.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/service/running_lesson_service.h"
#include "tests/support/network_namespace.h"
#include "tests/tools/json_text.h"

extern char** environ;

using testing_support::ParseJson;
using testing_support::RefusingPort;
using testing_support::RunningLessonService;
using testing_support::ScopedEnv;
using testing_support::ScopedUserProfile;

namespace {

const auto* const kNetwork =
    testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);

// A file descriptor, closed at the end of the scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

struct PeerRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs the peer to its end, calling while_running once it has started; a peer still running
// after the watchdog is killed and fails the test.
PeerRun RunPeer(std::vector<std::string> arguments,
                const std::function<void(pid_t)>& while_running = {}) {
  constexpr auto kWatchdog = std::chrono::seconds(60);
  PeerRun run;
  int out_ends[2] = {-1, -1};
  int err_ends[2] = {-1, -1};
  const bool piped = ::pipe2(out_ends, O_CLOEXEC) == 0 && ::pipe2(err_ends, O_CLOEXEC) == 0;
  Descriptor out_read(out_ends[0]), out_write(out_ends[1]);
  Descriptor err_read(err_ends[0]), err_write(err_ends[1]);
  if (!piped) {
    ADD_FAILURE() << "pipe";
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_write.get(), STDERR_FILENO);
  arguments.insert(arguments.begin(), QUORVEL_PEER);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = -1;
  int spawned = ::posix_spawn(&child, QUORVEL_PEER, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  out_write.Close();
  err_write.Close();
  EXPECT_EQ(spawned, 0) << QUORVEL_PEER;
  if (spawned == 0 && while_running) while_running(child);

  pollfd fds[] = {{out_read.get(), POLLIN, 0}, {err_read.get(), POLLIN, 0}};
  std::string* texts[] = {&run.out, &run.err};
  const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
  int open_pipes = 2;
  while (spawned == 0 && open_pipes > 0 && std::chrono::steady_clock::now() < deadline) {
    if (::poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        texts[i]->append(buffer, static_cast<size_t>(got));
      } else {
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  if (spawned == 0 && open_pipes > 0) {
    ::kill(child, SIGKILL);
    ADD_FAILURE() << "the peer was still running after the watchdog:\n" << run.out << run.err;
  }
  int status = 0;
  if (spawned == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exit_code = WEXITSTATUS(status);
  }
  return run;
}

}  // namespace

TEST(PrivateNetwork, CarriesADatagramFromOneVethEndToTheOther) {
  auto bind_to = [](const Descriptor& socket, const char* address) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &local.sin_addr);
    EXPECT_EQ(::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0)
        << address;
  };
  Descriptor sender(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  Descriptor receiver(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  bind_to(sender, testing_support::kPrivateAddressA);
  bind_to(receiver, testing_support::kPrivateAddressB);
  sockaddr_in target{};
  socklen_t length = sizeof target;
  ASSERT_EQ(::getsockname(receiver.get(), reinterpret_cast<sockaddr*>(&target), &length), 0);
  ASSERT_EQ(::sendto(sender.get(), "qv", 2, 0, reinterpret_cast<sockaddr*>(&target), length), 2);
  pollfd ready{receiver.get(), POLLIN, 0};
  ASSERT_EQ(::poll(&ready, 1, 5000), 1);
  sockaddr_in source{};
  length = sizeof source;
  char received[8] = {};
  EXPECT_EQ(::recvfrom(receiver.get(), received, sizeof received, 0,
                       reinterpret_cast<sockaddr*>(&source), &length),
            2);
  char source_text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &source.sin_addr, source_text, sizeof source_text);
  EXPECT_STREQ(source_text, testing_support::kPrivateAddressA);
}

TEST(Peer, AFailedLoginEndsWithOneErrorLineAndExitCodeOne) {
  ScopedUserProfile profile;
  RunningLessonService service;  // QUORVEL_API_BASE names it from here on
  RefusingPort refusing;
  const std::string code = service.CodeOf(Role::kStudent);
  struct Case {
    std::vector<std::string> arguments;
    const char* error;
  };
  const Case cases[] = {
      {{"--code", "00000000"}, "login: Unknown lesson code"},
      {{"--code", code, "--api", refusing.base()}, "login: NETWORK ERROR,CODE:7"},
  };
  for (const Case& c : cases) {
    PeerRun run = RunPeer(c.arguments);
    EXPECT_EQ(run.exit_code, 1) << run.err;
    ASSERT_FALSE(run.out.empty()) << run.err;
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_EQ(ParseJson(run.out)["error"].asString(), c.error) << run.out;
  }
}

TEST(Peer, TheApiOptionOverridesTheEnvironment) {
  ScopedUserProfile profile;
  RunningLessonService service;
  RefusingPort refusing;
  ScopedEnv elsewhere("QUORVEL_API_BASE", refusing.base());
  PeerRun run = RunPeer({"--code", "00000000", "--api", service.base()});
  EXPECT_EQ(ParseJson(run.out)["error"].asString(), "login: Unknown lesson code");
  EXPECT_EQ(service.store().Requests().size(), 2u);  // the configuration and the login
}

TEST(Peer, ABadOptionPrintsTheUsageAndNothingOnStandardOutput) {
  PeerRun run = RunPeer({"--code", "1", "--seconds", "soon"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("quorvel-peer: --seconds needs a whole number above 0"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("usage: quorvel-peer --code CODE"), std::string::npos) << run.err;
}

TEST(Peer, SigintOrSigtermDuringTheLoginEndsItAtOnceWithoutAnError) {
  ScopedUserProfile profile;
  FaultPlan stalled;
  ASSERT_EQ(AddFault(stalled, "/User/loginCode=stall"), std::nullopt);
  RunningLessonService service(std::move(stalled));
  for (int signal : {SIGINT, SIGTERM}) {
    const size_t before = service.store().Requests().size();
    PeerRun run = RunPeer({"--code", "00000000"}, [&](pid_t peer) {
      // The configuration, then the stalled login.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (service.store().Requests().size() < before + 2 &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      ::kill(peer, signal);
    });
    EXPECT_EQ(run.exit_code, 0) << signal << run.err;
    EXPECT_EQ(run.out, "") << signal;
  }
}
