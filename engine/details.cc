#include "engine/details.h"

namespace {

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
    case FileAction::kUnreadable:
      return "cannot be read (" + f.why + ")";
    case FileAction::kRead:
      break;
  }
  return "left as it is";
}

// What was done differs from the plan's words only where a file changed or
// could have.
std::string Done(const FileReport& f) {
  if (f.action == FileAction::kRewrite) {
    return "rewritten, " +
           Count(f.changed_lines, "line changed", "lines changed");
  }
  if (f.action == FileAction::kAlreadyConverted) return "already converted";
  return Planned(f);
}

// A listed file, or one of the files only read for the places left.
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
      ", " +
      // As the progress list says of a file an earlier project converted.
      std::to_string(report.Count(FileAction::kAlreadyConverted) +
                     report.Count(FileAction::kRepeat)) +
      " already converted";
  const uint64_t places = report.PlacesLeft();
  if (places > 0) line += ", " + Count(places, "place left", "places left");
  return line;
}

}  // namespace

void DetailsText::Add(const std::string& line) {
  if (text_.size() + line.size() + 1 > kDetailsBytes) {
    ++left_out_;
    return;
  }
  text_ += line;
  text_ += '\n';
}

std::string DetailsText::Text() const {
  if (left_out_ == 0) return text_;
  return text_ + "... and " + std::to_string(left_out_) + " more lines\n";
}

std::string PlanDetails(const ProjectReport& plan) {
  DetailsText out;
  out.Add("What OK will do:");
  // A plan holds listed files only.
  for (const FileReport& f : plan.files) {
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
  return out.Text();
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
  return out.Text();
}

void BatchReport::Add(const ProjectReport& report) {
  ++projects_;
  summaries_.Add(report.name + ": " + Summary(report));
  const uint64_t places = report.PlacesLeft();
  const uint64_t unsearched = Unsearched(report);
  places_ += places;
  unsearched_ += unsearched;
  // Under the project's name, since its files are named as it lists them.
  if (places > 0 || unsearched > 0) {
    place_lines_.Add(report.name + ":");
    AddPlaces(report, "    ", place_lines_);
  }
}

// Both parts are bounded on their own, so that the places show however many
// projects come first; the whole stays within twice the bound.
std::string BatchReport::Text(const std::string& heading) const {
  std::string text = heading + "\n" + summaries_.Text() + "\n";
  if (places_ > 0 || unsearched_ == 0) text += PlacesHeading(places_) + "\n";
  return text + place_lines_.Text();
}
