#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/needs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace audio_test {

namespace {

constexpr const char* kDaemon = "/usr/bin/pulseaudio";

bool CanConnect(const std::string& socket_path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof(address.sun_path) - 1);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return connected;
}

// Ends the child, politely first; bounded either way.
void Stop(pid_t child) {
  ::kill(child, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(child, nullptr, WNOHANG) == child) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

}  // namespace

bool PrivateSoundServer::Installed() { return ::access(kDaemon, X_OK) == 0; }

PrivateSoundServer::PrivateSoundServer(Sinks sinks) {
  namespace fs = std::filesystem;
  const fs::path root = folder_.path();
  for (const char* sub : {"home", "run", "state", "config"}) fs::create_directories(root / sub);
  socket_ = (root / "native").string();
  const std::string client_config = (root / "client.conf").string();
  std::ofstream(client_config) << "autospawn = no\n";

  std::vector<std::string> arguments = {
      kDaemon,
      "--daemonize=no",
      "-n",
      "--exit-idle-time=30",
      "--use-pid-file=no",
      "--system=no",
      "--realtime=no",
      "--high-priority=no",
      "--disable-shm=yes",
      "--log-target=stderr",
      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_};
  if (sinks == Sinks::kOneNullSink)
    arguments.push_back("--load=module-null-sink sink_name=private");
  const std::vector<std::string> environment = {
      "PATH=/usr/bin:/bin",
      "HOME=" + (root / "home").string(),
      "XDG_RUNTIME_DIR=" + (root / "run").string(),
      "PULSE_RUNTIME_PATH=" + (root / "run").string(),
      "PULSE_STATE_PATH=" + (root / "state").string(),
      "XDG_CONFIG_HOME=" + (root / "config").string(),
  };
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  const std::string log_path = (root / "daemon.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  if (::posix_spawn(&daemon_, kDaemon, &actions, nullptr, argv.data(), envp.data()) != 0) {
    daemon_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);

  // This process (and the pactl it runs) reaches only this server, and reads no user's files.
  using testing_support::ScopedEnv;
  const std::string run = (root / "run").string();
  const std::pair<const char*, std::string> client_env[] = {
      {"PULSE_SERVER", "unix:" + socket_},
      {"PULSE_RUNTIME_PATH", run},
      {"XDG_RUNTIME_DIR", run},
      {"PULSE_COOKIE", (root / "cookie").string()},
      {"PULSE_CLIENTCONFIG", client_config},
  };
  for (const auto& [name, value] : client_env) {
    client_env_.push_back(std::make_unique<ScopedEnv>(name, value));
  }
  ready_ = daemon_ > 0 && WaitUntilListening();
}

PrivateSoundServer::~PrivateSoundServer() {
  if (daemon_ > 0) Stop(daemon_);
}

bool PrivateSoundServer::WaitUntilListening() const {
  for (int i = 0; i < 200; ++i) {
    if (CanConnect(socket_)) return true;
    if (::waitpid(daemon_, nullptr, WNOHANG) == daemon_) return false;  // it gave up
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string PrivateSoundServer::log() const {
  std::ifstream file(folder_.path() / "daemon.log");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

PrivateSoundServer::PactlResult PrivateSoundServer::Pactl(const std::string& arguments) const {
  const std::string command = "pactl " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {false, "popen failed"};
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) output += buffer;
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) && WEXITSTATUS(status) == 0, output};
}

std::string PrivateSoundServer::DefaultSinkPercents() const {
  // "Volume: front-left: 49479 /  75% / -7.32 dB,   front-right: ..."
  const std::string output = Pactl("get-sink-volume @DEFAULT_SINK@").output;
  std::string percents;
  std::istringstream words(output);
  std::string word;
  while (words >> word) {
    if (word.size() > 1 && word.back() == '%') percents += (percents.empty() ? "" : " ") + word;
  }
  return percents;
}

void SoundServerTest::SetUp() {
  QUORVEL_NEEDS(PrivateSoundServer::Installed(), "no PulseAudio daemon installed");
  server_ = std::make_unique<PrivateSoundServer>();
  ASSERT_TRUE(server_->ready()) << server_->log();
}

NoSoundServer::NoSoundServer()
    : server_env_("PULSE_SERVER", "unix:" + (folder_.path() / "nobody-listens").string()) {}

}  // namespace audio_test
