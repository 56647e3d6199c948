#include "service/worker_gate.h"

WorkerGate::Ticket::Ticket(std::shared_ptr<WorkerGate> gate) : gate_(std::move(gate)) {
  gate_->WorkerStarted();
}

WorkerGate::Ticket::~Ticket() {
  if (gate_) gate_->WorkerFinished();
}

WorkerGate::Pass WorkerGate::Enter() {
  std::unique_lock<std::mutex> lock(holder_mutex_);
  if (closed_.load()) lock.unlock();
  return Pass(std::move(lock));
}

bool WorkerGate::CloseAndWait(std::chrono::milliseconds bound) {
  {
    // Taking the holder lock waits for a worker that is inside; after it, none can enter.
    std::lock_guard<std::mutex> lock(holder_mutex_);
    closed_.store(true);
  }
  std::unique_lock<std::mutex> lock(count_mutex_);
  return all_finished_.wait_for(lock, bound, [this] { return running_ == 0; });
}

int WorkerGate::running() const {
  std::lock_guard<std::mutex> lock(count_mutex_);
  return running_;
}

void WorkerGate::WorkerStarted() {
  std::lock_guard<std::mutex> lock(count_mutex_);
  ++running_;
}

void WorkerGate::WorkerFinished() {
  std::lock_guard<std::mutex> lock(count_mutex_);
  if (--running_ == 0) all_finished_.notify_all();
}
