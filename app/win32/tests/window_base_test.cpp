// Real windows under Wine: what the base promises about a window's life,
// its class and exceptions thrown by handlers.
#include "app/win32/window_base.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace rupena::win32 {
namespace {

constexpr wchar_t kTestClass[] = L"RupenaWindowBaseTest";
constexpr UINT kThrowingMessage = WM_APP + 1;
constexpr UINT kAnsweredMessage = WM_APP + 2;
constexpr LRESULT kAnswer = 42;

class TestWindow final : public WindowBase {
 public:
  explicit TestWindow(UINT throwAt = 0, LRESULT failedAnswer = -7)
      : throwAt_(throwAt), failedAnswer_(failedAnswer) {}

  bool Create(const wchar_t* className = kTestClass) {
    WindowClass windowClass;
    windowClass.name = className;
    return WindowBase::Create(GetModuleHandleW(nullptr), windowClass,
                              {.title = L"test", .style = WS_OVERLAPPED});
  }
  int ncDestroys = 0;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == throwAt_) throw std::runtime_error("handler failed");
    switch (message) {
      case kAnsweredMessage: return kAnswer;
      case WM_NCDESTROY: ++ncDestroys; break;
    }
    return DefaultProc(message, wParam, lParam);
  }
  LRESULT OnMessageFailed(UINT message, WPARAM wParam, LPARAM lParam) noexcept override {
    if (message == kThrowingMessage) return failedAnswer_;
    return WindowBase::OnMessageFailed(message, wParam, lParam);
  }

  UINT throwAt_;
  LRESULT failedAnswer_;
};

TEST(WindowBase, HandleLastsAsLongAsTheWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  const HWND hwnd = window.Handle();
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(SendMessageW(hwnd, kAnsweredMessage, 0, 0), kAnswer);
  EXPECT_FALSE(window.Create()) << "one window per object";

  DestroyWindow(hwnd);
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(window.ncDestroys, 1);
}

TEST(WindowBase, OneClassServesEveryWindowOfIt) {
  TestWindow first;
  TestWindow second;
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(second.Create());
  EXPECT_NE(first.Handle(), second.Handle());
  // Each window reaches its own object.
  DestroyWindow(second.Handle());
  EXPECT_EQ(second.ncDestroys, 1);
  EXPECT_EQ(first.ncDestroys, 0);
  EXPECT_NE(first.Handle(), nullptr);
}

TEST(WindowBase, AClassOfTheSameNameWithAnotherProcedureIsRefused) {
  constexpr wchar_t kForeign[] = L"RupenaWindowBaseForeign";
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kForeign;
  ASSERT_NE(RegisterClassExW(&wc), 0);
  TestWindow window;
  EXPECT_FALSE(window.Create(kForeign));
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST(WindowBase, NoExceptionLeavesTheWindowProcedure) {
  struct Case {
    const char* name;
    UINT throwAt;
    bool created;
    LRESULT answer;  // to kThrowingMessage, when created
  } cases[] = {
      {"at WM_NCCREATE the window is not made", WM_NCCREATE, false, 0},
      {"at WM_CREATE the window is not made", WM_CREATE, false, 0},
      {"later the handler's failure answer", kThrowingMessage, true, -7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindow window(c.throwAt);
    EXPECT_EQ(window.Create(), c.created);
    if (!c.created) {
      EXPECT_EQ(window.Handle(), nullptr);
      continue;
    }
    EXPECT_EQ(SendMessageW(window.Handle(), kThrowingMessage, 0, 0), c.answer);
    EXPECT_TRUE(IsWindow(window.Handle()));
  }
}

TEST(WindowBase, AnObjectThatGoesFirstTakesItsWindowAlong) {
  auto window = std::make_unique<TestWindow>();
  ASSERT_TRUE(window->Create());
  const HWND hwnd = window->Handle();
  window.reset();
  EXPECT_FALSE(IsWindow(hwnd));
}

class AnsweringEdit final : public ControlSubclass {
 public:
  using ControlSubclass::Attach;
  bool throwOnGetText = false;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_GETTEXTLENGTH && throwOnGetText) throw std::runtime_error("failed");
    if (message == kAnsweredMessage) return kAnswer;
    return DefaultProc(message, wParam, lParam);
  }
};

HWND MakeEdit(const wchar_t* text) {
  return CreateWindowExW(0, L"EDIT", text, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(ControlSubclass, MessagesPassThroughTheObjectFirst) {
  const HWND edit = MakeEdit(L"abc");
  ASSERT_NE(edit, nullptr);
  AnsweringEdit subclass;
  ASSERT_TRUE(subclass.Attach(edit));
  EXPECT_FALSE(subclass.Attach(edit)) << "one control per object";
  EXPECT_EQ(SendMessageW(edit, kAnsweredMessage, 0, 0), kAnswer);
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 3);

  // A handler that throws leaves the message to the control itself.
  subclass.throwOnGetText = true;
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 3);

  DestroyWindow(edit);
  EXPECT_EQ(subclass.Handle(), nullptr);
}

TEST(ControlSubclass, AnObjectThatGoesFirstLeavesTheControlWorking) {
  const HWND edit = MakeEdit(L"abcd");
  ASSERT_NE(edit, nullptr);
  {
    AnsweringEdit subclass;
    ASSERT_TRUE(subclass.Attach(edit));
  }
  EXPECT_TRUE(IsWindow(edit));
  EXPECT_EQ(SendMessageW(edit, kAnsweredMessage, 0, 0), 0);
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 4);
  DestroyWindow(edit);
}

}  // namespace
}  // namespace rupena::win32
