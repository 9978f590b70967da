#include "dialogs/batch_process.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "framework/InputColumnsSettings.h"
#include "framework/RememberedControls.h"
#include "jobs/BatchStatusTexts.h"

namespace kelvara::app {

namespace {

// What the dialog shows again when it next opens, as of the last batch started.
constexpr RememberedControl kRememberedControls[] = {
    {"ListFile", res::IDC_LIST_FILE}, {"Rotation", res::IDC_BATCH_TWO_AXIS},
    {"b0", res::IDC_BATCH_B0},        {"b1", res::IDC_BATCH_B1},
    {"b2", res::IDC_BATCH_B2},        {"StandardMethods", res::IDC_BATCH_STANDARD},
};
constexpr RememberedControls kRemembered{"/Batch Process", kRememberedControls};

}  // namespace

CBatchProcessDlg::CBatchProcessDlg(wxWindow* parent) : JobDialog(parent, res::kBatchTemplate) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    RestoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_BATCH_TWO_AXIS);
    ShowInputColumnsNote(res::IDC_BATCH_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnBrowser, this, res::IDC_BATCH_BROWSER);
}

// One file after another on this thread, which sets the status texts.
void CBatchProcessDlg::OnProcess(wxCommandEvent&) {
    StoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_BATCH_TWO_AXIS);
    const kelvara::BatchInputs inputs{
        .methods = IsChecked(res::IDC_BATCH_STANDARD) ? kelvara::Methods::Standard : kelvara::Methods::Default,
        .listFile = ControlBytes(res::IDC_LIST_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_BATCH_B0, res::IDC_BATCH_B1, res::IDC_BATCH_B2),
        .input = StoredInputFormat()};
    const auto statusTexts = kelvara::MakeBatchStatusTexts(inputs.methods, *this);
    job_.Run(inputs, *this, std::nullopt, statusTexts.get());
}

// A radio selection made since the last batch reverts before the prompt.
void CBatchProcessDlg::OnBrowser(wxCommandEvent&) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    BrowseInto(res::IDC_LIST_FILE, true);
}

}  // namespace kelvara::app
