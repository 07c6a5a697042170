#include "win32/detailsbox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win32/dialogs.h"
#include "win32/form1.h"
#include "win32/testkit/scripteddialogs.h"
#include "win32/testkit/windowtest.h"

namespace {

using Step = std::function<void(HWND box)>;

// Drives the real box its owner shows, from a timer inside the box's modal
// loop: one step a tick, so that what a step posts is handled before the
// next. The last step should close the box; one still open some ticks later
// is closed and the test fails, so no run waits for a user.
class BoxDriver {
 public:
  BoxDriver(HWND owner, std::vector<Step> steps)
      : owner_(owner), steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~BoxDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
    EXPECT_EQ(steps_.size(), next_) << "the box closed before its last step";
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    BoxDriver* d = current_;
    if (d == nullptr) return;
    const HWND box = d->Box();
    if (box == nullptr) return;
    if (d->next_ < d->steps_.size()) {
      d->steps_[d->next_++](box);
    } else if (++d->overdue_ > 25) {
      ADD_FAILURE() << "the box stayed open";
      EndDialog(box, IDABORT);
    }
  }

  HWND Box() const {
    struct Find {
      HWND owner;
      HWND found;
    } find{owner_, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<Find*>(lp);
          char cls[16] = {};
          GetClassNameA(h, cls, sizeof cls);
          if (IsWindowVisible(h) && GetWindow(h, GW_OWNER) == f->owner &&
              std::string(cls) == "#32770") {
            f->found = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
  }

  static inline BoxDriver* current_ = nullptr;
  HWND owner_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int overdue_ = 0;
  UINT_PTR timer_ = 0;
};

std::string TextOf(HWND hwnd) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<size_t>(
      GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The class a control was made with, without the version the themed
// controls may put before it.
std::string ClassOf(HWND hwnd) {
  char cls[128] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  const std::string name = cls;
  return name.substr(name.find('!') + 1);
}

// The box's first control of class cls ("Edit", "Button", "Static") whose
// text is text, or of any text when text is null.
HWND Control(HWND box, const char* cls, const char* text = nullptr) {
  for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (lstrcmpiA(ClassOf(h).c_str(), cls) == 0 &&
        (text == nullptr || TextOf(h) == text)) {
      return h;
    }
  }
  return nullptr;
}

// The icon the box shows beside its text.
HICON IconOf(HWND box) {
  for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (lstrcmpiA(ClassOf(h).c_str(), "Static") == 0 &&
        (GetWindowLongPtrA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
    }
  }
  return nullptr;
}

int HeightOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r.bottom - r.top;
}

void Press(HWND control, WPARAM key) {
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

const char kText[] =
    "Converted 2 forms.\r\nThe details list every line & file.";
const char kDetails[] = "a.frm: 2 lines\nb\xE9.frm: 1 line\n\nend";
const char kShown[] = "a.frm: 2 lines\r\nb\xE9.frm: 1 line\r\n\r\nend";

using DetailsBoxTest = WindowTest;

TEST_F(DetailsBoxTest, ShowsTextButtonsAndClosedDetailsThenAnswersKeys) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics,
                                    &metrics, 0));
  const struct {
    UINT type;
    LPCSTR icon;
    bool toggle_twice;  // the details closed again before the key
    bool on_details;    // the key pressed in the details, else on OK
    WPARAM key;
    int answer;
  } cases[] = {
      {MB_OK | MB_ICONINFORMATION, IDI_INFORMATION, false, true, VK_RETURN,
       IDOK},
      {MB_OK | MB_ICONERROR, IDI_ERROR, true, false, VK_ESCAPE, IDOK},
      {MB_OKCANCEL | MB_ICONINFORMATION, IDI_INFORMATION, false, true,
       VK_RETURN, IDOK},
      {MB_OKCANCEL | MB_ICONINFORMATION, IDI_INFORMATION, false, true,
       VK_ESCAPE, IDCANCEL},
  };
  SystemDialogs sys;
  Form1 form(sys, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " key " << c.key);
    const bool cancel = (c.type & MB_TYPEMASK) == MB_OKCANCEL;
    int closed_height = 0;
    HWND edit = nullptr;
    std::vector<Step> steps = {
        [&](HWND box) {
          EXPECT_FALSE(IsWindowEnabled(form.hwnd()));
          EXPECT_EQ("Done", TextOf(box));
          EXPECT_EQ(LoadIconA(nullptr, c.icon), IconOf(box));
          const HWND text = Control(box, "Static", kText);
          ASSERT_NE(nullptr, text);
          LOGFONTA font{};
          GetObjectA(
              reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)),
              sizeof font, &font);
          EXPECT_STREQ(metrics.lfMessageFont.lfFaceName, font.lfFaceName);
          EXPECT_EQ(metrics.lfMessageFont.lfHeight, font.lfHeight);
          const HWND ok = Control(box, "Button", "OK");
          EXPECT_EQ(ok, GetFocus());
          EXPECT_EQ(cancel, Control(box, "Button", "Cancel") != nullptr);
          edit = Control(box, "Edit");
          ASSERT_NE(nullptr, edit);
          EXPECT_FALSE(IsWindowVisible(edit));
          closed_height = HeightOf(box);
          const HWND button = Control(box, "Button", kShowDetails);
          ASSERT_NE(nullptr, button);
          SendMessageA(button, BM_CLICK, 0, 0);
          EXPECT_TRUE(IsWindowVisible(edit));
          EXPECT_EQ(kHideDetails, TextOf(button));
          EXPECT_GT(HeightOf(box), closed_height + 8 * std::abs(font.lfHeight));
          EXPECT_EQ(kShown, TextOf(edit));
          const auto style = GetWindowLongPtrA(edit, GWL_STYLE);
          const LONG_PTR want =
              ES_READONLY | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
          EXPECT_EQ(want, style & want);
          EXPECT_EQ(0, style & ES_WANTRETURN);
          if (c.toggle_twice) {
            SendMessageA(button, BM_CLICK, 0, 0);
            EXPECT_FALSE(IsWindowVisible(edit));
            EXPECT_EQ(kShowDetails, TextOf(button));
            EXPECT_EQ(closed_height, HeightOf(box));
          }
          SetFocus(c.on_details ? edit : ok);
          Press(GetFocus(), c.key);
        },
    };
    {
      BoxDriver driver(form.hwnd(), steps);
      EXPECT_EQ(c.answer,
                sys.MsgBox(form.hwnd(), kText, "Done", c.type, kDetails));
    }
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_EQ(form.hwnd(), GetActiveWindow());
    EXPECT_EQ(form.lst, GetFocus());  // where it was before the box
  }
}

