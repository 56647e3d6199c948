// Keeps request workers away from a DataHolder that is gone.
//
// Each DataHolder owns a gate shared with the workers it starts. A worker enters the gate
// before it touches the holder and leaves it when it is done; once the holder closes the
// gate (first thing in its destruction), no worker gets in again, transfers still running
// are aborted, and the holder waits a bounded time for the workers to finish. The workers
// keep the gate alive themselves, so a worker still running after that bound only ever
// touches its gate.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

class WorkerGate {
 public:
  // Held while a worker touches the holder; converts to false when the gate was closed.
  class Pass {
   public:
    explicit operator bool() const { return lock_.owns_lock(); }

   private:
    friend class WorkerGate;
    explicit Pass(std::unique_lock<std::mutex> lock) : lock_(std::move(lock)) {}
    std::unique_lock<std::mutex> lock_;
  };

  // Counts one running worker from its start to its end, including its thread's start-up.
  class Ticket {
   public:
    explicit Ticket(std::shared_ptr<WorkerGate> gate);
    ~Ticket();
    Ticket(Ticket&& other) noexcept = default;
    Ticket& operator=(Ticket&&) = delete;
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;

    WorkerGate& gate() const { return *gate_; }

   private:
    std::shared_ptr<WorkerGate> gate_;
  };

  // Blocks while another worker holds a pass; a false pass once the gate is closed.
  Pass Enter();
  // For transfers to poll: true once closing has begun.
  bool IsClosed() const { return closed_.load(); }
  const std::atomic<bool>& closed_flag() const { return closed_; }

  // Closes the gate, then waits up to the bound for the running workers to end. True when
  // none is left running.
  bool CloseAndWait(std::chrono::milliseconds bound);

  int running() const;

 private:
  void WorkerStarted();
  void WorkerFinished();

  std::mutex holder_mutex_;  // held by a pass
  std::atomic<bool> closed_{false};
  mutable std::mutex count_mutex_;
  std::condition_variable all_finished_;
  int running_ = 0;
};
