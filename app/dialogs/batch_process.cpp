#include "dialogs/batch_process.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "shell/InputColumnsSettings.h"

namespace kelvara::app {

CBatchProcessDlg::CBatchProcessDlg(wxWindow* parent) : JobDialog(parent, res::kBatchTemplate) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    ShowInputColumnsNote(res::IDC_BATCH_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnBrowser, this, res::IDC_BATCH_BROWSER);
}

void CBatchProcessDlg::OnProcess(wxCommandEvent&) {
    rotation_ = RadioIndex(res::IDC_BATCH_TWO_AXIS);
    const kelvara::BatchInputs inputs{
        .listFile = ControlBytes(res::IDC_LIST_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_BATCH_B0, res::IDC_BATCH_B1, res::IDC_BATCH_B2),
        .input = StoredInputFormat()};
    if (IsChecked(res::IDC_BATCH_STANDARD)) {
        standardJob_.Run(inputs, *this);
    } else {
        job_.Run(inputs, *this);
    }
}

// A radio selection made since the last batch reverts before the prompt.
void CBatchProcessDlg::OnBrowser(wxCommandEvent&) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    BrowseInto(res::IDC_LIST_FILE, true);
}

}  // namespace kelvara::app
