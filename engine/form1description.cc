#include "engine/form1description.h"

namespace {

using K = ControlKind;

// The rows are plain data: a braced list of strings in aggregates is more
// than some optimisers can follow without false warnings.
struct Row {
  const char* name;
  ControlKind kind;
  const char* text;
  TwipRect twips;
  int tab_index;
  bool bold;
  const char* accessible_name;
  const char* accessible_description;
};

constexpr Row kRows[] = {
    {"Label1", K::kLabel, "", {120, 120, 6150, 390}, 1, false, "", ""},
    {"Label5",
     K::kLabel,
     "Project Files:",
     {120, 1560, 1215, 195},
     3,
     false,
     "",
     ""},
    {"lst",
     K::kList,
     "",
     {120, 1800, 6015, 1665},
     0,
     false,
     "Project Files",
     "The project file and each form and user control it lists, marked OK "
     "once converted"},
    {"Label2", K::kLabel, "", {120, 3600, 6135, 195}, 2, false, "", ""},
    // The batch area starts below the window's initial content area.
    {"Line1", K::kLine, "", {120, 4320, 6120, 0}, -1, false, "", ""},
    {"Label4",
     K::kLabel,
     "Batch Conversion:",
     {120, 4440, 2415, 255},
     9,
     true,
     "",
     ""},
    {"cmdButton2",
     K::kButton,
     "Convert all projects in the selected folder",
     {2640, 4800, 3615, 375},
     4,
     false,
     "Convert all projects in the selected folder",
     "Batch Conversion: converts every project file one folder level below "
     "the folder opened in the folder list"},
    {"Label3",
     K::kLabel,
     "Double-click a folder to select it.",
     {120, 4920, 2415, 255},
     8,
     false,
     "",
     ""},
    {"Dir1",
     K::kFolderList,
     "",
     {120, 5280, 2415, 1215},
     5,
     false,
     "Folders",
     "Double-click a folder to select it. Or highlight it and press Enter."},
    {"File1",
     K::kFileList,
     "",
     {2640, 5280, 3615, 1260},
     6,
     false,
     "Files",
     "The files of the folder opened in the folder list"},
    {"cmd",
     K::kButton,
     "Select project to convert",
     {120, 840, 3885, 555},
     7,
     true,
     "Select project to convert",
     "Choose a project file (.vbp) and convert it"},
};

// "&File" is said "File"; "&&" stands for an ampersand.
std::string WithoutMarks(const std::string& text) {
  std::string name;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    name += text[i];
  }
  return name;
}

MenuItemDescription Item(const char* text, MenuCommand command) {
  MenuItemDescription item;
  item.text = text;
  item.command = command;
  item.accessible_name = WithoutMarks(item.text);
  return item;
}

MenuDescription FileMenu() {
  MenuDescription menu;
  menu.title = "&File";
  menu.accessible_name = WithoutMarks(menu.title);
  menu.items.push_back(
      Item("&Restore Project from Backups...", MenuCommand::kRestoreProject));
  menu.items.push_back(Item("Restore &All Projects in the Selected Folder",
                            MenuCommand::kRestoreFolder));
  menu.items.push_back(Item("", MenuCommand::kNone));
  // Closes the window as its close button does.
  menu.items.push_back(Item("E&xit", MenuCommand::kExit));
  return menu;
}

WindowDescription Make() {
  const FontDescription classic{"MS Sans Serif", 8.25, false};
  WindowDescription f;
  f.caption = "Quorvane Tabulon 8 to 8c Migration Utility";
  f.description =
      "This utility converts VB projects that use Tabulon8 to Tabulon8c";
  f.font = classic;
  f.width = 6405;
  f.height = 4170;
  for (const Row& r : kRows) {
    ControlDescription c;
    c.name = r.name;
    c.kind = r.kind;
    c.text = r.text;
    c.twips = r.twips;
    c.tab_index = r.tab_index;
    if (r.bold) c.font = {classic.face, classic.points, true};
    c.accessible_name = r.accessible_name;
    c.accessible_description = r.accessible_description;
    f.controls.push_back(c);
  }
  f.dlg = {"Visual Basic Projecs (*.vbp)", "*.vbp", "vbp"};
  f.menus.push_back(FileMenu());
  return f;
}

}  // namespace

const WindowDescription& Form1Description() {
  static const WindowDescription form = Make();
  return form;
}

bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::kLabel && kind != ControlKind::kLine;
}

bool NamesList(const ControlDescription& label,
               const ControlDescription& next) {
  return label.kind == ControlKind::kLabel && TakesFocus(next.kind) &&
         next.kind != ControlKind::kButton;
}
