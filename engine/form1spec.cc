#include "engine/form1spec.h"

namespace {

using K = ControlKind;

const FontSpec kClassic{"MS Sans Serif", 8.25, false};
const FontSpec kClassicBold{"MS Sans Serif", 8.25, true};

Form1Spec Make() {
  Form1Spec f;
  f.caption = "Quorvane Tabulon 8 to 8c Migration Utility";
  f.description =
      "This utility converts VB projects that use Tabulon8 to Tabulon8c";
  f.font = kClassic;
  f.width = 6405;
  f.height = 4170;
  f.controls = {
      {"Label1", K::kLabel, "", {120, 120, 6150, 390}, 1, {}, "", ""},
      {"Label5",
       K::kLabel,
       "Project Files:",
       {120, 1560, 1215, 195},
       3,
       {},
       "",
       ""},
      {"lst",
       K::kList,
       "",
       {120, 1800, 6015, 1665},
       0,
       {},
       "Project Files",
       "The project file and each form and user control it lists, marked OK "
       "once converted"},
      {"Label2", K::kLabel, "", {120, 3600, 6135, 195}, 2, {}, "", ""},
      // The batch area starts below the window's initial content area.
      {"Line1", K::kLine, "", {120, 4320, 6120, 0}, -1, {}, "", ""},
      {"Label4",
       K::kLabel,
       "Batch Conversion:",
       {120, 4440, 2415, 255},
       9,
       kClassicBold,
       "",
       ""},
      {"cmdButton2",
       K::kButton,
       "Convert all projects in the selected folder",
       {2640, 4800, 3615, 375},
       4,
       {},
       "Convert all projects in the selected folder",
       "Batch Conversion: converts every project file one folder level below "
       "the folder opened in the folder list"},
      {"Label3",
       K::kLabel,
       "Double-click a folder to select it.",
       {120, 4920, 2415, 255},
       8,
       {},
       "",
       ""},
      {"Dir1",
       K::kFolderList,
       "",
       {120, 5280, 2415, 1215},
       5,
       {},
       "Folders",
       "Double-click a folder to select it. Or highlight it and press "
       "Enter."},
      {"File1",
       K::kFileList,
       "",
       {2640, 5280, 3615, 1260},
       6,
       {},
       "Files",
       "The files of the folder opened in the folder list"},
      {"cmd",
       K::kButton,
       "Select project to convert",
       {120, 840, 3885, 555},
       7,
       kClassicBold,
       "Select project to convert",
       "Choose a project file (.vbp) and convert it"},
  };
  return f;
}

}  // namespace

const Form1Spec& Form1Description() {
  static const Form1Spec spec = Make();
  return spec;
}

bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::kLabel && kind != ControlKind::kLine;
}

bool NamesList(const ControlSpec& label, const ControlSpec& next) {
  return label.kind == ControlKind::kLabel && TakesFocus(next.kind) &&
         next.kind != ControlKind::kButton;
}
