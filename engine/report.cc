#include "engine/report.h"

#include <algorithm>
#include <utility>

#include "engine/codepage.h"

namespace {

// How much of a line a sample keeps while its change is not yet known: the
// shown part lies near the first change, which in real forms is early.
constexpr size_t kKeptLineBytes = 4096;
constexpr size_t kLeadBytes = 40;  // shown before the first change
constexpr std::string_view kCut = "...";

size_t FirstDifference(std::string_view a, std::string_view b) {
  const auto [pa, pb] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<size_t>(pa - a.begin());
}

}  // namespace

void TakeFindings(FileReport& to, FileReport&& from) {
  to.changed_lines = from.changed_lines;
  to.places = std::move(from.places);
  to.more_places = from.more_places;
}

uint64_t ProjectReport::Count(FileAction action) const {
  return static_cast<uint64_t>(
      std::count_if(files.begin(), files.end(),
                    [&](const FileReport& f) { return f.action == action; }));
}

uint64_t ProjectReport::PlacesLeft() const {
  uint64_t n = 0;
  for (const FileReport& f : files) n += f.places.size() + f.more_places;
  return n;
}

std::string ShownLine(std::string_view s, size_t at) {
  // A line that fits is shown whole; a longer one from a little before at,
  // as far as the bound reaches.
  size_t start = 0;
  if (s.size() > kShownLineBytes && at > kLeadBytes && at <= s.size()) {
    start = CharacterStart(
        s, std::min(at - kLeadBytes, s.size() - kShownLineBytes));
  }
  const size_t end =
      CharacterStart(s, std::min(start + kShownLineBytes, s.size()));
  const std::string_view part = s.substr(start, end - start);
  std::string shown;
  if (start > 0) shown += kCut;
  for (const char c : part) {
    const auto u = static_cast<unsigned char>(c);
    shown.push_back((u < 0x20 && c != '\t') || u == 0x7f ? '?' : c);
  }
  if (start + part.size() < s.size()) shown += kCut;
  return shown;
}

void NotePlace(FileReport& report, uint64_t line, std::string_view s,
               size_t at) {
  if (report.places.size() < kPlacesPerFile) {
    report.places.push_back({line, ShownLine(s, at)});
  } else {
    ++report.more_places;
  }
}

LineWatch::LineWatch(FileReport& report, bool samples,
                     const Version8Finder* left)
    : report_(report), samples_(samples), left_(left) {}

void LineWatch::KeepBefore(std::string_view s) {
  before_.assign(s.substr(0, kKeptLineBytes));
}

void LineWatch::NoteChange(std::string_view s) {
  ++report_.changed_lines;
  if (samples_ && report_.samples.size() < kSamplesPerFile) {
    const size_t at = FirstDifference(before_, s);
    report_.samples.push_back(
        {line_, ShownLine(before_, at), ShownLine(s, at)});
  }
}

void LineWatch::LookForVersion8(std::string_view s) {
  const size_t at = left_->Find(s);
  if (at != std::string_view::npos) NotePlace(report_, line_, s, at);
}
