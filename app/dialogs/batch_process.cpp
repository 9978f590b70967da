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
    {"ListFile", res::IDC_LIST_FILE},
    {"Rotation", res::IDC_BATCH_TWO_AXIS},
    {"b0", res::IDC_BATCH_B0},
    {"b1", res::IDC_BATCH_B1},
    {"b2", res::IDC_BATCH_B2},
    {"StandardMethods", res::IDC_BATCH_STANDARD},
    {"Corrections", res::IDC_BATCH_CORRECTED},
};
constexpr RememberedControls kRemembered{"/Batch Process", kRememberedControls};

}  // namespace

CBatchProcessDlg::CBatchProcessDlg(wxWindow* parent) : JobDialog(parent, res::kBatchTemplate) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    RestoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_BATCH_TWO_AXIS);
    ShowInputColumnsNote(res::IDC_BATCH_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    LinkMethodsBoxes(res::IDC_BATCH_STANDARD, res::IDC_BATCH_CORRECTED);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnBrowser, this, res::IDC_BATCH_BROWSER);
}

// One file after another on this thread, which sets the status texts.
void CBatchProcessDlg::OnProcess(wxCommandEvent&) {
    StoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_BATCH_TWO_AXIS);
    kelvara::BatchInputs inputs{
        .methods = ChosenMethods(res::IDC_BATCH_STANDARD, res::IDC_BATCH_CORRECTED),
        .listFile = ControlBytes(res::IDC_LIST_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_BATCH_B0, res::IDC_BATCH_B1, res::IDC_BATCH_B2),
        .input = StoredInputFormat()};
    if (!ReadSiteFor(inputs.methods, inputs.site)) return;
    // The corrections read the files as the standard methods do, and count
    // their blocks so.
    const auto statusTexts = kelvara::MakeBatchStatusTexts(
        kelvara::ReadsStreams(inputs.methods) ? kelvara::Methods::Standard : kelvara::Methods::Default, *this);
    job_.Run(inputs, *this, std::nullopt, statusTexts.get());
}

// A radio selection made since the last batch reverts before the prompt.
void CBatchProcessDlg::OnBrowser(wxCommandEvent&) {
    SetRadioIndex(res::IDC_BATCH_TWO_AXIS, rotation_);
    BrowseInto(res::IDC_LIST_FILE, true);
}

}  // namespace kelvara::app
