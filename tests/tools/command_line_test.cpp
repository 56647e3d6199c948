#include "tools/lesson-service/command_line.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <sstream>
#include <thread>

#include "tests/support/scoped_env.h"
#include "tests/tools/json_text.h"
#include "tools/lesson-service/lesson_store.h"
#include "tools/lesson-service/serve_until_signalled.h"

using testing_support::ParseJson;
using testing_support::TempDir;

namespace {

struct CommandRun {
  int exit_code;
  std::string out;
  std::string err;
};

CommandRun Command(std::vector<std::string> arguments) {
  std::ostringstream out;
  std::ostringstream err;
  int exit_code = RunCommand(arguments, out, err);
  return {exit_code, out.str(), err.str()};
}

// The real executable, serving until it is sent SIGTERM.
class ServiceProcess {
 public:
  ServiceProcess(const std::string& db, const std::vector<std::string>& extra) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
      ADD_FAILURE() << "pipe";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(pipe_ends[1], STDOUT_FILENO);
      ::close(pipe_ends[0]);
      std::vector<std::string> arguments = {
          QUORVEL_LESSON_SERVICE, "serve", "--db", db, "--port", "0"};
      arguments.insert(arguments.end(), extra.begin(), extra.end());
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(pipe_ends[1]);
    output_ = ::fdopen(pipe_ends[0], "r");
    char line[256] = {};
    if (output_ == nullptr || std::fgets(line, sizeof line, output_) == nullptr) {
      ADD_FAILURE() << "the service printed nothing";
      return;
    }
    first_line_ = line;
    size_t colon = first_line_.rfind(':');
    port_ = std::stoi(first_line_.substr(colon + 1));
  }

  ~ServiceProcess() {
    if (pid_ > 0 && !stopped_) Stop();
    if (output_) std::fclose(output_);
  }

  // Sends SIGTERM and waits (bounded) for the exit status.
  int Stop() {
    stopped_ = true;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 1000; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    ADD_FAILURE() << "the service did not stop on SIGTERM";
    return -1;
  }

  int port() const { return port_; }
  const std::string& first_line() const { return first_line_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::string first_line_;
  int port_ = 0;
  bool stopped_ = false;
};

}  // namespace

