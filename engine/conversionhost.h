#ifndef ENGINE_CONVERSIONHOST_H_
#define ENGINE_CONVERSIONHOST_H_

#include <cstddef>
#include <string>

// The progress list. Texts are file bytes, unchanged: the list is also the
// work list, so an item must come back from ProgressItem exactly as it went
// in.
class ProgressList {
 public:
  virtual ~ProgressList() = default;
  virtual void ClearProgress() = 0;
  virtual void AddProgress(const std::string& text) = 0;  // appends one item
  virtual size_t ProgressCount() = 0;
  virtual std::string ProgressItem(size_t i) = 0;  // i counts from 0
  virtual void SetProgressItem(size_t i, const std::string& text) = 0;
  virtual void SelectProgress(size_t i) = 0;  // highlights and scrolls to it
};

// What ConvertProject needs from the window: the progress list, the boxes
// and the window's state.
class ConversionHost : public ProgressList {
 public:
  // Modal box with an information icon and OK. A box with details has an
  // area, closed at first, that shows them; an empty details text has none.
  virtual void ShowInfo(const std::string& text,
                        const std::string& details) = 0;
  // Modal box with an information icon, OK and Cancel, and details as for
  // ShowInfo; true: OK chosen.
  virtual bool AskOkCancel(const std::string& text,
                           const std::string& details) = 0;
  virtual void SetWindowEnabled(bool yes) = 0;
  virtual void Repaint() = 0;     // paints the window before returning
  virtual void PumpEvents() = 0;  // processes the events waiting, returns
};

// Keeps the window disabled while a project is read and written, and
// enables it again however the command ends.
class WindowDisabled {
 public:
  explicit WindowDisabled(ConversionHost& host) : host_(host) {
    host_.SetWindowEnabled(false);
  }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;
  ~WindowDisabled() { host_.SetWindowEnabled(true); }

 private:
  ConversionHost& host_;
};

// After each file: the window shows the progress and stays responsive,
// while it takes no input.
inline void Breathe(ConversionHost& host) {
  host.Repaint();
  host.PumpEvents();
}

#endif  // ENGINE_CONVERSIONHOST_H_
