#include "bench/synthtree.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "bench/rng.h"
#include "bench/synthform.h"

namespace fs = std::filesystem;

namespace {

// Sizes of real forms: 2 to 400 KB, most around 20 KB.
const Bucket kFormBytes[] = {
    {10, 2 << 10, 6 << 10},   {25, 6 << 10, 14 << 10},
    {48, 14 << 10, 26 << 10}, {13, 26 << 10, 50 << 10},
    {3, 50 << 10, 150 << 10}, {1, 150 << 10, 400 << 10},
};
const Bucket kControlBytes[] = {{70, 4 << 10, 20 << 10},
                                {30, 20 << 10, 60 << 10}};
const Bucket kFormsPerProject[] = {
    {40, 2, 8}, {35, 8, 20}, {20, 20, 50}, {4, 50, 120}, {1, 120, 260},
};
const Bucket kControlsPerProject[] = {{60, 0, 0}, {30, 1, 2}, {10, 3, 5}};

const char* const kProjectWords[] = {
    "Orders",      "Billing",   "Stock Control", "Payroll", "Customers",
    "Shipping",    "Reports",   "Invoices",      "Budget",  "Fleet",
    "Lab Results", "Rostering", "Claims",        "Tenders", "Archive",
};
const char* const kFormWords[] = {
    "Main",   "Orders", "Detail", "Search",  "Customer", "Invoice", "Print",
    "Filter", "Stock",  "Totals", "Options", "Notes",    "Payment", "Edit",
};
const char* const kSharedForms[] = {"frmLogin",   "frmAbout", "frmSplash",
                                    "frmOptions", "frmFind",  "frmPreview"};
constexpr std::string_view kSharedFolder = "Shared Forms";

const char kReferences[] =
    "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\..\\"
    "Windows\\System32\\stdole2.tlb#OLE Automation";
const char kTabulonObject[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; ";
const char kTabulexObject[] =
    "Object={B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0; ";
const char kDialogObject[] =
    "Object={F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0; COMDLG32.OCX";

[[noreturn]] void Fail(const char* what, const fs::path& path) {
  throw fs::filesystem_error(what, path,
                             std::error_code(errno, std::generic_category()));
}

// One file being written, counted into the summary when it closes.
class OutFile {
 public:
  OutFile(const fs::path& path, TreeSummary& summary)
      : path_(path), summary_(summary) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) Fail("open", path);
  }
  void Write(std::string_view bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) Fail("write", path_);
    written_ += bytes.size();
  }
  void Close() {
    out_.close();
    if (!out_) Fail("close", path_);
    summary_.files += 1;
    summary_.bytes += written_;
  }

 private:
  fs::path path_;
  TreeSummary& summary_;
  std::ofstream out_;
  uint64_t written_ = 0;
};

class TreeWriter {
 public:
  TreeWriter(const std::string& root, const TreeOptions& options)
      : root_(root), options_(options), rng_(options.seed) {}

  TreeSummary Run() {
    fs::create_directories(root_);
    for (size_t i = 1; summary_.bytes < options_.bytes; ++i) Project(i);
    return summary_;
  }

 private:
  void Text(const fs::path& path, std::string_view bytes) {
    OutFile out(path, summary_);
    out.Write(bytes);
    out.Close();
  }

  void Form(const fs::path& path, const FormShape& shape) {
    OutFile out(path, summary_);
    WriteForm(shape, rng_, [&](std::string_view piece) { out.Write(piece); });
    out.Close();
    summary_.listed += 1;
  }

  // A form of the shared folder, written when a project first lists it.
  void SharedForm(const std::string& name) {
    if (!shared_.insert(name).second) return;
    const fs::path folder = root_ / kSharedFolder;
    fs::create_directories(folder);
    FormShape shape;
    shape.name = name;
    shape.bytes = Draw(rng_, kFormBytes);
    shape.tabulon = rng_.Percent(50);
    Form(folder / (name + ".frm"), shape);
  }

  // A module or class: attributes and code, no blocks.
  void Module(const fs::path& path, const std::string& name, const char* eol) {
    std::string s = "Attribute VB_Name = \"" + name + "\"" + eol +
                    "Option Explicit" + eol + eol;
    const size_t bytes = rng_.Between(1 << 10, 8 << 10);
    for (size_t k = 1; s.size() < bytes; ++k) {
      const std::string fn = "Calc" + std::to_string(k);
      s += "Public Function " + fn + "(ByVal n As Long) As Long" + eol +
           "    " + fn + " = n * " + std::to_string(rng_.Below(1000)) + eol +
           "End Function" + eol + eol;
    }
    Text(path, s);
  }

