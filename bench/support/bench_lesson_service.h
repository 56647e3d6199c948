// The real lesson service for a benchmark: a fresh database in a throw-away folder (which is
// also the user's configuration folder), one lesson, served on a free loopback port that the
// client's API address names, stopped and removed at the end.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "tools/lesson-service/lesson_server.h"
#include "tools/lesson-service/lesson_store.h"

namespace bench {

class BenchLessonService {
 public:
  explicit BenchLessonService(const LessonOptions& lesson = {});
  ~BenchLessonService();
  BenchLessonService(const BenchLessonService&) = delete;
  BenchLessonService& operator=(const BenchLessonService&) = delete;

  // False when the database could not be opened or no port was free.
  bool ok() const { return port_ > 0; }
  const std::string& folder() const { return folder_; }
  const CreatedLesson& lesson() const { return lesson_; }
  const std::string& CodeOf(Role role) const;

 private:
  std::string folder_;
  std::unique_ptr<LessonStore> store_;
  CreatedLesson lesson_;
  std::unique_ptr<LessonServer> server_;
  int port_ = -1;
  std::thread serving_;
};

}  // namespace bench
