#ifndef ENGINE_REPORT_H_
#define ENGINE_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/version8.h"

// What a conversion will do, or did, to one project: the plan its
// confirmation shows and the report of its completion box. Texts are file
// bytes, clipped for showing; the windows decode them.

// What happens to one file of the project.
enum class FileAction {
  kRewrite,           // the project file or a listed file, rewritten
  kAlreadyConverted,  // listed, left as it is
  kRepeat,            // listed, but reached earlier in this command
  kMissing,           // listed, but not there
  kRead,              // another entry's file: only read, for places left
  kUnreadable,        // could not be read, or another entry's file missing
};

// One changed line, before and after, clipped around its first change.
struct LineSample {
  uint64_t line = 0;  // counts from 1
  std::string before;
  std::string after;
};

// One line that still names version 8 and that the conversion does not
// change: the user's to fix.
struct PlaceLeft {
  uint64_t line = 0;
  std::string text;  // clipped around what it names
};

struct FileReport {
  std::string name;  // as the project lists it; the project file's own name
  FileAction action = FileAction::kRewrite;
  uint64_t changed_lines = 0;
  std::vector<LineSample> samples;  // the first few; plans only
  std::vector<PlaceLeft> places;    // the first few
  uint64_t more_places = 0;         // beyond those
  std::string why;                  // kUnreadable: the error's text
};

// Gives to what from's conversion learnt: the lines it changed and the
// places it left.
void TakeFindings(FileReport& to, FileReport&& from);

struct ProjectReport {
  std::string name;  // the project as the box names it
  bool convertible = false;
  std::vector<FileReport> files;  // the project file first

  uint64_t Count(FileAction action) const;
  uint64_t PlacesLeft() const;
};

// The bounds that keep a details text short whatever the project holds.
inline constexpr size_t kShownLineBytes = 200;
inline constexpr size_t kSamplesPerFile = 3;
inline constexpr size_t kPlacesPerFile = 20;

// Up to kShownLineBytes of s from about a little before at, with "..." where
// bytes were left out; control bytes, which would end or garble a box's text,
// show as "?".
std::string ShownLine(std::string_view s, size_t at);

// Adds line to report as a place left, within the bounds; at is where in s
// the version 8 text starts.
void NotePlace(FileReport& report, uint64_t line, std::string_view s,
               size_t at);

// Learns what the conversion of a file changes, line by line: the converter
// tells it every line it reads, before changing it, and every line it
// writes. Memory stays bounded however long the file; a line is copied only
// while samples are still due, and then at most a few kilobytes of it.
class LineWatch {
 public:
  // samples: keep the first few changed lines. left: where lines outside the
  // control blocks that still name a version 8 library are looked for; none
  // for a plan.
  LineWatch(FileReport& report, bool samples, const Version8Finder* left);

  // Called for every line, so what most lines need is done here.
  void Read(std::string_view s) {
    ++line_;
    if (samples_ && report_.samples.size() < kSamplesPerFile) KeepBefore(s);
  }
  // Where lines are looked for what is left, if anywhere.
  const Version8Finder* left() const { return left_; }
  // may_name: the line lies outside the control blocks and may hold one of
  // the texts left to look for.
  void Wrote(std::string_view s, bool changed, bool may_name) {
    if (changed) NoteChange(s);
    if (left_ != nullptr && may_name) LookForVersion8(s);
  }

 private:
  void KeepBefore(std::string_view s);
  void NoteChange(std::string_view s);
  void LookForVersion8(std::string_view s);

  FileReport& report_;
  bool samples_;
  const Version8Finder* left_;
  std::string before_;  // the line read, while samples are due
  uint64_t line_ = 0;
};

#endif  // ENGINE_REPORT_H_
