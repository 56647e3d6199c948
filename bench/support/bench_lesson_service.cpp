#include "bench/support/bench_lesson_service.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <variant>

namespace bench {

BenchLessonService::BenchLessonService(const LessonOptions& lesson) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) return;
  folder_ = pattern;
  ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  auto opened = LessonStore::Open(folder_ + "/lessons.db");
  if (!std::holds_alternative<std::unique_ptr<LessonStore>>(opened)) return;
  store_ = std::move(std::get<std::unique_ptr<LessonStore>>(opened));
  lesson_ = store_->CreateLesson(lesson);
  server_ = std::make_unique<LessonServer>(*store_, FaultPlan{});
  port_ = server_->Bind("127.0.0.1", 0);
  if (port_ <= 0) return;
  ::setenv("QUORVEL_API_BASE", ("http://127.0.0.1:" + std::to_string(port_)).c_str(), 1);
  serving_ = std::thread([this] { server_->Serve(); });
}

BenchLessonService::~BenchLessonService() {
  if (server_) server_->Stop();
  if (serving_.joinable()) serving_.join();
  server_.reset();
  store_.reset();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

const std::string& BenchLessonService::CodeOf(Role role) const {
  for (size_t i = 0; i < kRoles.size(); ++i) {
    if (kRoles[i] == role) return lesson_.codes[i];
  }
  return lesson_.codes[0];
}

}  // namespace bench
