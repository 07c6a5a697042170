#include "bench/synthform.h"

#include <string>
#include <vector>

namespace {

constexpr size_t kPiece = 1 << 20;
constexpr size_t kDeepest = 9;  // block depth of the largest real forms

const char* const kTexts1252[] = {
    "Bestell\xFC"
    "bersicht",
    "R\xE9sum\xE9 des commandes",
    "Gr\xF6\xDF"
    "e der Lieferung",
    "A\xF1o fiscal",
    "Pre\xE7o unit\xE1rio",
    "Total g\xE9n\xE9ral",
    "Amount due \x80",
};
const char* const kTextsAscii[] = {
    "Open orders",
    "Customer",
    "Ship date",
    "Amount due",
};
const char* const kTexts1256[] = {
    "\xC7\xE1\xD8\xE1\xC8\xC7\xCA",
    "\xC7\xE1\xDA\xE3\xED\xE1",
    "\xC7\xE1\xE3\xC8\xE1\xDB",
    "Order \xD1\xE2\xE3",
};
// Several of these hold 0x5C as the second byte of a character.
const char* const kTextsShiftJis[] = {
    "\x95\x5C\x8E\xA6",
    "\x83\x5C\x83\x74\x83\x67",
    "\x92\x8D\x95\xB6\x88\xEA\x97\x97",
    "\x8C\xDA\x8B\x71",
    "\x97\x5C\x92\xE8\x95\x5C",
    "\x8B\xE0\x8A\x7A",
};

struct ControlKind {
  const char* library_class;
  const char* prefix;
};
const ControlKind kSimple[] = {
    {"VB.CommandButton", "cmd"}, {"VB.TextBox", "txt"},
    {"VB.Label", "lbl"},         {"VB.CheckBox", "chk"},
    {"VB.OptionButton", "opt"},  {"VB.ComboBox", "cbo"},
    {"VB.ListBox", "lst"},       {"VB.Image", "img"},
    {"VB.Timer", "tmr"},         {"VB.HScrollBar", "hsb"},
};
const ControlKind kContainers[] = {
    {"VB.Frame", "fra"},
    {"VB.PictureBox", "pic"},
};
const char* const kWords[] = {
    "Orders", "Customer", "Total",  "Save",    "Cancel", "Search",
    "Detail", "Invoice",  "Stock",  "Address", "Filter", "Print",
    "Notes",  "Date",     "Amount", "Status",  "Ship",   "Payment",
};
const char* const kFields[] = {
    "OrderID", "CustomerID", "OrderDate", "ShipName", "Amount",
    "Qty",     "UnitPrice",  "Discount",  "Status",   "Remarks",
};
const char* const kFonts[] = {"MS Sans Serif", "Tahoma", "Arial",
                              "Courier New"};
const char kFontGuid[] = "{0BE35203-8F91-11CE-9DE3-00AA004BB851}";
const char kFormatGuid[] = "{6D835690-900B-11D0-9484-00A0C91110ED}";

class FormMaker {
 public:
  FormMaker(const FormShape& shape, Rng& rng,
            const std::function<void(std::string_view)>& sink)
      : spec_(shape),
        rng_(rng),
        sink_(sink),
        eol_(shape.crlf ? "\r\n" : "\n") {}

  void Run() {
    Header();
    const size_t share = rng_.Between(25, 55);
    controls_end_ = spec_.bytes / 100 * share;
    Controls();
    Code();
    Flush();
  }

 private:
  void Line(size_t depth, std::string_view text) {
    buf_.append(depth * indent_, ' ');
    buf_.append(text);
    buf_.append(eol_);
    written_ += depth * indent_ + text.size() + eol_.size();
    if (buf_.size() >= kPiece) Flush();
  }

  void Flush() {
    if (!buf_.empty()) sink_(buf_);
    buf_.clear();
  }

  // Property names are padded to sixteen columns; longer ones meet the "=".
  void Prop(size_t depth, std::string_view name, std::string_view value) {
    std::string s(name);
    if (s.size() < 16) s.append(16 - s.size(), ' ');
    s.append("=   ");
    s.append(value);
    Line(depth, s);
  }
  void Prop(size_t depth, std::string_view name, size_t lo, size_t hi) {
    Prop(depth, name, std::to_string(rng_.Between(lo, hi)));
  }

