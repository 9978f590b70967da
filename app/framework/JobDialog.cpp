#include "framework/JobDialog.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "ResourceIds.h"
#include "framework/FilePrompt.h"
#include "framework/MessageBox.h"
#include "framework/SiteFileSetting.h"
#include "jobs/JobMessages.h"
#include "jobs/RunDiagnosis.h"

namespace kelvara::app {

namespace {

// A warning is one line for a terminal. In a box, a list after its first
// colon ("...: Ts: 3 values above Ts-Max 4 (range.ini); P: ...") reads
// better with one item a line.
std::string WithListItemsOnLines(std::string_view text) {
    std::string shown;
    while (true) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        const std::size_t colon = line.find(": ");
        if (colon != std::string_view::npos && line.find("; ", colon) != std::string_view::npos) {
            shown.append(line.substr(0, colon + 1));
            line.remove_prefix(colon + 2);
            while (!line.empty()) {
                const std::size_t next = std::min(line.find("; "), line.size());
                shown.append("\n  \u2022 ").append(line.substr(0, next));
                line.remove_prefix(std::min(next + 2, line.size()));
            }
        } else {
            shown.append(line);
        }
        if (end == text.size()) return shown;
        shown += '\n';
        text.remove_prefix(end + 1);
    }
}

}  // namespace

JobDialog::JobDialog(wxWindow* parent, const res::DialogTemplate& dialogTemplate)
    : TemplateDialog(parent, dialogTemplate), gauge_(dynamic_cast<wxGauge*>(Control(res::IDC_PROGRESS_BAR))) {}

void JobDialog::ShowMessage(std::string_view text, std::string_view title, kelvara::MessageIcon icon) {
    std::string details = failure_;
    if (!partialResults_.empty()) details += (details.empty() ? "" : "\n\n") + partialResults_;
    failure_.clear();
    partialResults_.clear();
    ShowMessageBox(this, text, title, icon, details);
}

void JobDialog::ShowWarning(std::string_view text) {
    ShowMessageBox(this, WithListItemsOnLines(text), kelvara::messages::kWarningTitle,
                   kelvara::MessageIcon::Exclamation);
}

void JobDialog::ExplainFailure(std::string_view file, std::string_view reason) {
    failure_.assign(file).append(": ").append(reason);
}

void JobDialog::ExplainPartialResults(std::string_view resultsFile, std::string_view partialFile) {
    partialResults_.assign("The results written before the failure are kept in ")
        .append(partialFile)
        .append(" (")
        .append(resultsFile)
        .append(" is as it was).");
}

void JobDialog::ShowNoFluxes(const kelvara::RunDiagnosis& diagnosis) {
    std::string text = "Processing finished, but no half hour got fluxes: " + diagnosis.noFluxes + ".";
    switch (diagnosis.hint) {
        case kelvara::NoFluxHint::ColumnMap:
            text +=
                "\n\nThe header names a record-number column: choose how the columns are read under "
                "Options \u2192 Input Columns\u2026";
            break;
        case kelvara::NoFluxHint::StatusField:
            text +=
                "\n\nIs the status the last field of each record? The columns are chosen under "
                "Options \u2192 Input Columns\u2026";
            break;
        case kelvara::NoFluxHint::None:
            break;
    }
    if (!diagnosis.rangeRejections.empty()) {
        text += "\n\nHalf hours rejected for their range limits (Options \u2192 Range Setting):";
        for (const std::string& line : diagnosis.rangeRejections) text += "\n" + line;
    }
    ShowMessageBox(this, text, kelvara::messages::kNoFluxesTitle, kelvara::MessageIcon::Exclamation);
}

void JobDialog::ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time, int pairs) {
    ShowWarning(kelvara::SharedHalfHoursText(first, second, time, pairs, "EC Process"));
}

void JobDialog::SetProgressRange(int lower, int upper) {
    bar_.SetRange(lower, upper);
    ShowProgress();
}

void JobDialog::SetProgressStep(int step) { bar_.SetStep(step); }

void JobDialog::SetProgressPosition(int position) {
    bar_.SetPosition(position);
    ShowProgress();
}

void JobDialog::StepProgress() {
    bar_.Step();
    ShowProgress();
}

void JobDialog::SetPercentText(std::string_view text) { SetTextAndRepaint(res::IDC_PERCENT_TEXT, text); }

void JobDialog::SetStatusText(kelvara::StatusText which, std::string_view text) {
    SetTextAndRepaint(which == kelvara::StatusText::WaitNotice ? res::IDC_WAIT_NOTICE : res::IDC_PROGRESS_TEXT, text);
}

void JobDialog::ShowProgress() {
    if (gauge_ == nullptr) return;
    gauge_->SetRange(std::max(1, bar_.upper - bar_.lower));
    gauge_->SetValue(bar_.position - bar_.lower);
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

void JobDialog::ShowInputColumnsNote(int noteLabel, const std::string& note) {
    auto* label = dynamic_cast<wxStaticText*>(Control(noteLabel));
    if (label == nullptr) return;
    const wxString text = wxString::FromUTF8(note);
    wxClientDC dc(label);
    dc.SetFont(label->GetFont());
    label->SetLabel(wxControl::Ellipsize(text, dc, wxELLIPSIZE_END, label->GetSize().x - 2));
    label->SetToolTip(text);
}

kelvara::RotationInputs JobDialog::ReadRotationInputs(int radioIndex, int b0Edit, int b1Edit, int b2Edit) const {
    // The second radio button of the group is the planar fit.
    const auto rotation = radioIndex == 1 ? kelvara::Rotation::PlanarFit : kelvara::Rotation::TwoAxis;
    return kelvara::RotationInputs{rotation, ControlBytes(b0Edit), ControlBytes(b1Edit), ControlBytes(b2Edit)};
}

bool JobDialog::BrowseInto(int editNumber, bool overwritePrompt) {
    const std::optional<wxString> path = PromptForFile({this, overwritePrompt});
    if (!path) return false;
    SetControlText(editNumber, *path);
    return true;
}

void JobDialog::LinkMethodsBoxes(int standardBox, int correctedBox, std::function<void()> onChange) {
    auto* standard = dynamic_cast<wxCheckBox*>(Control(standardBox));
    auto* corrected = dynamic_cast<wxCheckBox*>(Control(correctedBox));
    if (standard == nullptr || corrected == nullptr) return;
    standard->Bind(wxEVT_CHECKBOX, [=](wxCommandEvent&) {
        if (!standard->IsChecked()) corrected->SetValue(false);
        if (onChange) onChange();
    });
    corrected->Bind(wxEVT_CHECKBOX, [=](wxCommandEvent&) {
        if (corrected->IsChecked()) standard->SetValue(true);
        if (onChange) onChange();
    });
}

kelvara::Methods JobDialog::ChosenMethods(int standardBox, int correctedBox) const {
    if (IsChecked(correctedBox)) return kelvara::Methods::Corrected;
    return IsChecked(standardBox) ? kelvara::Methods::Standard : kelvara::Methods::Default;
}

bool JobDialog::ReadSiteFor(kelvara::Methods methods, std::optional<kelvara::SiteSettings>& site) {
    site.reset();
    if (methods != kelvara::Methods::Corrected) return true;
    if (!ReadStoredSite(this, site)) return false;
    if (site) return true;
    // The job's own message, saying where the file goes and what writes it.
    ExplainFailure(StoredSiteFilePath().string(), "no such file; Options \u2192 Site and Instruments\u2026 writes it");
    kelvara::Show(*this, kelvara::messages::kNoSiteFile);
    return false;
}

}  // namespace kelvara::app
