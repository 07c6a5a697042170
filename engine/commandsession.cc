#include "engine/commandsession.h"

#include <algorithm>
#include <utility>

#include "engine/commands.h"

namespace {

using TimePoint = std::chrono::steady_clock::time_point;

// Painting the window after every file made a batch of small forms spend
// most of its time painting what no one could see. The progress is painted,
// and waiting events are handled, 25 times a second at most, which still
// reads as a list filling up; where painting is slow (a remote desktop, a
// virtual machine's display) the pause after a paint is three times as long
// as the paint took, so that converting keeps three quarters of the time.
// While a conversion runs the window takes no input, so nothing waits
// longer than that for its turn.
constexpr std::chrono::milliseconds kFrame(40);

BoxDescription LookOf(BoxKind kind) {
  BoxDescription box;
  box.title = kind == BoxKind::kDone ? kDoneTitle : kAppTitle;
  box.icon =
      kind == BoxKind::kFailure ? BoxIcon::kCritical : BoxIcon::kInformation;
  box.cancel = kind == BoxKind::kQuestion;
  return box;
}

}  // namespace

CommandSession::CommandSession(CommandWindow& window, const Tables& tables,
                               FileSystem& fs, Clock clock)
    : window_(window), tables_(tables), fs_(fs), clock_(std::move(clock)) {}

void CommandSession::Run(const Command& command) {
  // A box's own event loop, or an event the window let through, must not
  // start a second command inside the first.
  if (running_) return;
  running_ = true;
  struct Ends {
    CommandSession& session;
    ~Ends() { session.End(); }
  } ends{*this};
  command(*this);
}

void CommandSession::End() {
  running_ = false;
  enable_due_ = false;
  if (!enabled_) Enable(true);
  if (changed_ || selection_) Paint();
}

bool CommandSession::Box(BoxKind kind, const std::string& text,
                         const std::string& details) {
  if (enable_due_) {
    enable_due_ = false;
    Enable(true);
  }
  // The box stands over the list as it is, whenever it was last painted.
  if (changed_ || selection_) Paint();
  BoxDescription box = LookOf(kind);
  box.text = text;
  box.details = details;
  return window_.ShowBox(box);
}

void CommandSession::ReportFailure(const std::filesystem::filesystem_error& e,
                                   const std::string& details) {
  SetWindowEnabled(true);
  Box(BoxKind::kFailure, FailureText(e), details);
}

void CommandSession::ClearProgress() {
  selection_.reset();
  window_.ClearProgress();
  changed_ = true;
}

void CommandSession::AddProgress(const std::string& text) {
  window_.AddProgress(text);
  changed_ = true;
}

size_t CommandSession::ProgressCount() { return window_.ProgressCount(); }

std::string CommandSession::ProgressItem(size_t i) {
  return window_.ProgressItem(i);
}

void CommandSession::SetProgressItem(size_t i, const std::string& text) {
  window_.SetProgressItem(i, text);
  changed_ = true;
}

// Selecting an item scrolls the list; only the last one selected before
// the list is seen matters.
void CommandSession::SelectProgress(size_t i) { selection_ = i; }

void CommandSession::ShowInfo(const std::string& text,
                              const std::string& details) {
  Box(BoxKind::kInfo, text, details);
}

bool CommandSession::AskOkCancel(const std::string& text,
                                 const std::string& details) {
  return Box(BoxKind::kQuestion, text, details);
}

// A batch enables the window after each project and disables it for the
// next at once, with nothing painted and no input taken in between; each
// change reaches every control. Within a command the window is enabled
// when a box shows or the command ends, whichever comes first.
void CommandSession::SetWindowEnabled(bool yes) {
  if (yes && running_) {
    enable_due_ = !enabled_;
    return;
  }
  enable_due_ = false;
  if (yes != enabled_) Enable(yes);
}

void CommandSession::Enable(bool yes) {
  window_.SetWindowEnabled(yes);
  enabled_ = yes;
}

void CommandSession::Repaint() {
  if (!changed_ && !selection_) return;
  if (clock_() < next_paint_) return;
  Paint();
}

void CommandSession::Paint() {
  ShowSelection();
  const TimePoint start = clock_();
  window_.Repaint();
  const TimePoint end = clock_();
  next_paint_ = end + std::max<TimePoint::duration>(kFrame, 3 * (end - start));
  changed_ = false;
}

// An enabled window takes input: a handler of the window could run inside
// the command. Its events wait for the command's end, or a box.
void CommandSession::PumpEvents() {
  if (enabled_) return;
  const TimePoint now = clock_();
  if (now < next_pump_) return;
  next_pump_ = now + kFrame;
  ShowSelection();
  window_.PumpEvents();
}

void CommandSession::ShowSelection() {
  if (!selection_) return;
  window_.SelectProgress(*selection_);
  selection_.reset();
}
