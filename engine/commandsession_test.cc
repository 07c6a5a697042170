#include "engine/commandsession.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/testkit/recordingwindow.h"

namespace {

using Calls = std::vector<std::string>;
using std::chrono::milliseconds;

class CommandSessionTest : public ::testing::Test {
 protected:
  // What the session made the window do while command ran.
  Calls During(const std::function<void(CommandSession&)>& command) {
    window.calls.clear();
    session.Run(command);
    return window.calls;
  }

  std::chrono::steady_clock::time_point now{};  // the session's clock
  RecordingWindow window;
  const Tables tables;
  CommandSession session{window, tables, DefaultFileSystem(),
                         [this] { return now; }};
};

TEST_F(CommandSessionTest, EachKindOfBoxHasItsIconButtonsAndTitle) {
  const struct {
    BoxKind kind;
    BoxIcon icon;
    bool cancel;
    std::string title;
  } kinds[] = {
      {BoxKind::kInfo, BoxIcon::kInformation, false, "Tabulon Migration"},
      {BoxKind::kQuestion, BoxIcon::kInformation, true, "Tabulon Migration"},
      {BoxKind::kDone, BoxIcon::kInformation, false, "Done"},
      {BoxKind::kFailure, BoxIcon::kCritical, false, "Tabulon Migration"},
  };
  for (const auto& k : kinds) {
    window.answers = {true};
    EXPECT_TRUE(session.Box(k.kind, "text", "details"));
    const BoxDescription& box = window.shown.back().box;
    EXPECT_EQ(k.icon, box.icon) << k.title;
    EXPECT_EQ(k.cancel, box.cancel) << k.title;
    EXPECT_EQ(k.title, box.title);
    EXPECT_EQ("text", box.text);
    EXPECT_EQ("details", box.details);
  }
  // The conversion's two boxes.
  window.answers = {true, false};
  session.ShowInfo("info", "");
  EXPECT_FALSE(session.AskOkCancel("question", ""));
  EXPECT_FALSE(window.shown[4].box.cancel);
  EXPECT_TRUE(window.shown[5].box.cancel);
}

// A batch asks for the window enabled after each project and disabled for
// the next: nothing of it reaches the window until a box or the end. The
// box stands over the list as it is, painted or not.
TEST_F(CommandSessionTest, EnablesTheWindowWhenABoxShowsOrTheCommandEnds) {
  window.answers = {true};
  EXPECT_EQ(
      (Calls{"SetWindowEnabled no", "AddProgress 0", "Repaint", "AddProgress 1",
             "SetWindowEnabled yes", "Repaint", "ShowBox Done: 2"}),
      During([](CommandSession& s) {
        for (int project = 0; project < 2; ++project) {
          s.SetWindowEnabled(false);
          s.AddProgress(std::to_string(project));
          s.Repaint();
          s.SetWindowEnabled(true);
        }
        s.Box(BoxKind::kDone, "2");
      }));
  EXPECT_EQ((Calls{"SetWindowEnabled no", "SetWindowEnabled yes"}),
            During([](CommandSession& s) {
              s.SetWindowEnabled(false);
              s.SetWindowEnabled(true);
            }));
  // A failure's box, and the end of a command that threw, find it enabled
  // even where nothing asked for it.
  window.answers = {true};
  std::filesystem::filesystem_error e(
      "read", "/p/f.frm", std::make_error_code(std::errc::io_error));
  During([&](CommandSession& s) {
    s.SetWindowEnabled(false);
    s.ReportFailure(e);
  });
  EXPECT_TRUE(window.shown.back().enabled);
  EXPECT_EQ(
      "Error " + std::to_string(EIO) + ": " + e.code().message() + "\n/p/f.frm",
      window.shown.back().box.text);
  EXPECT_THROW(session.Run([](CommandSession& s) {
    s.SetWindowEnabled(false);
    throw std::runtime_error("x");
  }),
               std::runtime_error);
  EXPECT_TRUE(window.enabled);
}

TEST_F(CommandSessionTest, RefusesToCloseOrStartACommandWhileOneRuns) {
  EXPECT_TRUE(session.MayClose());
  bool inner = false;
  session.Run([&](CommandSession& s) {
    EXPECT_FALSE(s.MayClose());
    s.Run([&](CommandSession&) { inner = true; });
  });
  EXPECT_FALSE(inner);
  EXPECT_TRUE(session.MayClose());
}

// Only the last item selected before the list is seen is selected in the
// window, and it always is before anything shows the list.
TEST_F(CommandSessionTest, SelectsTheItemBeforeTheListIsSeen) {
  const struct {
    const char* name;
    std::function<void(CommandSession&)> show;
    const char* seen;  // the call that shows the list
  } cases[] = {
      {"paint", [](CommandSession& s) { s.Repaint(); }, "Repaint"},
      {"events", [](CommandSession& s) { s.PumpEvents(); }, "PumpEvents"},
      {"box", [](CommandSession& s) { s.ShowInfo("i", ""); }, "Repaint"},
      {"end", [](CommandSession&) {}, "Repaint"},
  };
  for (const auto& c : cases) {
    window.answers = {true};
    now += milliseconds(100);
    Calls calls = During([&](CommandSession& s) {
      s.SetWindowEnabled(false);
      s.AddProgress("a.frm");
      s.SelectProgress(0);
      s.AddProgress("b.frm");
      s.SelectProgress(1);
      window.calls.clear();
      c.show(s);
    });
    std::erase(calls, "SetWindowEnabled yes");
    ASSERT_LE(2u, calls.size()) << c.name;
    EXPECT_EQ("SelectProgress 1", calls[0]) << c.name;
    EXPECT_EQ(c.seen, calls[1]) << c.name;
  }
}

// At most once a frame, and a slow paint waits three times its own time.
TEST_F(CommandSessionTest, PaintsTheProgressAtMostOnceAFrame) {
  milliseconds paint_takes(0);
  window.painting = [&] { now += paint_takes; };
  const struct {
    milliseconds after;  // since the last paint ended
    milliseconds takes;
    bool changed;
    bool painted;
  } steps[] = {
      {milliseconds(0), milliseconds(5), true, true},
      {milliseconds(39), milliseconds(5), true, false},
      {milliseconds(40), milliseconds(20), true, true},
      {milliseconds(50), milliseconds(5), false, false},  // nothing to show
      {milliseconds(59), milliseconds(5), true, false},   // 3 x 20 ms
      {milliseconds(60), milliseconds(5), true, true},
  };
  session.Run([&](CommandSession& s) {
    s.SetWindowEnabled(false);
    auto last_end = now;
    for (const auto& step : steps) {
      now = last_end + step.after;
      paint_takes = step.takes;
      if (step.changed) s.AddProgress("f.frm");
      window.calls.clear();
      s.Repaint();
      EXPECT_EQ(step.painted, window.calls == Calls{"Repaint"})
          << step.after.count();
      if (step.painted) last_end = now;
    }
  });
}

// Events are handled at most once a frame, and never while the window is
// enabled: it would take input, and a handler could run inside the command.
TEST_F(CommandSessionTest, PumpsEventsOnlyWhileTheWindowTakesNoInput) {
  EXPECT_EQ(Calls{}, During([](CommandSession& s) { s.PumpEvents(); }));
  EXPECT_EQ((Calls{"SetWindowEnabled no", "PumpEvents", "PumpEvents",
                   "PumpEvents", "SetWindowEnabled yes"}),
            During([&](CommandSession& s) {
              s.SetWindowEnabled(false);
              s.PumpEvents();
              now += milliseconds(39);
              s.PumpEvents();
              now += milliseconds(1);
              s.PumpEvents();
              // Enabled in name only: the window still takes no input.
              s.SetWindowEnabled(true);
              now += milliseconds(40);
              s.PumpEvents();
            }));
}

}  // namespace