  // Extensions come as .frm, .Frm and .FRM.
  std::string Ext(std::string_view lower) {
    std::string ext(lower);
    const size_t r = rng_.Below(100);
    const size_t upper = r < 85 ? 0 : r < 95 ? 1 : ext.size() - 1;
    for (size_t i = 1; i <= upper; ++i) {
      ext[i] = static_cast<char>(ext[i] - 'a' + 'A');
    }
    return ext;
  }

  void Project(size_t index) {
    const std::string title =
        std::string(rng_.Pick(kProjectWords)) + std::to_string(index);
    const fs::path folder = root_ / title;
    fs::create_directories(folder);
    summary_.folders += 1;

    // Most forms in public repositories keep LF only; some projects keep
    // CR LF throughout, a few mix CR LF forms with an LF project file.
    const size_t style = rng_.Below(100);
    const bool crlf_forms = style >= 75;
    const bool crlf_project = style >= 75 && style < 93;
    const char* const eol = crlf_project ? "\r\n" : "\n";
    const size_t page = rng_.Below(100);
    const Codepage codepage = page < 85   ? Codepage::k1252
                              : page < 93 ? Codepage::k1256
                                          : Codepage::kShiftJis;
    const bool tabulex = rng_.Percent(30);

    std::vector<std::string> forms;
    std::vector<std::string> others;
    const size_t form_count = Draw(rng_, kFormsPerProject);
    const bool subfolder = form_count > 6 && rng_.Percent(60);
    const std::string disk_sub = rng_.Percent(70) ? "Forms" : "forms";
    const char* const listed_subs[] = {"Forms", "Forms", "FORMS", "forms"};
    const std::string listed_sub = rng_.Pick(listed_subs);
    if (subfolder) fs::create_directories(folder / disk_sub);
    for (size_t f = 1; f <= form_count; ++f) {
      const std::string name =
          "frm" + std::string(rng_.Pick(kFormWords)) + std::to_string(f);
      const std::string disk_ext = Ext(".frm");
      // Now and then the project spells a name in another case than the
      // disk, as it does after a copy from Windows.
      const std::string listed_ext = rng_.Percent(5) ? ".FRM" : disk_ext;
      const bool in_sub = subfolder && f > 1;
      FormShape shape;
      shape.name = name;
      shape.bytes = Draw(rng_, kFormBytes);
      shape.crlf = crlf_forms;
      shape.tabulon = rng_.Percent(55);
      shape.tabulex = tabulex && rng_.Percent(35);
      shape.codepage = codepage;
      Form(in_sub ? folder / disk_sub / (name + disk_ext)
                  : folder / (name + disk_ext),
           shape);
      forms.push_back("Form=" + (in_sub ? listed_sub + "\\" : "") + name +
                      listed_ext);
    }
    const size_t control_count = Draw(rng_, kControlsPerProject);
    if (control_count > 0) fs::create_directories(folder / "Controls");
    for (size_t c = 1; c <= control_count; ++c) {
      FormShape shape;
      shape.name =
          "uc" + std::string(rng_.Pick(kFormWords)) + std::to_string(c);
      shape.user_control = true;
      shape.bytes = Draw(rng_, kControlBytes);
      shape.crlf = crlf_forms;
      shape.tabulon = rng_.Percent(70);
      shape.codepage = codepage;
      const std::string ext = Ext(".ctl");
      Form(folder / "Controls" / (shape.name + ext), shape);
      others.push_back("UserControl=Controls\\" + shape.name + ext);
    }
    if (rng_.Percent(25)) {
      const std::string shared = rng_.Pick(kSharedForms);
      SharedForm(shared);
      forms.push_back(rng_.Percent(50)
                          ? "Form=..\\" + std::string(kSharedFolder) + "\\" +
                                shared + ".frm"
                          : "Form=..\\SHARED FORMS\\" + shared + ".FRM");
    }
    for (size_t m = 1, n = rng_.Between(1, 3); m <= n; ++m) {
      const bool cls = m > 1 && rng_.Percent(50);
      const std::string name =
          (cls ? "cls" : "mod") + std::string(rng_.Pick(kFormWords));
      const std::string file =
          name + std::to_string(m) + (cls ? ".cls" : ".bas");
      Module(folder / file, name, eol);
      others.push_back((cls ? "Class=" : "Module=") + name + "; " + file);
    }

    std::string objects = std::string(kTabulonObject) +
                          (rng_.Percent(80) ? "tbln8.ocx" : "TBLN8.OCX") + eol;
    if (tabulex) objects += std::string(kTabulexObject) + "tblx8.ocx" + eol;
    if (rng_.Percent(50)) objects += std::string(kDialogObject) + eol;

    std::vector<std::string> entries = forms;
    entries.insert(entries.end(), others.begin(), others.end());
    Shuffle(entries);
    const std::string first =
        forms.front().substr(5, forms.front().find('.') - 5);
    std::string base = title;
    std::erase(base, ' ');
    Text(folder / (base + ".vbp"),
         ProjectText(objects, entries, first, base, eol));
    summary_.projects += 1;
    // A build variant beside it lists part of the same forms.
    if (rng_.Percent(10)) {
      std::vector<std::string> part(forms.begin(),
                                    forms.begin() + (forms.size() + 1) / 2);
      Text(folder / (base + "Lite.vbp"),
           ProjectText(objects, part, first, base + "Lite", eol));
      summary_.projects += 1;
    }
  }

