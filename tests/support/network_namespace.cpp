#include "tests/support/network_namespace.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#ifndef QUORVEL_IN_NETWORK_NAMESPACE
#error "the build names the set-up script in QUORVEL_IN_NETWORK_NAMESPACE"
#endif

extern char** environ;

namespace testing_support {
namespace {

constexpr const char* kShell = "/bin/sh";
constexpr const char* kScript = QUORVEL_IN_NETWORK_NAMESPACE;

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

std::string LinkTarget(const char* path) {
  std::vector<char> target(4096, '\0');
  ssize_t length = ::readlink(path, target.data(), target.size() - 1);
  return length > 0 ? std::string(target.data(), static_cast<size_t>(length)) : std::string();
}

std::vector<std::string> OwnArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  for (size_t start = 0; start < all.size();) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    arguments.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

std::vector<char*> Argv(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return argv;
}

// Makes a namespace once and throws it away, to learn in a child whether this process can
// move into one: once exec'd, a failure could no longer be reported as a value.
std::optional<std::string> Probe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return std::string("pipe: ") + std::strerror(errno);
  UniqueFd reading(ends[0]);
  UniqueFd writing(ends[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, writing.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writing.get(), STDERR_FILENO);
  std::vector<std::string> arguments = {kShell, kScript, "true"};
  std::vector<char*> argv = Argv(arguments);
  pid_t child = -1;
  const int spawned = ::posix_spawn(&child, kShell, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writing.Reset();
  std::string output;
  char buffer[512];
  for (ssize_t got; (got = ::read(reading.get(), buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<size_t>(got));
  }
  if (spawned != 0) return std::string("cannot start ") + kShell + ": " + std::strerror(spawned);
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return std::string("waitpid: ") + std::strerror(errno);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output.empty() ? std::string(kScript) + " failed" : output;
}

// nft reading its rules from standard input; false when it could not run or refused them.
bool RunNft(const std::string& rules) {
  FILE* nft = ::popen("nft -f - 2>&1", "w");
  if (nft == nullptr) return false;
  std::fputs(rules.c_str(), nft);
  return ::pclose(nft) == 0;
}

// The local ports of the UDP sockets of process, from its descriptors and the kernel's tables.
std::string UdpPortsOf(pid_t process) {
  const std::string proc = "/proc/" + std::to_string(process);
  std::set<std::string> inodes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(proc + "/fd", error)) {
    const std::string target = LinkTarget(entry.path().c_str());
    if (target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
  }
  std::set<unsigned long> ports;
  for (const char* table : {"/net/udp", "/net/udp6"}) {
    std::ifstream lines(proc + table);
    std::string line;
    std::getline(lines, line);  // the heading
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
      fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
          timeout >> inode;
      if (inodes.count(inode) == 0) continue;
      ports.insert(std::stoul(local.substr(local.rfind(':') + 1), nullptr, 16));
    }
  }
  std::string list;
  for (unsigned long port : ports) list += (list.empty() ? "" : ", ") + std::to_string(port);
  return list;
}

}  // namespace

NftTable::NftTable(std::string name, const std::string& output_rules) : name_(std::move(name)) {
  if (!RunNft("table inet " + name_ + " {\n chain out {\n  type filter hook output priority 0;\n" +
              output_rules + " }\n}\n")) {
    failure_ = "nft refused the rules of table " + name_ + " (is nftables installed?)";
  }
}

NftTable::~NftTable() {
  if (failure_.empty()) RunNft("delete table inet " + name_ + "\n");
}

MediaOutage::MediaOutage(int tcp_port)
    : NftTable("outage", "  meta l4proto udp drop\n  tcp dport " + std::to_string(tcp_port) +
                             " drop\n  tcp sport " + std::to_string(tcp_port) + " drop\n") {}

ProcessPacketLoss::ProcessPacketLoss(pid_t process, int percent)
    : NftTable("loss", "  udp sport { " + UdpPortsOf(process) + " } numgen random mod 100 < " +
                           std::to_string(percent) + " drop\n") {}

std::optional<std::string> EnterPrivateNetwork() {
  const char* marker = std::getenv("QUORVEL_NETWORK_NAMESPACE");
  if (marker != nullptr && marker == LinkTarget("/proc/self/ns/net")) return std::nullopt;
  if (std::optional<std::string> failure = Probe()) {
    return "no private network namespace: " + *failure;
  }
  std::vector<std::string> arguments = OwnArguments();
  if (arguments.empty()) return std::string("cannot read /proc/self/cmdline");
  // The script's own /proc/self/exe would be the shell.
  arguments[0] = LinkTarget("/proc/self/exe");
  arguments.insert(arguments.begin(), {kShell, kScript});
  std::vector<char*> argv = Argv(arguments);
  ::execv(kShell, argv.data());
  return std::string("cannot run ") + kScript + ": " + std::strerror(errno);
}

}  // namespace testing_support
