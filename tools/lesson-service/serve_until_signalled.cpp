#include "tools/lesson-service/serve_until_signalled.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

void ServeUntilSignalled(LessonServer& server) {
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigset_t previous;
  // Blocked before any server thread starts, so that only the waiter takes them.
  pthread_sigmask(SIG_BLOCK, &stop_signals, &previous);
  std::thread waiter([&server, &stop_signals] {
    int received = 0;
    sigwait(&stop_signals, &received);
    server.Stop();
  });
  server.Serve();
  // A server that stopped by itself leaves the waiter waiting for a signal that may never
  // come: it is sent one of its own. Stop does nothing the second time.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
