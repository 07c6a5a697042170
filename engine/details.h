#ifndef ENGINE_DETAILS_H_
#define ENGINE_DETAILS_H_

#include <cstdint>
#include <string>

#include "engine/report.h"

// The texts of the boxes' details areas, lines ended by "\n". Each is
// bounded: past kDetailsBytes the rest is counted, not shown.
inline constexpr size_t kDetailsBytes = 64 * 1024;

// The confirmation's: what OK will do to each file.
std::string PlanDetails(const ProjectReport& plan);

// The completion box's: what was done, and the places left for the user.
std::string DoneDetails(const ProjectReport& report);

// Lines up to the bound; those past it are counted, not kept.
class DetailsText {
 public:
  void Add(const std::string& line);
  std::string Text() const;

 private:
  std::string text_;
  uint64_t left_out_ = 0;
};

// The batch's last box: one line per project, then the places left. The
// error box of a batch that stopped shows the same for the projects it
// converted first. Memory stays bounded however many projects it takes.
class BatchReport {
 public:
  void Add(const ProjectReport& report);
  bool empty() const { return projects_ == 0; }
  std::string Text(const std::string& heading) const;

 private:
  uint64_t projects_ = 0;
  uint64_t places_ = 0;
  uint64_t unsearched_ = 0;
  DetailsText summaries_;
  DetailsText place_lines_;
};

#endif  // ENGINE_DETAILS_H_
