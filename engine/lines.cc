#include "engine/lines.h"

#include <cstring>
#include <utility>

namespace {
// See the copy buffer in backup.cc: big enough, and still from the heap's
// free lists. The read buffer is filled before it is read, so it is not
// cleared.
constexpr size_t kBufferSize = 1 << 16;
}  // namespace

LineEnds LineEndsOf(bool has_cr, bool has_lf) {
  return (has_lf && !has_cr) ? LineEnds::kLf : LineEnds::kCr;
}

std::string_view Terminator(LineEnds ends) {
  return ends == LineEnds::kLf ? "\n" : "\r\n";
}

SourceReader::SourceReader(Refill refill, LineEnds ends)
    : refill_(std::move(refill)),
      ends_(ends),
      buf_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

bool SourceReader::Fill() {
  pos_ = 0;
  len_ = refill_(buf_.get(), kBufferSize);
  return len_ > 0;
}

bool SourceReader::AtEnd() { return pos_ == len_ && !Fill(); }

void SourceReader::ReadLine(std::string& s) {
  s.clear();
  const char end_byte = ends_ == LineEnds::kLf ? '\n' : '\r';
  while (pos_ < len_ || Fill()) {
    const char* start = buf_.get() + pos_;
    const size_t avail = len_ - pos_;
    const void* hit = std::memchr(start, end_byte, avail);
    if (hit == nullptr) {
      s.append(start, avail);
      pos_ = len_;
      continue;
    }
    const size_t n = static_cast<size_t>(static_cast<const char*>(hit) - start);
    s.append(start, n);
    pos_ += n + 1;
    // CR LF is one line end, even when the LF starts the next buffer.
    if (ends_ == LineEnds::kCr && (pos_ < len_ || Fill()) &&
        buf_[pos_] == '\n') {
      ++pos_;
    }
    return;
  }
}

TargetWriter::TargetWriter(Sink sink, LineEnds ends)
    : sink_(std::move(sink)), terminator_(Terminator(ends)) {
  buf_.reserve(kBufferSize);
}

void TargetWriter::WriteLine(std::string_view s) {
  if (buf_.size() + s.size() + terminator_.size() > kBufferSize) {
    Flush();
    if (s.size() >= kBufferSize) {
      sink_(s);
      sink_(terminator_);
      return;
    }
  }
  buf_.append(s);
  buf_.append(terminator_);
}

void TargetWriter::Flush() {
  if (buf_.empty()) return;
  sink_(buf_);
  buf_.clear();
}