  // Block openings carry a trailing space more often than not.
  void Open(size_t depth, std::string_view library_class,
            const std::string& name) {
    std::string s = "Begin ";
    s.append(library_class);
    s.append(" ");
    s.append(name);
    if (rng_.Percent(70)) s.append(" ");
    Line(depth, s);
  }

  std::string Quoted(std::string_view text) {
    std::string s;
    s.reserve(text.size() + 2);
    s.push_back('"');
    s.append(text);
    s.push_back('"');
    return s;
  }
  std::string Word() { return rng_.Pick(kWords); }
  std::string Name(const char* prefix) {
    return prefix + Word() + std::to_string(++names_);
  }
  std::string Text() { return std::string(CodepageText(spec_.codepage, rng_)); }

  void Header() {
    Line(0, "VERSION 5.00");
    if (spec_.tabulon) {
      const char* const ocx[] = {"tbln8.ocx", "TBLN8.OCX", "Tbln8.ocx"};
      Line(0, std::string("Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}"
                          "#8.0#0\"; \"") +
                  rng_.Pick(ocx) + "\"");
    }
    if (rng_.Percent(40)) {
      Line(0,
           "Object = \"{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0\"; "
           "\"COMDLG32.OCX\"");
    }
    if (spec_.tabulex) {
      const char* const ocx[] = {"tblx8.ocx", "TBLX8.OCX"};
      Line(0, std::string("Object = \"{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}"
                          "#8.0#0\"; \"") +
                  rng_.Pick(ocx) + "\"");
    }
    if (spec_.user_control) {
      Open(0, "VB.UserControl", spec_.name);
    } else {
      Open(0, "VB.Form", spec_.name);
      Prop(1, "BorderStyle", "1  'Fixed Single");
      Prop(1, "Caption", Quoted(Text()));
    }
    Prop(1, "ClientHeight", 2000, 9000);
    Prop(1, "ClientLeft", 0, 120);
    Prop(1, "ClientTop", 0, 450);
    Prop(1, "ClientWidth", 3000, 12000);
    if (rng_.Percent(60)) Font(1, "Font");
    Prop(1, "ScaleHeight", 2000, 9000);
    Prop(1, "ScaleWidth", 3000, 12000);
    if (!spec_.user_control) Prop(1, "StartUpPosition", "3  'Windows Default");
  }

  void Controls() {
    // Large forms hold one deep chain of containers, as tab pages inside
    // frames inside pictures do.
    if (spec_.bytes > (50 << 10)) Chain(1, rng_.Between(6, kDeepest - 1));
    while (written_ < controls_end_) Block(1);
    Line(0, "End");
  }

  void Chain(size_t depth, size_t levels) {
    const ControlKind& kind = rng_.Pick(kContainers);
    Open(depth, kind.library_class, Name(kind.prefix));
    Place(depth + 1);
    if (levels > 1) Chain(depth + 1, levels - 1);
    Simple(depth + 1);
    Line(depth, "End");
  }

  void Block(size_t depth) {
    const size_t r = rng_.Below(100);
    if ((spec_.tabulon || spec_.tabulex) && r < 12) {
      Grid(depth);
    } else if (depth < kDeepest - 1 && r < 30) {
      const ControlKind& kind = rng_.Pick(kContainers);
      Open(depth, kind.library_class, Name(kind.prefix));
      Prop(depth + 1, "Caption", Quoted(Text()));
      Place(depth + 1);
      for (size_t n = rng_.Between(1, 6); n > 0; --n) {
        Block(depth + 1);
        if (written_ >= controls_end_) break;
      }
      Line(depth, "End");
    } else {
      Simple(depth);
    }
  }

  void Place(size_t depth) {
    Prop(depth, "Height", 255, 6000);
    Prop(depth, "Left", 0, 9000);
    Prop(depth, "TabIndex", 0, 60);
    Prop(depth, "Top", 0, 8000);
    Prop(depth, "Width", 255, 9000);
  }

  void Simple(size_t depth) {
    const ControlKind& kind = rng_.Pick(kSimple);
    Open(depth, kind.library_class, Name(kind.prefix));
    if (rng_.Percent(60)) Prop(depth + 1, "Caption", Quoted(Text()));
    if (rng_.Percent(25)) Font(depth + 1, "Font");
    Place(depth + 1);
    if (rng_.Percent(30)) Prop(depth + 1, "Text", Quoted(Word()));
    Line(depth, "End");
  }

