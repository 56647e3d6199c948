// Posting, sending and retrieving messages; quitting.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "core/deferred_presents.h"
#include "core/dispatch.h"
#include "core/model.h"
#include "core/thread_queue.h"

using win::core::Model;
using win::core::TheModel;
using win::core::ThreadQueue;
using win::core::Window;

namespace {

MSG MakeMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  MSG made{};
  made.hwnd = window;
  made.message = message;
  made.wParam = wparam;
  made.lParam = lparam;
  made.time = static_cast<DWORD>(win::core::TheBackend().clock().NowMs());
  made.pt = TheModel().CachedCursor();
  return made;
}

// A posted message passes the window filter when it is for the window or one of its children.
bool WindowMatches(HWND filter, HWND window) {
  if (filter == window) return true;
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.IsDescendant(filter, window);
}

bool Alive(HWND window) {
  if (window == nullptr) return true;
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.FindLocal(window) != nullptr;
}

bool InRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

// One retrieval step of GetMessageW and PeekMessageW, in Windows' order: sent messages
// (delivered here), posted ones, the quit request, paint, then timers.
bool Retrieve(MSG* out, HWND filter, UINT first, UINT last, bool remove, bool block) {
  ThreadQueue& queue = win::core::CurrentQueue();
  const win::core::Clock& clock = win::core::TheBackend().clock();
  for (;;) {
    queue.RunTasks();
    if (auto posted = queue.TakePosted(filter, first, last, remove, WindowMatches)) {
      if (!Alive(posted->hwnd)) {
        // Late post to a destroyed window: dropped (the payload was the sender's to keep).
        if (!remove) queue.TakePosted(filter, first, last, true, WindowMatches);
        continue;
      }
      *out = *posted;
      return true;
    }
    if (queue.quit_pending && InRange(WM_QUIT, first, last)) {
      *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0);
      if (remove) queue.quit_pending = false;
      return true;
    }
    if (InRange(WM_PAINT, first, last)) {
      if (auto painted = queue.TakePaintRequest(filter, WindowMatches)) {
        if (Alive(*painted)) {
          *out = MakeMessage(*painted, WM_PAINT, 0, 0);
          if (!remove) queue.RequestPaint(*painted);
          return true;
        }
        continue;
      }
    }
    std::optional<std::int64_t> next_due;
    if (InRange(WM_TIMER, first, last)) {
      const std::int64_t now = clock.NowMs();
      win::core::Timer* due = nullptr;
      for (auto& timer : queue.timers()) {
        if (filter != nullptr && !WindowMatches(filter, timer.window)) continue;
        if (timer.due_ms <= now && (due == nullptr || timer.due_ms < due->due_ms)) due = &timer;
        if (!next_due || timer.due_ms < *next_due) next_due = timer.due_ms;
      }
      if (due != nullptr) {
        *out = MakeMessage(due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->callback));
        // Expiries missed while busy collapse into this one.
        if (remove) due->due_ms = now + due->period_ms;
        return true;
      }
    }
    // Nothing more this turn: what it painted goes on the screen before the loop waits.
    win::core::PresentDeferred();
    if (!block) return false;
    queue.Wait(clock, next_due);
  }
}

struct SendReply {
  std::atomic<bool> done{false};
  LRESULT result = 0;
};

}  // namespace

BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (window == nullptr) return PostThreadMessageW(GetCurrentThreadId(), message, wparam, lparam);
  Model& model = TheModel();
  std::shared_ptr<ThreadQueue> queue;
  std::uint64_t foreign_id = 0;
  {
    std::shared_lock lock(model.mutex);
    Window* target = model.Find(window);
    if (target == nullptr || target->destroying) return FALSE;
    if (target->foreign) {
      foreign_id = target->foreign->native_id;
    } else {
      queue = target->queue;
    }
  }
  if (!queue) {
    return win::core::TheBackend().PostForeign(foreign_id, message, wparam, lparam) ? TRUE : FALSE;
  }
  return queue->Post(MakeMessage(window, message, wparam, lparam)) ? TRUE : FALSE;
}

