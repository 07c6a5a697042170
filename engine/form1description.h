#ifndef ENGINE_FORM1DESCRIPTION_H_
#define ENGINE_FORM1DESCRIPTION_H_

#include <string>
#include <vector>

// What the window Form1 is, without a toolkit: its controls, their places in
// twips, texts, tab order, fonts and what a screen reader says of them. The
// Qt and the Win32 window both build from it.

// Title of the message boxes that have none of their own.
inline constexpr char kAppTitle[] = "Tabulon Migration";
// Title of the box that ends a batch.
inline constexpr char kDoneTitle[] = "Done";

enum class ControlKind {
  kLabel,
  kButton,
  kList,
  kLine,
  kFolderList,
  kFileList
};

// Empty face: the window's own font.
struct FontDescription {
  std::string face;
  double points = 0;
  bool bold = false;

  bool IsDefault() const { return face.empty(); }
};

// 1440 twips to the inch, from the content area's top-left corner. A line
// runs along the top edge, from left to left + width; its height is 0.
struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlDescription {
  std::string name;  // the member that holds the control
  ControlKind kind = ControlKind::kLabel;
  std::string text;  // a label's or a button's; empty for the others
  TwipRect twips;
  int tab_index = -1;  // none: a line
  FontDescription font;
  // Empty: what the platform makes of the control (a label's text).
  std::string accessible_name;
  std::string accessible_description;
};

// The open-file dialog: its one filter entry, and the extension it adds to
// a name typed without one.
struct FileDialogDescription {
  std::string filter;   // what the entry says
  std::string pattern;  // which names it shows
  std::string default_extension;
};

// What a menu item does. The Win32 window takes the number as the item's
// id: apart from its controls' (from 100, by tab index) and from IDOK (1)
// and IDCANCEL (2), which Enter and Escape send to the window.
enum class MenuCommand {
  kNone = 0,  // a separator's
  kRestoreProject = 201,
  kRestoreFolder = 202,
  kExit = 203,
};

// A text's ampersand marks the letter that chooses the item; a screen reader
// says the text without it.
struct MenuItemDescription {
  std::string text;  // empty: a separator
  MenuCommand command = MenuCommand::kNone;
  std::string accessible_name;

  bool IsSeparator() const { return text.empty(); }
};

struct MenuDescription {
  std::string title;  // Alt and its marked letter open the menu
  std::string accessible_name;
  std::vector<MenuItemDescription> items;
};

struct WindowDescription {
  std::string caption;
  // Form_Load puts it in Label1; it is also the window's accessible
  // description.
  std::string description;
  FontDescription font;  // the window's, and every control's with the default
  int width = 0;         // of the content area, in twips
  int height = 0;
  // In the order the controls are made. Made so, those that take the focus
  // follow one another in tab index order, and a list comes right after the
  // label that names it: Win32 moves the focus in the order controls were
  // made, and its screen readers name a list by the label made before it.
  std::vector<ControlDescription> controls;
  FileDialogDescription dlg;  // not a control on the window
  // The menu bar, above the content area: it moves nothing in it, and is
  // not in the tab order.
  std::vector<MenuDescription> menus;
};

const WindowDescription& Form1Description();

// True for the kinds that take the focus: the buttons and the lists.
bool TakesFocus(ControlKind kind);

// A list that comes right after a label is named by it.
bool NamesList(const ControlDescription& label, const ControlDescription& next);

#endif  // ENGINE_FORM1DESCRIPTION_H_
