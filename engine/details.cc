#include "engine/details.h"

namespace {

// Collects lines up to the bound, and counts those past it.
class DetailsText {
 public:
  void Add(const std::string& line) {
    if (text_.size() + line.size() + 1 > kDetailsBytes) {
      ++left_out_;
      return;
    }
    text_ += line;
    text_ += '\n';
  }
  std::string Take() {
    if (left_out_ > 0) {
      text_ += "... and " + std::to_string(left_out_) + " more lines\n";
    }
    return std::move(text_);
  }

 private:
  std::string text_;
  uint64_t left_out_ = 0;
};

std::string Count(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Planned(const FileReport& f) {
  switch (f.action) {
    case FileAction::kRewrite:
      return f.changed_lines == 0
                 ? "will be rewritten, no line changes"
                 : "will be rewritten, " +
                       Count(f.changed_lines, "line changes", "lines change");
    case FileAction::kAlreadyConverted:
      return "already converted, left as it is";
    case FileAction::kRepeat:
      return "listed again, converted once";
    case FileAction::kMissing:
      return "missing";
    case FileAction::kRead:
    case FileAction::kUnreadable:
      break;
  }
  return "left as it is";
}

std::string Done(const FileReport& f) {
  switch (f.action) {
    case FileAction::kRewrite:
      return "rewritten, " +
             Count(f.changed_lines, "line changed", "lines changed");
    case FileAction::kAlreadyConverted:
      return "already converted";
    case FileAction::kRepeat:
      return "listed again, converted once";
    case FileAction::kMissing:
      return "missing";
    case FileAction::kRead:
    case FileAction::kUnreadable:
      break;
  }
  return "left as it is";
}

bool Listed(const FileReport& f) {
  return f.action != FileAction::kRead && f.action != FileAction::kUnreadable;
}

// The places of one project, each line starting with prefix.
void AddPlaces(const ProjectReport& report, const std::string& prefix,
               DetailsText& out) {
  for (const FileReport& f : report.files) {
    const std::string file = prefix + f.name;
    for (const PlaceLeft& place : f.places) {
      out.Add(file + ", line " + std::to_string(place.line) + ": " +
              place.text);
    }
    if (f.more_places > 0) {
      out.Add(file + ": and " +
              Count(f.more_places, "more place", "more places"));
    }
    if (f.action == FileAction::kUnreadable) {
      out.Add(file + ": could not be read (" + f.why + ")");
    }
  }
}

std::string PlacesHeading(uint64_t places) {
  if (places == 0) return "No line is left that names version 8.";
  return "Left for you to fix: " +
         Count(places, "line that still names", "lines that still name") +
         " version 8:";
}

uint64_t Unsearched(const ProjectReport& report) {
  return report.Count(FileAction::kUnreadable);
}

std::string Summary(const ProjectReport& report) {
  if (!report.convertible) return "no convertible controls";
  std::string line =
      "converted, " +
      Count(report.Count(FileAction::kRewrite), "file rewritten",
            "files rewritten") +
      ", " + std::to_string(report.Count(FileAction::kAlreadyConverted)) +
      " already converted";
  const uint64_t places = report.PlacesLeft();
  if (places > 0) line += ", " + Count(places, "place left", "places left");
  return line;
}

}  // namespace

std::string PlanDetails(const ProjectReport& plan) {
  DetailsText out;
  out.Add("What OK will do:");
  for (const FileReport& f : plan.files) {
    if (!Listed(f)) continue;
    out.Add(f.name + ": " + Planned(f));
    for (const LineSample& s : f.samples) {
      const std::string line = "    line " + std::to_string(s.line) + ": ";
      out.Add(line + s.before);
      out.Add(std::string(line.size() - 3, ' ') + "-> " + s.after);
    }
    const uint64_t unshown = f.changed_lines - f.samples.size();
    if (f.action == FileAction::kRewrite && unshown > 0) {
      out.Add("    and " + Count(unshown, "more line", "more lines"));
    }
  }
  return out.Take();
}

std::string DoneDetails(const ProjectReport& report) {
  DetailsText out;
  out.Add("What was done:");
  for (const FileReport& f : report.files) {
    if (Listed(f)) out.Add(f.name + ": " + Done(f));
  }
  out.Add("");
  const uint64_t places = report.PlacesLeft();
  if (places > 0 || Unsearched(report) == 0) out.Add(PlacesHeading(places));
  AddPlaces(report, "", out);
  return out.Take();
}

std::string BatchDetails(const std::vector<ProjectReport>& reports,
                         const std::string& heading) {
  DetailsText out;
  out.Add(heading);
  uint64_t places = 0;
  uint64_t unsearched = 0;
  for (const ProjectReport& report : reports) {
    out.Add(report.name + ": " + Summary(report));
    places += report.PlacesLeft();
    unsearched += Unsearched(report);
  }
  out.Add("");
  if (places > 0 || unsearched == 0) out.Add(PlacesHeading(places));
  for (const ProjectReport& report : reports) {
    AddPlaces(report, report.name + ": ", out);
  }
  return out.Take();
}