  void Shuffle(std::vector<std::string>& v) {
    for (size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[rng_.Below(i)]);
  }

  std::string ProjectText(const std::string& objects,
                          const std::vector<std::string>& entries,
                          const std::string& startup, const std::string& name,
                          const char* eol) {
    std::string s = std::string("Type=Exe") + eol + kReferences + eol + objects;
    for (const std::string& entry : entries) s += entry + eol;
    const std::string quoted_startup =
        "\"" + startup.substr(startup.rfind('\\') + 1) + "\"";
    s += "IconForm=" + quoted_startup + eol;
    s += "Startup=" + quoted_startup + eol;
    s += "HelpFile=\"\"" + std::string(eol);
    s += "Title=\"" + name + "\"" + eol;
    s += "ExeName32=\"" + name + ".exe\"" + eol;
    s += "Command32=\"\"" + std::string(eol);
    s += "Name=\"" + name + "\"" + eol;
    s += "HelpContextID=\"0\"" + std::string(eol);
    s += "CompatibleMode=\"0\"" + std::string(eol);
    s += "MajorVer=1" + std::string(eol) +
         "MinorVer=" + std::to_string(rng_.Below(20)) + eol +
         "RevisionVer=" + std::to_string(rng_.Below(400)) + eol;
    s += "AutoIncrementVer=0" + std::string(eol);
    s += "CompilationType=0" + std::string(eol);
    s += "OptimizationType=0" + std::string(eol);
    s += "StartMode=0" + std::string(eol);
    s += "Unattended=0" + std::string(eol);
    s += "Retained=0" + std::string(eol);
    s += "ThreadPerObject=0" + std::string(eol);
    s += "MaxNumberOfThreads=1" + std::string(eol);
    return s;
  }

  fs::path root_;
  TreeOptions options_;
  Rng rng_;
  TreeSummary summary_;
  std::set<std::string> shared_;
};

}  // namespace

TreeSummary WriteTree(const std::string& root, const TreeOptions& options) {
  return TreeWriter(root, options).Run();
}

TreeSummary WriteBigProject(const std::string& folder, uint64_t bytes,
                            bool crlf, uint64_t seed) {
  fs::create_directories(folder);
  TreeSummary summary;
  const char* const eol = crlf ? "\r\n" : "\n";
  {
    OutFile out(fs::path(folder) / "Big.vbp", summary);
    out.Write(std::string("Type=Exe") + eol + kTabulonObject + "tbln8.ocx" +
              eol + kTabulexObject + "tblx8.ocx" + eol + "Form=frmBig.frm" +
              eol + "Startup=\"frmBig\"" + eol + "Name=\"Big\"" + eol);
    out.Close();
  }
  summary.folders = 1;
  summary.projects = 1;
  Rng rng(seed);
  FormShape shape;
  shape.name = "frmBig";
  shape.bytes = static_cast<size_t>(bytes);
  shape.crlf = crlf;
  shape.tabulon = true;
  shape.tabulex = true;
  OutFile out(fs::path(folder) / "frmBig.frm", summary);
  WriteForm(shape, rng, [&](std::string_view piece) { out.Write(piece); });
  out.Close();
  summary.listed = 1;
  return summary;
}