// Tab visits the buttons and the open details; the details select whole
// with Ctrl+A and copy with Ctrl+C.
TEST_F(DetailsBoxTest, TabReachesDetailsWhichSelectAndCopy) {
  SystemDialogs sys;
  Form1 form(sys, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  std::vector<HWND> order;
  std::vector<Step> steps = {
      [&](HWND box) {
        SendMessageA(Control(box, "Button", kShowDetails), BM_CLICK, 0, 0);
        order = {Control(box, "Button", "Cancel"),
                 Control(box, "Button", kHideDetails), Control(box, "Edit"),
                 Control(box, "Button", "OK")};
        SetFocus(order.back());
        Press(GetFocus(), VK_TAB);
      },
  };
  for (size_t i = 0; i < 4; ++i) {
    steps.push_back([&, i](HWND) {
      EXPECT_EQ(order[i], GetFocus()) << "Tab " << i + 1;
      if (i < 3) Press(GetFocus(), VK_TAB);
    });
  }
  steps.push_back([&](HWND box) {
    const HWND edit = Control(box, "Edit");
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, WM_CHAR, 1, 0);  // Ctrl+A
    DWORD from = 1, to = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(0u, from);
    EXPECT_EQ(std::string(kShown).size(), to);
    SendMessageA(edit, WM_CHAR, 3, 0);  // Ctrl+C
    std::string copied;
    if (OpenClipboard(nullptr)) {
      if (const HANDLE h = GetClipboardData(CF_TEXT)) {
        copied = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
      }
      CloseClipboard();
    }
    EXPECT_EQ(kShown, copied);
    Press(edit, VK_ESCAPE);
  });
  BoxDriver driver(form.hwnd(), steps);
  EXPECT_EQ(IDCANCEL, sys.MsgBox(form.hwnd(), kText, kAppTitle,
                                 MB_OKCANCEL | MB_ICONINFORMATION, kDetails));
}

TEST_F(DetailsBoxTest, NoDetailsIsTheSystemsOwnBox) {
  SystemDialogs sys;
  Form1 form(sys, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  BoxDriver driver(form.hwnd(), {[&](HWND box) {
                     EXPECT_EQ(kAppTitle, TextOf(box));
                     EXPECT_NE(nullptr, Control(box, "Static", kText));
                     EXPECT_EQ(nullptr, Control(box, "Edit"));
                     EXPECT_EQ(nullptr, Control(box, "Button", kShowDetails));
                     PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                   }});
  EXPECT_EQ(IDCANCEL, sys.MsgBox(form.hwnd(), kText, kAppTitle,
                                 MB_OKCANCEL | MB_ICONINFORMATION, ""));
}

// Each kind of box the commands show, with the system's icon and buttons,
// its details passed on.
TEST_F(DetailsBoxTest, WindowShowsEveryBoxWithItsDetails) {
  const struct {
    BoxIcon icon;
    bool cancel;
    UINT type;
  } cases[] = {
      {BoxIcon::kInformation, false, MB_OK | MB_ICONINFORMATION},
      {BoxIcon::kInformation, true, MB_OKCANCEL | MB_ICONINFORMATION},
      {BoxIcon::kCritical, false, MB_OK | MB_ICONERROR},
  };
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  for (const auto& c : cases) {
    dlg.answers = {c.cancel ? IDCANCEL : IDOK};
    EXPECT_EQ(!c.cancel, form.ShowBox({c.icon, c.cancel, "Done", "text",
                                       c.cancel ? "" : "d\n"}));
    EXPECT_EQ(c.type, dlg.shown.back().type);
    EXPECT_EQ("Done", dlg.shown.back().title);
    EXPECT_EQ("text", dlg.shown.back().text);
    EXPECT_EQ(c.cancel ? "" : "d\n", dlg.shown.back().details);
  }
}

}  // namespace
