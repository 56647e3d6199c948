// Posting, sending and retrieving messages; window creation and destruction order.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/platform/win/window_test_support.h"

using win_test::CreateTestWindow;
using win_test::RunLoopUntil;

namespace {

constexpr UINT kNumbered = WM_USER + 1;

class Messaging : public ::testing::Test {
 protected:
  void SetUp() override { win_test::RegisterTestClass(L"MessagingTest"); }
  void TearDown() override { win_test::DestroyTestWindows(); }
};

TEST_F(Messaging, PostsFromSeveralThreadsKeepEachThreadsOrderAndLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 20000;
  std::vector<int> next_expected(kThreads, 0);
  int received = 0;
  int out_of_order = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) {
          int thread = static_cast<int>(wp);
          if (static_cast<int>(lp) != next_expected[static_cast<size_t>(thread)]) ++out_of_order;
          next_expected[static_cast<size_t>(thread)] = static_cast<int>(lp) + 1;
          ++received;
          return 0;
        }
        return DefWindowProcW(w, m, wp, lp);
      });
  ASSERT_NE(window, nullptr);
  std::vector<std::thread> posters;
  std::atomic<int> failed_posts{0};
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        if (!PostMessageW(window, kNumbered, static_cast<WPARAM>(t), i)) ++failed_posts;
      }
    });
  }
  EXPECT_TRUE(RunLoopUntil([&] { return received == kThreads * kPerThread; }));
  for (auto& poster : posters) poster.join();
  EXPECT_EQ(failed_posts.load(), 0);
  EXPECT_EQ(out_of_order, 0);
  EXPECT_EQ(received, kThreads * kPerThread);
}

TEST_F(Messaging, SendFromAnotherThreadRunsOnTheOwnerAndReturnsItsResult) {
  const DWORD owner = GetCurrentThreadId();
  DWORD ran_on = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) {
          ran_on = GetCurrentThreadId();
          return static_cast<LRESULT>(wp * 2);
        }
        return DefWindowProcW(w, m, wp, lp);
      });
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
  std::thread sender([&] {
    result = SendMessageW(window, kNumbered, 21, 0);
    done = true;
    PostMessageW(window, WM_NULL, 0, 0);  // wakes the loop to see done
  });
  EXPECT_TRUE(RunLoopUntil([&] { return done.load(); }));
  sender.join();
  EXPECT_EQ(result.load(), 42);
  EXPECT_EQ(ran_on, owner);
}

TEST_F(Messaging, SendToTheOwnThreadIsADirectCall) {
  int calls = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) return static_cast<LRESULT>(++calls);
        return DefWindowProcW(w, m, wp, lp);
      });
  EXPECT_EQ(SendMessageW(window, kNumbered, 0, 0), 1);
  EXPECT_EQ(calls, 1);
}

TEST_F(Messaging, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  HWND here =
      CreateTestWindow(L"MessagingTest", [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == kNumbered ? 7 : DefWindowProcW(w, m, wp, lp);
      });
  std::atomic<HWND> there{nullptr};
  std::atomic<LRESULT> answer{0};
  std::atomic<bool> quit{false};
  std::thread other([&] {
    win_test::RegisterTestClass(L"MessagingTest");
    HWND own =
        CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
          // While handling the main thread's send, send back to it.
          if (m == kNumbered) return SendMessageW(here, kNumbered, 0, 0) + 1;
          return DefWindowProcW(w, m, wp, lp);
        });
    there = own;
    PostMessageW(here, WM_NULL, 0, 0);  // wakes the main loop to see the window
    MSG message{};
    while (!quit && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(own);
  });
  ASSERT_TRUE(RunLoopUntil([&] { return there.load() != nullptr; }));
  answer = SendMessageW(there.load(), kNumbered, 0, 0);
  quit = true;
  PostMessageW(there.load(), WM_NULL, 0, 0);
  other.join();
  EXPECT_EQ(answer.load(), 8);
}

TEST_F(Messaging, ADestroyedWindowIsDeadForeverAndRefusesPosts) {
  HWND first = CreateTestWindow(L"MessagingTest", nullptr);
  ASSERT_TRUE(IsWindow(first));
  ASSERT_TRUE(DestroyWindow(first));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(PostMessageW(first, kNumbered, 0, 0));
  EXPECT_EQ(SendMessageW(first, kNumbered, 0, 0), 0);
  for (int i = 0; i < 50; ++i) {
    HWND later = CreateTestWindow(L"MessagingTest", nullptr);
    EXPECT_NE(later, first);
    DestroyWindow(later);
  }
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(Messaging, AMessagePostedBeforeDestructionIsNeverDelivered) {
  int delivered = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) ++delivered;
        return DefWindowProcW(w, m, wp, lp);
      });
  ASSERT_TRUE(PostMessageW(window, kNumbered, 0, 0));
  DestroyWindow(window);
  win_test::PumpPending();
  EXPECT_EQ(delivered, 0);
}

