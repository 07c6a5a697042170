#ifndef ENGINE_LINES_H_
#define ENGINE_LINES_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// How a file's lines end. Files written by the development environment end
// their lines in CR LF, and there a CR alone ends a line too while a lone LF
// is an ordinary byte. Files kept in version control often hold LF only; for
// those LF is the line end, so that a rewrite changes only converted lines.
enum class LineEnds { kCr, kLf };

// kLf for text holding at least one LF and no CR at all, else kCr.
LineEnds LineEndsOf(bool has_cr, bool has_lf);
std::string_view Terminator(LineEnds ends);  // what a written line ends with

// Reads lines from a byte stream, buffered; memory grows with the longest
// line, never with the stream. The terminator is not part of a line; the last
// line needs none.
class SourceReader {
 public:
  // Fills up to n bytes of buf; 0 means the stream has ended.
  using Refill = std::function<size_t(char* buf, size_t n)>;

  SourceReader(Refill refill, LineEnds ends);

  bool AtEnd();  // true when no byte remains
  // The next line. Most lie whole in the buffer and are seen there; one
  // that crosses its border is gathered in spill. Either way the view holds
  // until the next call.
  std::string_view NextLine(std::string& spill);

 private:
  bool Fill();  // false at the end of the stream
  // false when no byte remains
  bool More() { return (pos_ < len_ && !skip_lf_) || Refilled(); }
  bool Refilled();  // More, once the buffer is used up or an LF is due

  Refill refill_;
  LineEnds ends_;
  std::unique_ptr<char[]> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
  // A CR ended the buffer: an LF that starts the next one belongs to it.
  bool skip_lf_ = false;
};

// Writes lines, each followed by its terminator, buffered.
class TargetWriter {
 public:
  using Sink = std::function<void(std::string_view bytes)>;

  TargetWriter(Sink sink, LineEnds ends);

  void WriteLine(std::string_view s);
  void Flush();  // hands every buffered byte to the sink

 private:
  Sink sink_;
  std::string_view terminator_;
  // Filled by plain copies: most lines are short, and a string's append
  // costs more per line than the bytes themselves.
  std::unique_ptr<char[]> buf_;
  size_t len_ = 0;
};

#endif  // ENGINE_LINES_H_
