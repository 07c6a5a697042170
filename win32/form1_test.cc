#include "win32/form1.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/testkit/testing.h"
#include "win32/testkit/scripteddialogs.h"

namespace {

std::string TextOf(HWND hwnd) {
  char buf[512] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

TEST(Form1, StartsWithItsTexts) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  EXPECT_EQ("Quorvane Tabulon 8 to 8c Migration Utility", TextOf(form.hwnd()));
  EXPECT_EQ("This utility converts VB projects that use Tabulon8 to Tabulon8c",
            TextOf(form.Label1));
  EXPECT_EQ(0u, form.ProgressCount());
  EXPECT_EQ(form.lst, GetFocus());
}

}  // namespace
