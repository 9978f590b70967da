#include "dialogs/append.h"

#include "AppendJob.h"
#include "DialogTemplates.h"

namespace kelvara::app {

static_assert(res::kAppendFileSlots.size() == static_cast<std::size_t>(kelvara::kAppendSlotCount),
              "one input slot per file the job takes");

CAppendDlg::CAppendDlg(wxWindow* parent) : JobDialog(parent, res::kAppendTemplate) {
    Bind(wxEVT_BUTTON, &CAppendDlg::OnOK, this, wxID_OK);
    for (const res::EditWithBrowser& slot : res::kAppendFileSlots) BindBrowser(slot);
    BindBrowser({res::IDC_APPEND_OUTPUT, res::IDC_APPEND_OUTPUT_BROWSER});
}

void CAppendDlg::OnOK(wxCommandEvent&) {
    kelvara::AppendInputs inputs;
    inputs.headLinesText = ControlBytes(res::IDC_HEAD_LINES);
    for (std::size_t slot = 0; slot < inputs.files.size(); ++slot) {
        inputs.files[slot] = ControlBytes(res::kAppendFileSlots[slot].edit);
    }
    inputs.outputFile = ControlBytes(res::IDC_APPEND_OUTPUT);
    kelvara::RunAppendJob(inputs, *this);
}

void CAppendDlg::BindBrowser(res::EditWithBrowser slot) {
    Bind(
        wxEVT_BUTTON, [this, edit = slot.edit](wxCommandEvent&) { BrowseInto(edit, true); }, slot.browser);
}

}  // namespace kelvara::app
