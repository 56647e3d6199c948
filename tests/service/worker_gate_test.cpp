#include "service/worker_gate.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "service/login_request.h"
#include "tests/service/running_lesson_service.h"
#include "tests/service/worker_test_support.h"

using testing_support::RunningLessonService;
using testing_support::SimpleFault;
using testing_support::WorkerHarness;

TEST(WorkerGate, NoPassOnceClosed) {
  auto gate = std::make_shared<WorkerGate>();
  EXPECT_TRUE(static_cast<bool>(gate->Enter()));
  EXPECT_TRUE(gate->CloseAndWait(std::chrono::milliseconds(10)));
  EXPECT_TRUE(gate->IsClosed());
  EXPECT_FALSE(static_cast<bool>(gate->Enter()));
}

TEST(WorkerGate, ClosingWaitsForAWorkerInsideTheHolder) {
  auto gate = std::make_shared<WorkerGate>();
  std::promise<void> entered;
  std::promise<void> release;
  std::thread worker([gate, &entered, &release] {
    WorkerGate::Ticket ticket(gate);
    WorkerGate::Pass pass = gate->Enter();
    entered.set_value();
    release.get_future().wait();
  });
  entered.get_future().wait();
  auto closing = std::async(std::launch::async,
                            [gate] { return gate->CloseAndWait(std::chrono::seconds(20)); });
  EXPECT_EQ(closing.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
      << "closed while a worker was still writing";
  release.set_value();
  EXPECT_TRUE(closing.get());
  worker.join();
  EXPECT_EQ(gate->running(), 0);
}

TEST(WorkerGate, TheWaitIsBoundedWhenAWorkerDoesNotEnd) {
  auto gate = std::make_shared<WorkerGate>();
  auto ticket = std::make_unique<WorkerGate::Ticket>(gate);
  EXPECT_FALSE(gate->CloseAndWait(std::chrono::milliseconds(50)));
  EXPECT_EQ(gate->running(), 1);
  ticket.reset();
  EXPECT_EQ(gate->running(), 0);
}

TEST(WorkerGate, DestroyingTheHolderStopsAStalledLoginWhichThenPostsNothing) {
  RunningLessonService service({{"/User/loginCode", SimpleFault(FaultKind::kStall)}});
  WorkerHarness harness;
  std::shared_ptr<WorkerGate> gate = harness.holder().worker_gate();
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  // Let the request reach the service before the program "exits".
  for (int i = 0; i < 500 && service.store().Requests().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(service.store().Requests().size(), 1u);
  harness.DestroyHolder();
  EXPECT_TRUE(gate->IsClosed());
  EXPECT_EQ(gate->running(), 0) << "the holder's destruction returned before its worker ended";
  harness.window().DrainQueue();
  EXPECT_TRUE(harness.received().empty());
}