TEST(CommandLine, CreateLessonPrintsItsCodesAndUidsAsOneJsonObject) {
  TempDir folder;
  std::string db = (folder.path() / "l.db").string();
  CommandRun run = Command({"create-lesson", "--db", db, "--start-in", "60", "--duration", "1800",
                            "--countdown", "120", "--forceclose", "30", "--screen-sharing"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  ASSERT_EQ(run.out.back(), '\n');
  Json::Value printed = ParseJson(run.out);
  for (const char* role : {"teacher", "student", "assistant"}) {
    EXPECT_TRUE(printed["codes"][role].isString()) << role;
    EXPECT_TRUE(printed["uids"][role].isInt()) << role;
  }
  auto store = std::get<std::unique_ptr<LessonStore>>(LessonStore::Open(db));
  std::optional<Lesson> lesson = store->LessonById(printed["meeting_id"].asString());
  ASSERT_TRUE(lesson.has_value());
  EXPECT_EQ(lesson->channel_name, printed["channel_name"].asString());
  EXPECT_EQ(lesson->duration, 1800);
  EXPECT_EQ(lesson->countdown, 120);
  EXPECT_EQ(lesson->forceclose, 30);
  EXPECT_TRUE(lesson->screen_sharing);
  EXPECT_FALSE(lesson->recording);
  EXPECT_EQ(store->ParticipantByCode(printed["codes"]["student"].asString())->uid,
            printed["uids"]["student"].asInt());
}

TEST(CommandLine, SetConfigChangesOnlyWhatItIsGiven) {
  TempDir folder;
  std::string db = (folder.path() / "l.db").string();
  ASSERT_EQ(Command({"set-config", "--db", db, "--app-id", "abc"}).exit_code, 0);
  ASSERT_EQ(Command({"set-config", "--db", db, "--new-version", "1.2.0", "--update", "1",
                     "--update-message", "new", "--update-url", "http://u"})
                .exit_code,
            0);
  auto store = std::get<std::unique_ptr<LessonStore>>(LessonStore::Open(db));
  ServiceConfig config = store->Config();
  EXPECT_EQ(config.app_id, "abc");
  EXPECT_EQ(config.new_version, "1.2.0");
  EXPECT_EQ(config.update, 1);
  EXPECT_EQ(config.update_url, "http://u");
  EXPECT_EQ(Command({"set-config", "--db", db, "--update", "3"}).exit_code, 2);
}

TEST(CommandLine, ReportsPrintsOneJsonObjectALine) {
  TempDir folder;
  std::string db = (folder.path() / "l.db").string();
  {
    auto store = std::get<std::unique_ptr<LessonStore>>(LessonStore::Open(db));
    store->AddReport({"m1", 5, 6, "enter", 100});
    store->AddReport({"m1", -5, 6, "exit", 101});
  }
  CommandRun run = Command({"reports", "--db", db});
  ASSERT_EQ(run.exit_code, 0);
  std::istringstream lines(run.out);
  std::string first;
  std::string second;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(ParseJson(first)["action"].asString(), "enter");
  EXPECT_EQ(ParseJson(second)["target_uid"].asInt(), -5);
  EXPECT_EQ(ParseJson(second)["meeting_id"].asString(), "m1");
}

TEST(CommandLine, MistakesAreReportedWithUsage) {
  EXPECT_EQ(Command({}).exit_code, 2);
  EXPECT_EQ(Command({"fly"}).exit_code, 2);
  EXPECT_EQ(Command({"reports"}).exit_code, 2);
  CommandRun run = Command({"create-lesson", "--db", "/tmp/x.db", "--duration", "-1"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("usage:"), std::string::npos);
  EXPECT_EQ(Command({"serve", "--db", "/tmp/x.db", "--port", "0", "--fault", "bad"}).exit_code, 2);
  EXPECT_EQ(Command({"reports", "--db", "/nonexistent-folder/x.db"}).exit_code, 1);
}

TEST(CommandLine, MediaServersNeedAPlainHttpAddressEachAndTheAdminKey) {
  const std::string url = "http://127.0.0.1:8088/janus";
  const std::pair<std::vector<std::string>, const char*> mistakes[] = {
      {{"--media-server", url}, "--media-server needs --media-admin-key"},
      {{"--media-admin-key", "k"}, "--media-admin-key needs --media-server"},
      {{"--media-server", "https://127.0.0.1/janus", "--media-admin-key", "k"}, "only http://"},
      {{"--media-server", url, "--media-server", url, "--media-admin-key", "k"}, "given twice"},
  };
  for (const auto& [options, reason] : mistakes) {
    std::vector<std::string> arguments = {"serve", "--db", "/tmp/x.db", "--port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    CommandRun run = Command(arguments);
    EXPECT_EQ(run.exit_code, 2) << reason;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  }
}

TEST(ServeUntilSignalled, ReturnsWhenTheServerStopsByItself) {
  TempDir folder;
  auto store =
      std::get<std::unique_ptr<LessonStore>>(LessonStore::Open((folder.path() / "l.db").string()));
  LessonServer server(*store, {});
  ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
  auto serving = std::async(std::launch::async, [&server] { ServeUntilSignalled(server); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  server.Stop();
  if (serving.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "still serving after the server stopped";
    std::abort();  // the waiting thread cannot be abandoned
  }
}

TEST(CommandLine, ServeAnswersOnTheAnnouncedPortAndStopsOnSigterm) {
  TempDir folder;
  std::string db = (folder.path() / "l.db").string();
  Json::Value lesson = ParseJson(Command({"create-lesson", "--db", db}).out);
  ServiceProcess service(db, {"--fault", "/init/getPCConfig=code:9"});
  ASSERT_GT(service.port(), 0) << service.first_line();
  EXPECT_EQ(service.first_line(),
            "listening on http://127.0.0.1:" + std::to_string(service.port()) + "\n");
  httplib::Client client("127.0.0.1", service.port());
  client.set_read_timeout(20, 0);
  auto login =
      client.Post("/User/loginCode", "lan=us&code=" + lesson["codes"]["teacher"].asString(),
                  "application/x-www-form-urlencoded");
  ASSERT_TRUE(login);
  EXPECT_EQ(ParseJson(login->body)["data"]["user_type"].asInt(), 1);
  auto config = client.Post("/init/getPCConfig", "lan=us", "application/x-www-form-urlencoded");
  ASSERT_TRUE(config);
  EXPECT_EQ(ParseJson(config->body)["code"].asInt(), 9);
  EXPECT_EQ(service.Stop(), 0);
  CommandRun requests = Command({"requests", "--db", db});
  EXPECT_NE(requests.out.find("\"path\":\"/User/loginCode\""), std::string::npos) << requests.out;
}