BOOL PostThreadMessageW(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam) {
  std::shared_ptr<ThreadQueue> queue = thread_id == GetCurrentThreadId()
                                           ? win::core::CurrentQueueShared()
                                           : win::core::QueueOfThread(thread_id);
  if (!queue) return FALSE;
  return queue->Post(MakeMessage(nullptr, message, wparam, lparam)) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Model& model = TheModel();
  std::shared_ptr<ThreadQueue> target_queue;
  std::uint64_t foreign_id = 0;
  {
    std::shared_lock lock(model.mutex);
    Window* target = model.Find(window);
    if (target == nullptr) return 0;
    if (target->foreign) {
      foreign_id = target->foreign->native_id;
    } else {
      target_queue = target->queue;
    }
  }
  if (!target_queue) {
    // Another program's procedure cannot be waited for: the message goes as a post.
    win::core::TheBackend().PostForeign(foreign_id, message, wparam, lparam);
    return 0;
  }
  if (target_queue->thread_id() == GetCurrentThreadId()) {
    return win::core::CallProcedure(window, message, wparam, lparam);
  }
  auto reply = std::make_shared<SendReply>();
  std::shared_ptr<ThreadQueue> own_queue = win::core::CurrentQueueShared();
  bool queued = target_queue->PostTask([=](bool deliver) {
    if (deliver) reply->result = win::core::CallProcedure(window, message, wparam, lparam);
    reply->done.store(true, std::memory_order_release);
    own_queue->Wake();
  });
  if (!queued) return 0;
  // Messages sent to this thread meanwhile are delivered, so two threads sending to each
  // other do not deadlock.
  const win::core::Clock& clock = win::core::TheBackend().clock();
  while (!reply->done.load(std::memory_order_acquire)) {
    own_queue->RunTasks();
    if (reply->done.load(std::memory_order_acquire)) break;
    win::core::PresentDeferred();
    own_queue->Wait(clock, std::nullopt);
  }
  return reply->result;
}

BOOL GetMessageW(LPMSG message, HWND window, UINT first, UINT last) {
  if (message == nullptr) return -1;
  Retrieve(message, window, first, last, true, true);
  return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
  if (message == nullptr) return FALSE;
  return Retrieve(message, window, first, last, (remove & PM_REMOVE) != 0, false) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  MSG ignored{};
  Retrieve(&ignored, nullptr, 0, 0, false, true);
  return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr || message->lPrivate == 0) return FALSE;
  UINT character_message = 0;
  if (message->message == WM_KEYDOWN) character_message = WM_CHAR;
  if (message->message == WM_SYSKEYDOWN) character_message = WM_SYSCHAR;
  if (character_message == 0) return FALSE;
  MSG character = *message;
  character.message = character_message;
  character.wParam = message->lPrivate;
  character.lPrivate = 0;
  win::core::CurrentQueue().PushFront(character);
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    auto callback = reinterpret_cast<TIMERPROC>(message->lParam);
    callback(message->hwnd, WM_TIMER, message->wParam, message->time);
    return 0;
  }
  LRESULT result =
      win::core::CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
  // A procedure that ignores WM_PAINT must not get it again and again.
  if (message->message == WM_PAINT) ValidateRect(message->hwnd, nullptr);
  return result;
}

void PostQuitMessage(int exit_code) {
  ThreadQueue& queue = win::core::CurrentQueue();
  queue.quit_pending = true;
  queue.quit_code = exit_code;
}

DWORD GetCurrentThreadId() { return win::core::CurrentThreadId(); }

namespace win::core {

bool PostInput(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD character) {
  Model& model = TheModel();
  std::shared_ptr<ThreadQueue> queue;
  {
    std::shared_lock lock(model.mutex);
    Window* target = model.FindLocal(window);
    if (target == nullptr || target->destroying) return false;
    queue = target->queue;
  }
  MSG input = MakeMessage(window, message, wparam, lparam);
  input.lPrivate = character;
  return queue->Post(input);
}

}  // namespace win::core
