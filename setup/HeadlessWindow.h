#pragma once

#include <ostream>

#include "setup/InstallForm.h"
#include "setup/forms/Ports.h"

// The setup program without a window: message boxes are answered with the
// cautious choice (OK, or No to a question), nothing is drawn, and the
// error log is written to a stream when the window would close.
namespace setup {

class HeadlessMessageBox : public forms::MessageBox {
  public:
    explicit HeadlessMessageBox(std::ostream& out) : out_(out) {}
    int32_t Show(const std::string& text, int32_t style, const std::string& title) override;

  private:
    std::ostream& out_;
};

class HeadlessEventLoop : public forms::EventLoop {
  public:
    void DoEvents() override {}
};

// Texts measure 7 pixels a character; a scroll bar is 16 pixels wide.
class HeadlessTextMeasure : public forms::TextMeasure {
  public:
    int32_t GetSystemMetrics(int32_t index) override;
    int32_t DrawTextCalcRectRight(const std::string& text, const forms::Font& font) override;
};

// Loads and activates the form; a window still open afterwards (not batch
// mode) shows its caption and error log on out and closes. A batch run
// writes the error log it ended with to err. Returns the program's exit
// code: for a batch run 1 when that log is not empty.
int RunHeadless(InstallForm& form, std::ostream& out, std::ostream& err);

}  // namespace setup