TEST_F(Messaging, CreationAndDestructionSendTheirMessagesInOrder) {
  std::vector<UINT> seen;
  std::vector<HWND> order;
  HWND parent = CreateTestWindow(
      L"MessagingTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_NCCREATE || m == WM_CREATE || m == WM_SIZE || m == WM_MOVE ||
            m == WM_SHOWWINDOW || m == WM_DESTROY || m == WM_NCDESTROY) {
          seen.push_back(m);
        }
        if (m == WM_NCDESTROY) order.push_back(w);
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP | WS_VISIBLE);
  std::vector<UINT> expected{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW};
  EXPECT_EQ(seen, expected);
  HWND child = CreateTestWindow(
      L"MessagingTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_NCDESTROY) order.push_back(w);
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_CHILD, 0, 0, 10, 10, parent);
  seen.clear();
  EXPECT_TRUE(DestroyWindow(parent));
  EXPECT_EQ(seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(order, (std::vector<HWND>{child, parent}));
  EXPECT_FALSE(IsWindow(child));
}

TEST_F(Messaging, CreateParametersReachTheProcedureAndUserDataSticks) {
  int marker = 5;
  LPVOID received = nullptr;
  HWND window = CreateTestWindow(
      L"MessagingTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_NCCREATE) {
          received = reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams;
          SetWindowLongPtrW(w, GWLP_USERDATA, 1234);
        }
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP, 0, 0, 10, 10, nullptr, 0, &marker);
  EXPECT_EQ(received, &marker);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 1234);
  EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, 99), 1234);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 99);
}

TEST_F(Messaging, CreationFailsWhenTheProcedureRefusesIt) {
  HWND refused =
      CreateTestWindow(L"MessagingTest", [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcW(w, m, wp, lp);
      });
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(
      CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
}

TEST_F(Messaging, QuitEndsTheLoopAfterWhatWasPostedBefore) {
  int before = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) ++before;
        return DefWindowProcW(w, m, wp, lp);
      });
  PostMessageW(window, kNumbered, 0, 0);
  PostQuitMessage(3);
  MSG message{};
  int loops = 0;
  while (GetMessageW(&message, nullptr, 0, 0) > 0 && ++loops < 10) DispatchMessageW(&message);
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_EQ(before, 1);
}

TEST_F(Messaging, NestedLoopsEachSeeTheirOwnQuit) {
  int inner_quits = 0;
  HWND window =
      CreateTestWindow(L"MessagingTest", [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == kNumbered) {
          // A modal loop inside a handler, ended by its own quit message.
          PostQuitMessage(1);
          MSG inner{};
          while (GetMessageW(&inner, nullptr, 0, 0) > 0) DispatchMessageW(&inner);
          ++inner_quits;
          PostQuitMessage(2);
        }
        return DefWindowProcW(w, m, wp, lp);
      });
  PostMessageW(window, kNumbered, 0, 0);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  EXPECT_EQ(inner_quits, 1);
  EXPECT_EQ(message.wParam, 2u);
}

TEST_F(Messaging, TranslateTurnsAKeyPressIntoItsCharacter) {
  std::vector<WPARAM> characters;
  HWND window = CreateTestWindow(
      L"MessagingTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CHAR) characters.push_back(wp);
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP | WS_VISIBLE);
  SetFocus(window);
  win::headless::PressKey('Q', 0);
  win::headless::ReleaseKey('Q', 0);
  win::headless::PressKey('Q', MOD_SHIFT);
  win::headless::ReleaseKey('Q', MOD_SHIFT);
  win_test::PumpPending();
  EXPECT_EQ(characters, (std::vector<WPARAM>{L'q', L'Q'}));
}

TEST_F(Messaging, AWindowWhoseThreadEndedRefusesPostsAndAnswersSendsWithZero) {
  HWND orphan = nullptr;
  std::thread creator([&] {
    win_test::RegisterTestClass(L"MessagingTest");
    orphan = CreateWindowExW(0, L"MessagingTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
  });
  creator.join();
  ASSERT_NE(orphan, nullptr);
  EXPECT_FALSE(PostMessageW(orphan, kNumbered, 0, 0));
  EXPECT_EQ(SendMessageW(orphan, kNumbered, 0, 0), 0);  // returns instead of waiting forever
}

TEST_F(Messaging, PostToAThreadWithoutAQueueFails) {
  EXPECT_FALSE(PostThreadMessageW(0x7FFFFFF0, kNumbered, 0, 0));
}

}  // namespace
