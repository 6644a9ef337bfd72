#include "setup/HeadlessWindow.h"

namespace setup {

int32_t HeadlessMessageBox::Show(const std::string& text, int32_t style, const std::string& title) {
    out_ << title << ": " << text << "\n";
    return (style & 0xF) == forms::kMsgYesNo ? forms::kAnswerNo : forms::kAnswerOk;
}

int32_t HeadlessTextMeasure::GetSystemMetrics(int32_t index) {
    return index == forms::kSmCxVScroll ? 16 : 0;
}

int32_t HeadlessTextMeasure::DrawTextCalcRectRight(const std::string& text, const forms::Font&) {
    return static_cast<int32_t>(text.size()) * 7;
}

int RunHeadless(InstallForm& form, std::ostream& out, std::ostream& err) {
    form.Form_Load();
    form.Form_Activate();
    if (form.blnBatchMode) {
        return FinishBatchRun(form, err);
    }
    if (!form.Window().IsUnloaded()) {
        out << form.Window().Caption() << "\n";
        if (!form.Log().Text().empty()) {
            out << form.Log().Text() << "\n";
        }
        form.Window().Unload();
    }
    return 0;
}

}  // namespace setup
