#include "JobDialog.h"

#include <algorithm>

#include <wx/evtloop.h>
#include <wx/gauge.h>

#include "FilePrompt.h"
#include "MessageBox.h"
#include "second_file.h"

namespace kelvara::app {

namespace {
constexpr int kProgressBar = 1007;
constexpr int kPercentText = 1010;
constexpr int kWaitNotice = 1029;
constexpr int kProgressText = 1030;
}  // namespace

JobDialog::JobDialog(wxWindow* parent, const DialogTemplate& dialogTemplate)
    : TemplateDialog(parent, dialogTemplate),
      gauge_(dynamic_cast<wxGauge*>(Control(kProgressBar))) {}

void JobDialog::ShowMessage(std::string_view text, std::string_view title, kelvara::MessageIcon icon) {
    ShowMessageBox(this, text, title, icon);
}

kelvara::SecondFileAnswer JobDialog::AskNoSecondFile() {
    CSecondFileDlg dialog(this);
    return dialog.ShowModal() == wxID_OK ? kelvara::SecondFileAnswer::Continue
                                         : kelvara::SecondFileAnswer::ReInput;
}

void JobDialog::SetProgressRange(int lower, int upper) {
    lower_ = lower;
    upper_ = std::max(lower, upper);
    position_ = std::clamp(position_, lower_, upper_);
    ShowProgress();
}

void JobDialog::SetProgressStep(int step) { step_ = step; }

void JobDialog::SetProgressPosition(int position) {
    position_ = std::clamp(position, lower_, upper_);
    ShowProgress();
}

// The bar stays full once a step would pass its upper end.
void JobDialog::StepProgress() {
    position_ = std::clamp(position_ + step_, lower_, upper_);
    ShowProgress();
}

void JobDialog::SetPercentText(std::string_view text) { SetTextAndRepaint(kPercentText, text); }

void JobDialog::SetStatusText(kelvara::StatusText which, std::string_view text) {
    SetTextAndRepaint(which == kelvara::StatusText::WaitNotice ? kWaitNotice : kProgressText, text);
}

void JobDialog::ShowProgress() {
    if (gauge_ == nullptr) return;
    gauge_->SetRange(std::max(1, upper_ - lower_));
    gauge_->SetValue(position_ - lower_);
    RepaintNow();
}

void JobDialog::SetTextAndRepaint(int controlNumber, std::string_view text) {
    if (Control(controlNumber) == nullptr) return;
    SetControlText(controlNumber, wxString::FromUTF8(text.data(), text.size()));
    RepaintNow();
}

void JobDialog::RepaintNow() {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(wxEVT_CATEGORY_UI);
        return;
    }
    wxEventLoopGuarantor loopWhileNoneRuns;
    wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_UI);
}

bool JobDialog::BrowseInto(int editNumber, bool overwritePrompt) {
    const std::optional<wxString> path = PromptForFile({this, overwritePrompt});
    if (!path) return false;
    SetControlText(editNumber, *path);
    return true;
}

}  // namespace kelvara::app
