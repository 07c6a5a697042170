// The hot path in isolation: the replace primitive and form conversion, in
// bytes per second, so that a change to either is measured before it lands.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/rng.h"
#include "bench/synthform.h"
#include "engine/filesystem.h"
#include "engine/formconvert.h"
#include "engine/lines.h"
#include "engine/listedfile.h"
#include "engine/tables.h"

namespace {

const Tables& TheTables() {
  static const Tables tables = InitTables();
  return tables;
}

std::string Form(size_t bytes, bool crlf) {
  FormShape shape;
  shape.name = "frmOrders";
  shape.bytes = bytes;
  shape.crlf = crlf;
  shape.tabulex = true;
  Rng rng(7);
  return MakeForm(shape, rng);
}

void SetBytes(benchmark::State& state, size_t per_iteration) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(per_iteration));
}

// The commonest line of all: code holding no library name.
void BM_StringReplaceCodeLine(benchmark::State& state) {
  std::string s =
      "    lblTotal.Caption = Format$(mTotal, \"#,##0.00\") & \" Total\"";
  for (auto _ : state) {
    benchmark::DoNotOptimize(StringReplace(s, "Tabulon80", "Tabulon80c"));
  }
  SetBytes(state, s.size());
}
BENCHMARK(BM_StringReplaceCodeLine);

void BM_StringReplaceMatchingLine(benchmark::State& state) {
  const std::string line = "Private WithEvents mGrid As Tabulon80.Grid";
  for (auto _ : state) {
    std::string s = line;
    benchmark::DoNotOptimize(StringReplace(s, "Tabulon80", "Tabulon80c"));
    benchmark::DoNotOptimize(s.data());
  }
  SetBytes(state, line.size());
}
BENCHMARK(BM_StringReplaceMatchingLine);

// A header row tried on every line of a file: long find text, rare match.
void BM_ApplyFormTableCodeLine(benchmark::State& state) {
  std::string s = "    Set mRs = New ADODB.Recordset";
  for (auto _ : state) {
    benchmark::DoNotOptimize(ApplyTable(s, TheTables().FormTable));
  }
  SetBytes(state, s.size());
}
BENCHMARK(BM_ApplyFormTableCodeLine);

// A whole text at once, as a project text is treated.
void BM_StringReplaceWholeText(benchmark::State& state) {
  const std::string text = Form(static_cast<size_t>(state.range(0)), false);
  for (auto _ : state) {
    std::string s = text;
    benchmark::DoNotOptimize(StringReplace(s, "Tabulon80", "Tabulon80c"));
    benchmark::DoNotOptimize(s.data());
  }
  SetBytes(state, text.size());
}
BENCHMARK(BM_StringReplaceWholeText)->Arg(20 << 10)->Arg(1 << 20);

// Line-by-line conversion in memory: reading, the tables, writing.
void BM_ConvertFormLines(benchmark::State& state) {
  const bool crlf = state.range(1) != 0;
  const std::string text = Form(static_cast<size_t>(state.range(0)), crlf);
  const LineEnds ends = crlf ? LineEnds::kCr : LineEnds::kLf;
  std::string out;
  out.reserve(text.size() * 2);
  for (auto _ : state) {
    size_t at = 0;
    out.clear();
    SourceReader in(
        [&](char* buf, size_t n) {
          const size_t got = std::min(n, text.size() - at);
          std::memcpy(buf, text.data() + at, got);
          at += got;
          return got;
        },
        ends);
    TargetWriter writer([&](std::string_view bytes) { out.append(bytes); },
                        ends);
    ConvertFormLines(in, writer, TheTables());
    writer.Flush();
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state, text.size());
}
BENCHMARK(BM_ConvertFormLines)
    ->ArgNames({"bytes", "crlf"})
    ->Args({20 << 10, 0})
    ->Args({20 << 10, 1})
    ->Args({400 << 10, 0});

// One file, backup included: the engine's whole cost per form. In memory
// where the system offers a folder there: each round replaces the backup
// and so frees a file, and some file systems make creating files dearer for
// a while after that, which a real batch never meets.
void BM_ConvertFormFile(benchmark::State& state) {
  const std::string text = Form(static_cast<size_t>(state.range(0)), false);
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm")
          ? "/dev/shm"
          : std::filesystem::temp_directory_path();
  std::string folder = (base / "formbench.XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("cannot make a temporary folder");
    return;
  }
  const std::string path = folder + "/frmOrders.frm";
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    state.ResumeTiming();
    ConvertForm(folder, "frmOrders.frm", TheTables(), DefaultFileSystem());
  }
  SetBytes(state, text.size());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConvertFormFile)->Arg(20 << 10)->Arg(400 << 10);

}  // namespace

BENCHMARK_MAIN();
