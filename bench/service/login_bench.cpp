// Both login steps (login by code, then access for the role) against the local lesson
// service on loopback, as the login worker runs them: form, post, read the reply.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/support/bench_lesson_service.h"
#include "service/api_address.h"
#include "service/base_query.h"
#include "service/data_holder.h"
#include "service/http_post.h"
#include "service/login_reply.h"
#include "service/login_request.h"

namespace {

// The lesson service with one lesson, and a holder whose settings live in its folder.
class BenchService {
 public:
  BenchService() : holder_(std::make_unique<DataHolder>()) {}

  DataHolder& holder() { return *holder_; }
  const std::string& code() const { return service_.lesson().codes[0]; }

 private:
  bench::BenchLessonService service_;  // first: the holder reads the folder it points at
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
        ReadAccessReply(HttpPost(ApiUrl(AccessPathFor(lesson.role())), form), holder.chinese_ui);
    ApplyAccessOutcome(holder, access);
    if (!login.succeeded() || !access.succeeded()) {
      state.SkipWithError("the login failed");
      break;
    }
    benchmark::DoNotOptimize(holder.lesson().uid);
  }
}
// Single logins, many times over: the median of the repetitions is the median login.
BENCHMARK(BM_BothLoginSteps)
    ->Iterations(1)
    ->Repetitions(200)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

}  // namespace