  void Font(size_t depth, std::string_view section) {
    Line(depth,
         "BeginProperty " + std::string(section) + " " + kFontGuid + " ");
    Prop(depth + 1, "Name", Quoted(rng_.Pick(kFonts)));
    Prop(depth + 1, "Size", rng_.Percent(70) ? "8.25" : "9.75");
    Prop(depth + 1, "Charset", "0");
    Prop(depth + 1, "Weight", rng_.Percent(80) ? "400" : "700");
    Prop(depth + 1, "Underline", "0   'False");
    Prop(depth + 1, "Italic", "0   'False");
    Prop(depth + 1, "Strikethrough", "0   'False");
    Line(depth, "EndProperty");
  }

  void Grid(size_t depth) {
    const bool tabulon = spec_.tabulon && (!spec_.tabulex || rng_.Percent(60));
    const char* const library =
        tabulon ? (rng_.Percent(90) ? "Tabulon80" : "TABULON80") : "Tabulex80";
    const std::string name = Name("grd");
    Open(depth, std::string(library) + ".Grid", name);
    const size_t d = depth + 1;
    Place(d);
    Prop(d, "_ExtentX", 2000, 20000);
    Prop(d, "_ExtentY", 2000, 12000);
    Prop(d, "_Version", "393216");
    Prop(d, "AllowUpdate", "0   'False");
    Prop(d, "Caption", Quoted(Text()));
    Prop(d, "HeadLines", "1");
    Prop(d, "RowHeight", "15");
    Font(d, "HeadFont");
    Font(d, "Font");
    const size_t columns = rng_.Between(2, 14);
    Prop(d, "ColumnCount", std::to_string(columns));
    for (size_t c = 0; c < columns; ++c) {
      const std::string section =
          (c < 10 ? "Column0" : "Column") + std::to_string(c);
      Line(d, "BeginProperty " + section + " ");
      Prop(d + 1, "DataField", Quoted(rng_.Pick(kFields)));
      Prop(d + 1, "Caption", Quoted(Text()));
      Line(d + 1, "BeginProperty DataFormat " + std::string(kFormatGuid) + " ");
      Prop(d + 2, "Type", "0");
      Prop(d + 2, "Format", "\"\"");
      Prop(d + 2, "HaveTrueFalseNull", "0");
      Prop(d + 2, "FirstDayOfWeek", "0");
      Prop(d + 2, "FirstWeekOfYear", "0");
      Prop(d + 2, "LCID", "1033");
      Prop(d + 2, "SubFormatType", "0");
      Line(d + 1, "EndProperty");
      Line(d, "EndProperty");
    }
    Prop(d, "SplitCount", "1");
    Line(d, "BeginProperty Split0 ");
    Prop(d + 1, "MarqueeStyle", "3");
    for (size_t c = 0; c < columns; ++c) {
      Line(d + 1, "BeginProperty Column0" + std::to_string(c % 10) + " ");
      Prop(d + 2, "ColumnWidth",
           std::to_string(rng_.Between(400, 3000)) + "." +
               std::to_string(rng_.Below(1000)));
      if (rng_.Percent(10)) {
        Line(d + 2, "BeginProperty HeadStyle ");
        Font(d + 3, "Font");
        Line(d + 2, "EndProperty");
      }
      Line(d + 1, "EndProperty");
    }
    Line(d, "EndProperty");
    // Style definitions name the library too; inside a block they are
    // property values and stay as they are.
    for (size_t k = 0, n = rng_.Between(8, 40); k < n; ++k) {
      std::string value = "\"Splits(0).Columns(" + std::to_string(k % 14) +
                          ").Style:id=" + std::to_string(k + 14) +
                          ",.parent=13";
      if (k == 0) value += ",.namedParent=" + std::string(library);
      Prop(d, "_StyleDefs(" + std::to_string(k) + ")", value + "\"");
    }
    Line(depth, "End");
    grids_.push_back(name);
  }

  void Code() {
    indent_ = 4;  // code is indented by four, blocks by three
    Line(0, "Attribute VB_Name = " + Quoted(spec_.name));
    Line(0, "Attribute VB_GlobalNameSpace = False");
    Line(0, spec_.user_control ? "Attribute VB_Creatable = True"
                               : "Attribute VB_Creatable = False");
    Line(0, spec_.user_control ? "Attribute VB_PredeclaredId = False"
                               : "Attribute VB_PredeclaredId = True");
    Line(0, "Attribute VB_Exposed = False");
    Line(0, "Option Explicit");
    Line(0, "");
    Line(0, "Private mRs As ADODB.Recordset");
    if (spec_.tabulon) Line(0, "Private WithEvents mGrid As Tabulon80.Grid");
    if (spec_.tabulex) Line(0, "Private mDrop As Tabulex80.Grid");
    Line(0, "Private Const MODULE_NAME As String = " + Quoted(spec_.name));
    Line(0, "");
    while (written_ < spec_.bytes) Sub();
  }

