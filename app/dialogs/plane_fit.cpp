#include "dialogs/plane_fit.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include <wx/clipbrd.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "framework/MessageBox.h"
#include "framework/TextWrap.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/PlaneFitText.h"
#include "framework/InputColumnsSettings.h"

namespace kelvara::app {

namespace {

constexpr int kFromList = 0;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The whole text is one number of 0 or more.
template <class Number>
std::optional<Number> NonNegative(std::string_view text) {
    text = Trimmed(text);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value >= 0)) return {};
    return value;
}

std::string Shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The report's text with every line that is wider than the box wrapped:
// the box scrolls up and down, never sideways, so nothing is cut off.
std::string WrappedToFit(const std::string& text, const wxTextCtrl& box) {
    const int characterWidth = std::max(1, box.GetTextExtent("0000000000").x / 10);
    const int room = box.GetClientSize().x - wxSystemSettings::GetMetric(wxSYS_VSCROLL_X) - 2 * characterWidth;
    const auto columns = static_cast<std::size_t>(std::max(20, room / characterWidth));
    return Wrapped(text, [columns](std::string_view line) { return CharacterCount(line) <= columns; });
}

}  // namespace

CPlaneFitDlg::CPlaneFitDlg(wxWindow* parent) : JobDialog(parent, res::kPlaneFitTemplate) {
    const kelvara::PlaneFitScreen screen;
    SetRadioIndex(res::IDC_PF_FROM_LIST, kFromList);
    SetControlText(res::IDC_PF_MIN_RECORDS, std::to_string(screen.minRecords));
    SetControlText(res::IDC_PF_U_MIN, Shown(screen.uMin));
    SetControlText(res::IDC_PF_W_MAX, Shown(screen.wMax));
    Control(res::IDC_PF_COPY)->Disable();
    Bind(wxEVT_BUTTON, &CPlaneFitDlg::OnFit, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CPlaneFitDlg::OnBrowse, this, res::IDC_PF_BROWSE);
    Bind(wxEVT_BUTTON, &CPlaneFitDlg::OnCopy, this, res::IDC_PF_COPY);
}

std::optional<kelvara::PlaneFitScreen> CPlaneFitDlg::ReadScreen() {
    const auto minRecords = NonNegative<int>(ControlBytes(res::IDC_PF_MIN_RECORDS));
    const auto uMin = NonNegative<double>(ControlBytes(res::IDC_PF_U_MIN));
    const auto wMax = NonNegative<double>(ControlBytes(res::IDC_PF_W_MAX));
    const char* problem = !minRecords ? "Please enter the good records as a whole number, 0 or more."
                          : !uMin     ? "Please enter the wind speed in m/s, 0 or more."
                          : !wMax     ? "Please enter the largest |mean w| in m/s, 0 or more."
                                      : nullptr;
    if (problem != nullptr) {
        ShowMessageBox(this, problem, "Half Hours Used", kelvara::MessageIcon::Exclamation);
        return std::nullopt;
    }
    return kelvara::PlaneFitScreen{*minRecords, *uMin, *wMax};
}

void CPlaneFitDlg::OnFit(wxCommandEvent&) {
    ShowResult("", "");
    const auto screen = ReadScreen();
    if (!screen) return;
    // The columns and status rule chosen under Input Columns, as the jobs use.
    kelvara::PlaneFitInputs inputs{.screen = *screen, .input = StoredInputFormat()};
    const std::string input = ControlBytes(res::IDC_PF_INPUT);
    // An empty box names nothing, which the job reports.
    if (!input.empty()) {
        if (RadioIndex(res::IDC_PF_FROM_LIST) == kFromList) {
            inputs.listFile = input;
        } else {
            inputs.files.push_back(input);
        }
    }
    const auto report = kelvara::RunPlaneFitJob(inputs, *this);
    if (!report) return;
    const std::string details = kelvara::PlaneFitText(*report);
    if (report->fit.ok) {
        ShowResult(details, kelvara::PlaneCoefficientsText(report->fit));
    } else {
        ShowResult("The fit was refused: " + report->fit.refusal + ".\n\n" + details, "");
    }
}

void CPlaneFitDlg::ShowResult(const std::string& text, const std::string& coefficients) {
    const auto* box = dynamic_cast<const wxTextCtrl*>(Control(res::IDC_PF_RESULT));
    SetControlText(res::IDC_PF_RESULT, wxString::FromUTF8(box != nullptr ? WrappedToFit(text, *box) : text));
    coefficients_ = coefficients;
    Control(res::IDC_PF_COPY)->Enable(!coefficients_.empty());
}

void CPlaneFitDlg::OnBrowse(wxCommandEvent&) { BrowseInto(res::IDC_PF_INPUT, false); }

void CPlaneFitDlg::OnCopy(wxCommandEvent&) {
    wxClipboardLocker clipboard;
    if (!clipboard || !wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(coefficients_)))) {
        ShowMessageBox(this, "The coefficients could not be put on the clipboard.", "Copy",
                       kelvara::MessageIcon::Exclamation);
    }
}

}  // namespace kelvara::app
