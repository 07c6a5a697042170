#include "engine/testkit/sampletrees.h"

#include <string>

namespace {

const char kProject8[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx";
const char kProjectX8[] =
    "Object={B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0; tblx8.ocx";
const char kProject8c[] =
    "Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; tbln8c.ocx";
const char kHeader8[] =
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"";
const char kHeaderX8[] =
    "Object = \"{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0\"; \"tblx8.ocx\"";

// A form in the development environment's layout, its lines ended by eol.
std::string Form(const std::string& name, const std::string& eol,
                 size_t pad = 0) {
  std::string text =
      "VERSION 5.00" + eol + kHeader8 + eol + "Begin VB.Form " + name + " " +
      eol + "   Caption         =   \"Orders\"" + eol +
      "   Begin VB.Frame fraTop" + eol + "      Begin Tabulon80.Grid grd " +
      eol + "         BeginProperty Font {0BE35203}" + eol +
      "            Name            =   \"Tabulon80\"" + eol +
      "         EndProperty" + eol + "      End" + eol + "   End" + eol +
      "End" + eol + "Attribute VB_Name = \"" + name + "\"" + eol +
      "Private WithEvents mGrid As Tabulon80.Grid" + eol;
  while (text.size() < pad) {
    text += "' Tabulon80 keeps the orders of the day" + eol;
  }
  return text;
}

std::string Project(const std::string& entries) {
  return "Type=Exe\r\n" + std::string(kProject8) + "\r\n" + entries +
         "Module=modMain; modMain.bas\r\nStartup=\"frmMain\"\r\n";
}

}  // namespace

Tree SampleProject() {
  return {
      {"Demo/Demo.vbp",
       File("Type=Exe\r\n" + std::string(kProject8) + "\r\n" + kProjectX8 +
            "\r\nForm=frmMain.frm\r\nForm=Forms\\frmOrders.frm\r\n"
            "Form=..\\Shared\\FORMS\\frmLogin.Frm\r\n"
            "Module=modMain; modMain.bas\r\n"
            "UserControl=Controls\\ucTotals.ctl\r\nIconForm=\"frmMain\"\r\n")},
      {"Demo/frmMain.frm", File(Form("frmMain", "\r\n"))},
      {"Demo/frmMain.frm.bak", File("an older backup\r\n")},
      {"Demo/Forms/frmOrders.frm", File(Form("frmOrders", "\n"))},
      {"Shared/forms/frmLogin.frm", File(Form("frmLogin", "\r\n"))},
      {"Demo/Controls/ucTotals.ctl",
       File(std::string("VERSION 5.00\r\n") + kHeaderX8 +
            "\r\nBegin VB.UserControl ucTotals\r\n"
            "   Begin Tabulex80.Grid g\r\n   End\r\nEnd\r\n"
            "Dim t As Tabulex80.Grid")},
      {"Demo/modMain.bas", File("Dim g As Tabulon80.Grid\r\n")},
  };
}

Tree SampleBatch(size_t form_bytes) {
  return {
      {"A/A.vbp",
       File(Project("Form=frmA.frm\r\nForm=..\\Common\\frmShared.frm\r\n"))},
      {"A/frmA.frm", File(Form("frmA", "\r\n", form_bytes))},
      {"A/modMain.bas", File("Dim g As Tabulon80.Grid\r\n")},
      {"B/B.VBP",
       File(Project("Form=frmB.frm\r\nForm=..\\common\\FRMSHARED.FRM\r\n"))},
      {"B/B.vbp.bak", File("an older project\r\n")},
      {"B/frmB.frm", File(Form("frmB", "\n", form_bytes))},
      {"Common/frmShared.frm", File(Form("frmShared", "\r\n", form_bytes))},
      {"Done/Done.vbp", File("Type=Exe\r\n" + std::string(kProject8c) +
                             "\r\nForm=frmDone.frm\r\n")},
      {"Done/frmDone.frm", File("Begin Tabulon80c.Grid g\r\nEnd\r\n")},
      {"LinkToA", Link("A")},
  };
}

std::string CommandProject(const std::string& entries) {
  return "Type=Exe\r\n"
         "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx\r\n" +
         entries + "Startup=\"frmMain\"\r\n";
}

Tree CommandOrders() {
  return {
      {"Orders/Orders.vbp",
       File(CommandProject("Form=frmMain.frm\r\nForm=Forms\\frmOrders.frm\r\n"
                           "UserControl=ucTotals.ctl\r\n"))},
      {"Orders/frmMain.frm", File(kCommandForm)},
      {"Orders/Forms/frmOrders.frm", File(kCommandForm)},
      {"Orders/ucTotals.ctl", File(kCommandForm)},
  };
}

const char kCommandForm[] =
    "VERSION 5.00\r\n"
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
    "\"tbln8.ocx\"\r\n"
    "Begin VB.Form frmMain \r\n"
    "   Begin Tabulon80.Grid grd\r\n"
    "   End\r\n"
    "End\r\n";
