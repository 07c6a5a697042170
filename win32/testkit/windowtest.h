#ifndef WIN32_TESTKIT_WINDOWTEST_H_
#define WIN32_TESTKIT_WINDOWTEST_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/testkit/testing.h"
#include "win32/form1.h"

// Each test runs in a folder of its own, its current directory, and drives
// the real window with the messages the system would send it.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    cwd_ = cwd;
    ASSERT_TRUE(SetCurrentDirectoryA(tmp_.path().c_str()));
  }
  void TearDown() override { SetCurrentDirectoryA(cwd_.c_str()); }

  // Handles what waits, as the program's message loop would.
  static void Pump(Form1& form) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (form.TranslateKeys(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // A key pressed and released on the control with the focus.
  static void Type(Form1& form, WPARAM key, bool shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    const HWND target = GetFocus();
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    Pump(form);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }

  // Alt and a key, or F10, on the control with the focus, as the system
  // sends them: as system keys, which the window's default handling turns
  // into its menu.
  static void TypeSystemKey(Form1& form, WPARAM key, bool alt) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
    const LPARAM context = alt ? LPARAM(1) << 29 : 0;
    const HWND target = GetFocus();
    PostMessageA(target, WM_SYSKEYDOWN, key, context | 1);
    PostMessageA(target, WM_SYSKEYUP, key, context | LPARAM(0xC0000001));
    Pump(form);
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
  }

  static std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(
        GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  static std::vector<std::string> Progress(Form1& form) {
    std::vector<std::string> items;
    for (size_t i = 0; i < form.ProgressCount(); ++i) {
      items.push_back(form.ProgressItem(i));
    }
    return items;
  }

  static std::vector<std::string> Items(HWND list) {
    std::vector<std::string> items;
    const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      std::string text(
          static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      items.push_back(text);
    }
    return items;
  }

  // The system's own text for a Win32 error, as a box shows it.
  static std::string SystemText(DWORD error) {
    char buf[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, buf, sizeof buf, nullptr);
    std::string text = buf;
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
      text.pop_back();
    }
    return text;
  }

  TempDir tmp_;

 private:
  std::string cwd_;
};

#endif  // WIN32_TESTKIT_WINDOWTEST_H_
