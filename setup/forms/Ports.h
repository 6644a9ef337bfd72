#pragma once

#include <cstdint>
#include <string>

#include "setup/forms/Control.h"

// The window system's services that the form uses besides its controls.
// A front end implements them; tests answer them.
namespace setup::forms {

// Message box styles and answers.
constexpr int32_t kMsgOkOnly = 0;
constexpr int32_t kMsgYesNo = 4;
constexpr int32_t kMsgExclamation = 48;
constexpr int32_t kMsgInformation = 64;
constexpr int32_t kMsgDefaultButton2 = 256;
constexpr int32_t kAnswerOk = 1;
constexpr int32_t kAnswerYes = 6;
constexpr int32_t kAnswerNo = 7;

// The message box: shows text with a style and a title, returns the answer.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual int32_t Show(const std::string& text, int32_t style, const std::string& title) = 0;
};

// The window's event loop: DoEvents processes the pending window messages
// once (repaints, clicks) and returns.
class EventLoop {
  public:
    virtual ~EventLoop() = default;
    virtual void DoEvents() = 0;
};

// System metrics and text measurement for list scroll extents.
constexpr int32_t kSmCxVScroll = 2;
constexpr uint32_t kDtCalcRect = 0x400;

class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    // GetSystemMetrics(index), in pixels.
    virtual int32_t GetSystemMetrics(int32_t index) = 0;
    // DrawTextA with DT_CALCRECT alone on a device context holding font,
    // starting from a rectangle whose left and top are 0: the right edge
    // of the computed rectangle, the text's width in pixels.
    virtual int32_t DrawTextCalcRectRight(const std::string& text, const Font& font) = 0;
};

}  // namespace setup::forms
