#ifndef ENGINE_DETAILS_H_
#define ENGINE_DETAILS_H_

#include <string>
#include <vector>

#include "engine/report.h"

// The texts of the boxes' details areas, lines ended by "\n". Each is
// bounded: past kDetailsBytes the rest is counted, not shown.
inline constexpr size_t kDetailsBytes = 64 * 1024;

// The confirmation's: what OK will do to each file.
std::string PlanDetails(const ProjectReport& plan);

// The completion box's: what was done, and the places left for the user.
std::string DoneDetails(const ProjectReport& report);

// The batch's last box: one line per project, then the places left. The
// error box of a batch that stopped shows the same for the projects it
// converted first, after the heading given.
std::string BatchDetails(const std::vector<ProjectReport>& reports,
                         const std::string& heading);

#endif  // ENGINE_DETAILS_H_
