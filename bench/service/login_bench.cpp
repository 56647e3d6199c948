// Both login steps (login by code, then access for the role) against the local lesson
// service on loopback, as the login worker runs them: form, post, read the reply.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <variant>

#include "service/api_address.h"
#include "service/base_query.h"
#include "service/data_holder.h"
#include "service/http_post.h"
#include "service/login_reply.h"
#include "service/login_request.h"
#include "tools/lesson-service/lesson_server.h"
#include "tools/lesson-service/lesson_store.h"

namespace {

// A lesson service on a free loopback port with one lesson, and a holder whose settings
// live in a throw-away folder.
class BenchService {
 public:
  BenchService() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX");
    folder_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    auto opened = LessonStore::Open(folder_ + "/lessons.db");
    store_ = std::move(std::get<std::unique_ptr<LessonStore>>(opened));
    code_ = store_->CreateLesson({}).codes[0];
    server_ = std::make_unique<LessonServer>(*store_, FaultPlan{});
    int port = server_->Bind("127.0.0.1", 0);
    ::setenv("QUORVEL_API_BASE", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
    serving_ = std::thread([this] { server_->Serve(); });
    holder_ = std::make_unique<DataHolder>();
  }
  ~BenchService() {
    holder_.reset();
    server_->Stop();
    serving_.join();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  DataHolder& holder() { return *holder_; }
  const std::string& code() const { return code_; }

 private:
  std::string folder_;
  std::unique_ptr<LessonStore> store_;
  std::string code_;
  std::unique_ptr<LessonServer> server_;
  std::thread serving_;
  std::unique_ptr<DataHolder> holder_;
};

void BM_BothLoginSteps(benchmark::State& state) {
  static BenchService service;
  DataHolder& holder = service.holder();
  for (auto _ : state) {
    std::string form = BuildBaseQuery(holder) + FormParameter("code", service.code());
    StepOutcome<LoginData> login =
        ReadLoginReply(HttpPost(ApiUrl(request_path::kLogin), form), holder.chinese_ui);
    ApplyLoginOutcome(holder, login);
    const LessonRecord& lesson = holder.lesson();
    form = BuildBaseQuery(holder) + FormParameter("token", lesson.token) +
           FormParameter("meeting_id", lesson.meeting_id);
    StepOutcome<AccessData> access =
        ReadAccessReply(HttpPost(ApiUrl(AccessPathFor(lesson.user_type)), form), holder.chinese_ui);
    ApplyAccessOutcome(holder, access);
    if (!login.succeeded() || !access.succeeded()) {
      state.SkipWithError("the login failed");
      break;
    }
    benchmark::DoNotOptimize(holder.lesson().uid);
  }
}
// Single logins, many times over: the median of the repetitions is the median login.
BENCHMARK(BM_BothLoginSteps)->Iterations(1)->Repetitions(200)->UseRealTime()->Unit(
    benchmark::kMillisecond)->ReportAggregatesOnly(true);

}  // namespace
