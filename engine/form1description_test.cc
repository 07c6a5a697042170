#include "engine/form1description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/text.h"

namespace {

const ControlDescription& Find(const std::string& name) {
  const auto& controls = Form1Description().controls;
  const auto it =
      std::find_if(controls.begin(), controls.end(),
                   [&](const ControlDescription& c) { return c.name == name; });
  EXPECT_NE(controls.end(), it) << name;
  return *it;
}

TEST(Form1Description, HoldsTheWindowsLayout) {
  const WindowDescription& form = Form1Description();
  EXPECT_EQ("Quorvane Tabulon 8 to 8c Migration Utility", form.caption);
  EXPECT_EQ("This utility converts VB projects that use Tabulon8 to Tabulon8c",
            form.description);
  EXPECT_EQ(6405, form.width);
  EXPECT_EQ(4170, form.height);
  EXPECT_EQ("Tabulon Migration", std::string(kAppTitle));
  EXPECT_EQ("Done", std::string(kDoneTitle));

  const struct {
    const char* name;
    ControlKind kind;
    const char* text;
    int left, top, width, height, tab_index;
    bool bold;
  } want[] = {
      {"Label1", ControlKind::kLabel, "", 120, 120, 6150, 390, 1, false},
      {"cmd", ControlKind::kButton, "Select project to convert", 120, 840, 3885,
       555, 7, true},
      {"Label5", ControlKind::kLabel, "Project Files:", 120, 1560, 1215, 195, 3,
       false},
      {"lst", ControlKind::kList, "", 120, 1800, 6015, 1665, 0, false},
      {"Label2", ControlKind::kLabel, "", 120, 3600, 6135, 195, 2, false},
      {"Line1", ControlKind::kLine, "", 120, 4320, 6120, 0, -1, false},
      {"Label4", ControlKind::kLabel, "Batch Conversion:", 120, 4440, 2415, 255,
       9, true},
      {"cmdButton2", ControlKind::kButton,
       "Convert all projects in the selected folder", 2640, 4800, 3615, 375, 4,
       false},
      {"Label3", ControlKind::kLabel, "Double-click a folder to select it.",
       120, 4920, 2415, 255, 8, false},
      {"Dir1", ControlKind::kFolderList, "", 120, 5280, 2415, 1215, 5, false},
      {"File1", ControlKind::kFileList, "", 2640, 5280, 3615, 1260, 6, false},
  };
  ASSERT_EQ(std::size(want), form.controls.size());
  for (const auto& w : want) {
    const ControlDescription& c = Find(w.name);
    EXPECT_EQ(w.kind, c.kind) << w.name;
    EXPECT_EQ(w.text, c.text) << w.name;
    EXPECT_EQ(w.left, c.twips.left) << w.name;
    EXPECT_EQ(w.top, c.twips.top) << w.name;
    EXPECT_EQ(w.width, c.twips.width) << w.name;
    EXPECT_EQ(w.height, c.twips.height) << w.name;
    EXPECT_EQ(w.tab_index, c.tab_index) << w.name;
    const FontDescription& font = w.bold ? c.font : form.font;
    EXPECT_EQ("MS Sans Serif", font.face) << w.name;
    EXPECT_EQ(8.25, font.points) << w.name;
    EXPECT_EQ(w.bold, font.bold) << w.name;
    EXPECT_EQ(w.bold, !c.font.IsDefault()) << w.name;
    // Whatever takes the focus has something for a screen reader to say.
    if (TakesFocus(c.kind)) {
      EXPECT_FALSE(c.accessible_name.empty()) << w.name;
      EXPECT_FALSE(c.accessible_description.empty()) << w.name;
    }
  }
  EXPECT_EQ("Project Files", Find("lst").accessible_name);
  EXPECT_EQ(0u, Find("Dir1").accessible_description.find(Find("Label3").text));
}

// One menu. Within it each item has a letter of its own, which chooses
// it at once, and a command of its own, by which the window knows it.
TEST(Form1Description, HasTheFileMenu) {
  const auto& menus = Form1Description().menus;
  ASSERT_EQ(1u, menus.size());
  EXPECT_EQ("&File", menus[0].title);
  EXPECT_EQ("File", menus[0].accessible_name);
  const struct {
    const char* text;
    MenuCommand command;
    const char* accessible_name;
  } want[] = {
      {"&Restore Project from Backups...", MenuCommand::kRestoreProject,
       "Restore Project from Backups..."},
      {"Restore &All Projects in the Selected Folder",
       MenuCommand::kRestoreFolder,
       "Restore All Projects in the Selected Folder"},
      {"", MenuCommand::kNone, ""},
      {"E&xit", MenuCommand::kExit, "Exit"},
  };
  const auto& items = menus[0].items;
  ASSERT_EQ(std::size(want), items.size());
  std::set<char> letters;
  std::set<MenuCommand> commands;
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(want[i].text, items[i].text);
    EXPECT_EQ(want[i].command, items[i].command) << want[i].text;
    EXPECT_EQ(want[i].accessible_name, items[i].accessible_name);
    if (items[i].IsSeparator()) continue;
    const size_t mark = items[i].text.find('&');
    ASSERT_NE(std::string::npos, mark) << want[i].text;
    EXPECT_TRUE(letters.insert(FoldCase(items[i].text[mark + 1])).second)
        << want[i].text;
    EXPECT_TRUE(commands.insert(items[i].command).second) << want[i].text;
  }
  EXPECT_EQ((std::set<char>{'r', 'a', 'x'}), letters);
}

// A window that makes the controls in the description's order gets the
// focus order and the lists' names right.
TEST(Form1Description, OrderGivesTabOrderAndNamesTheLists) {
  const auto& controls = Form1Description().controls;
  std::vector<std::string> focus;
  std::vector<std::string> named;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (TakesFocus(controls[i].kind)) {
      if (!focus.empty()) {
        EXPECT_LT(Find(focus.back()).tab_index, controls[i].tab_index);
      }
      focus.push_back(controls[i].name);
    }
    if (i > 0 && NamesList(controls[i - 1], controls[i])) {
      named.push_back(controls[i - 1].name + ">" + controls[i].name);
    }
  }
  EXPECT_EQ(
      (std::vector<std::string>{"lst", "cmdButton2", "Dir1", "File1", "cmd"}),
      focus);
  EXPECT_EQ((std::vector<std::string>{"Label5>lst", "Label3>Dir1"}), named);
}

// The batch area, from the separator down, lies below the content area that
// is in view when the window opens; everything above it inside.
TEST(Form1Description, BatchAreaLiesBelowTheContentArea) {
  const WindowDescription& form = Form1Description();
  for (const char* name :
       {"Line1", "Label4", "cmdButton2", "Label3", "Dir1", "File1"}) {
    EXPECT_GE(Find(name).twips.top, form.height) << name;
  }
  for (const char* name : {"Label1", "cmd", "Label5", "lst", "Label2"}) {
    const TwipRect& r = Find(name).twips;
    EXPECT_LE(r.top + r.height, form.height) << name;
    EXPECT_LE(r.left + r.width, form.width) << name;
  }
}

}  // namespace
