#include "engine/lines.h"

#include <cstring>
#include <utility>

namespace {
// Big enough for most lines of a file, and still from the heap's free
// lists. The read buffer is filled before it is read, so it is not cleared.
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

bool SourceReader::Refilled() {
  while (pos_ < len_ || Fill()) {
    if (!skip_lf_) return true;
    skip_lf_ = false;
    if (buf_[pos_] == '\n') ++pos_;
  }
  return false;
}

bool SourceReader::AtEnd() { return !More(); }

std::string_view SourceReader::NextLine(std::string& spill) {
  const char end_byte = ends_ == LineEnds::kLf ? '\n' : '\r';
  bool spilled = false;
  while (More()) {
    const char* start = buf_.get() + pos_;
    const size_t avail = len_ - pos_;
    const void* hit = std::memchr(start, end_byte, avail);
    if (hit == nullptr) {
      if (!spilled) spill.clear();
      spill.append(start, avail);
      spilled = true;
      pos_ = len_;
      continue;
    }
    const size_t n = static_cast<size_t>(static_cast<const char*>(hit) - start);
    pos_ += n + 1;
    // CR LF is one line end, even when the LF starts the next buffer; that
    // one is looked at only once this line is done with, as refilling the
    // buffer would overwrite it.
    if (ends_ == LineEnds::kCr) {
      if (pos_ == len_) {
        skip_lf_ = true;
      } else if (buf_[pos_] == '\n') {
        ++pos_;
      }
    }
    if (!spilled) return std::string_view(start, n);
    spill.append(start, n);
    return spill;
  }
  // The last line, which needs no end.
  return spilled ? std::string_view(spill) : std::string_view();
}

TargetWriter::TargetWriter(Sink sink, LineEnds ends)
    : sink_(std::move(sink)),
      terminator_(Terminator(ends)),
      buf_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

void TargetWriter::WriteLine(std::string_view s) {
  if (len_ + s.size() + terminator_.size() > kBufferSize) {
    Flush();
    if (s.size() >= kBufferSize) {
      sink_(s);
      sink_(terminator_);
      return;
    }
  }
  std::memcpy(buf_.get() + len_, s.data(), s.size());
  len_ += s.size();
  // Every line ends in an LF, after a CR where lines end in CR LF.
  if (terminator_.size() == 2) buf_[len_++] = '\r';
  buf_[len_++] = '\n';
}

void TargetWriter::Flush() {
  if (len_ == 0) return;
  sink_(std::string_view(buf_.get(), len_));
  len_ = 0;
}