  std::string Grid() {
    return grids_.empty() ? "mGrid" : grids_[rng_.Below(grids_.size())];
  }

  void Sub() {
    const char* const events[] = {"_Click()", "_Change()", "_GotFocus()",
                                  "_KeyPress(KeyAscii As Integer)"};
    Line(0, "Private Sub " + Name("cmd") + rng_.Pick(events));
    Line(1, "Dim i As Long");
    Line(1, "Dim sSql As String");
    Line(1, "On Error GoTo ErrHandler");
    for (size_t n = rng_.Between(3, 30); n > 0; --n) {
      Statement();
      if (written_ >= spec_.bytes) break;
    }
    Line(1, "Exit Sub");
    Line(0, "ErrHandler:");
    Line(1, "MsgBox Err.Description, vbCritical, MODULE_NAME");
    Line(0, "End Sub");
    Line(0, "");
  }

  void Statement() {
    switch (rng_.Below(9)) {
      case 0:
        Line(1, "sSql = \"SELECT * FROM " + Word() + " WHERE " +
                    rng_.Pick(kFields) + " = \" & CStr(i)");
        break;
      case 1:
        Line(1, "If Len(txt" + Word() + ".Text) = 0 Then");
        Line(2, "MsgBox \"" + Text() + "\", vbInformation, App.Title");
        Line(2, "Exit Sub");
        Line(1, "End If");
        break;
      case 2: {
        const std::string grid = Grid();
        Line(1, "For i = 0 To " + grid + ".Columns.Count - 1");
        Line(2, grid + ".Columns(i).Width = " +
                    std::to_string(rng_.Between(400, 2400)));
        Line(1, "Next i");
        break;
      }
      case 3:
        Line(1, "' " + Text());
        break;
      case 4:
        if (spec_.tabulon) {
          Line(1,
               "Dim col" + std::to_string(++names_) + " As Tabulon80.Column");
        } else {
          Line(1, "Call Refresh" + Word());
        }
        break;
      case 5:
        Line(1, "With mRs");
        Line(2, ".Fields(\"" + std::string(rng_.Pick(kFields)) +
                    "\").Value = " + std::to_string(rng_.Below(100000)));
        Line(2, ".Update");
        Line(1, "End With");
        break;
      case 6:
        Line(1, "Set mRs = New ADODB.Recordset");
        Line(1, "mRs.Open sSql, gConn, adOpenStatic, adLockOptimistic");
        break;
      default:
        Line(1, "lbl" + Word() + ".Caption = Format$(" + Word() +
                    "Total, \"#,##0.00\") & \" " + Text() + "\"");
        break;
    }
  }

  const FormShape& spec_;
  Rng& rng_;
  const std::function<void(std::string_view)>& sink_;
  const std::string eol_;
  std::string buf_;
  size_t written_ = 0;
  size_t controls_end_ = 0;
  size_t names_ = 0;
  size_t indent_ = 3;
  std::vector<std::string> grids_;
};

}  // namespace

std::string_view CodepageText(Codepage codepage, Rng& rng) {
  switch (codepage) {
    case Codepage::k1256:
      return rng.Percent(60) ? rng.Pick(kTexts1256) : rng.Pick(kTextsAscii);
    case Codepage::kShiftJis:
      return rng.Percent(60) ? rng.Pick(kTextsShiftJis) : rng.Pick(kTextsAscii);
    case Codepage::k1252:
      break;
  }
  return rng.Percent(50) ? rng.Pick(kTexts1252) : rng.Pick(kTextsAscii);
}

void WriteForm(const FormShape& shape, Rng& rng,
               const std::function<void(std::string_view)>& sink) {
  FormMaker(shape, rng, sink).Run();
}

std::string MakeForm(const FormShape& shape, Rng& rng) {
  std::string text;
  text.reserve(shape.bytes + 4096);
  WriteForm(shape, rng, [&](std::string_view piece) { text.append(piece); });
  return text;
}
