// What every request-worker test needs: a private user profile, a holder whose main window
// is a recording window, and a wait for the holder's workers to end.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "service/data_holder.h"
#include "tests/service/completion_window.h"
#include "tests/support/scoped_env.h"

namespace testing_support {

// Everything a request test touches, in construction order: profile, window, holder.
class WorkerHarness {
 public:
  explicit WorkerHarness(const char* locale = "en_US.UTF-8")
      : profile_(locale), holder_(std::make_unique<DataHolder>()) {
    holder_->main_window = window_.handle();
  }

  DataHolder& holder() { return *holder_; }
  CompletionWindow& window() { return window_; }
  const std::vector<PostedMessage>& received() const { return window_.received(); }

  // Runs the loop until every worker on the holder has ended and its messages are in.
  bool WaitForWorkers(std::chrono::seconds watchdog = std::chrono::seconds(60)) {
    std::shared_ptr<WorkerGate> gate = holder_->worker_gate();
    return window_.RunUntil([&gate] { return gate->running() == 0; }, watchdog);
  }

  // Destroys the holder now, as the program's exit does.
  void DestroyHolder() { holder_.reset(); }

 private:
  ScopedUserProfile profile_;
  CompletionWindow window_;
  std::unique_ptr<DataHolder> holder_;
};

inline PostedMessage ConfigDone() { return {UM_CONFIG_DONE, 0, 0}; }
inline PostedMessage LoginResult(WPARAM step, LPARAM succeeded) {
  return {UM_LOGIN_RESULT, step, succeeded};
}

}  // namespace testing_support
