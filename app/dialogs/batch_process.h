#pragma once
// "Batch File Processor": every raw file named in a list file. Process (1)
// runs the batch and leaves the dialog open; Close (2) ends the dialog.

#include "framework/JobDialog.h"
#include "jobs/BatchJob.h"

namespace kelvara::app {

enum BatchControl {
    IDC_BATCH_TWO_AXIS = 1004,
    IDC_BATCH_BROWSER = 1026,
    IDC_LIST_FILE = 1028,
    IDC_WAIT_NOTICE = 1029,
    IDC_PROGRESS_TEXT = 1030,
    IDC_BATCH_B0 = 1032,
    IDC_BATCH_B1 = 1033,
    IDC_BATCH_B2 = 1034,
    IDC_BATCH_PLANAR_FIT = 1036,
};

class CBatchProcessDlg : public JobDialog {
public:
    explicit CBatchProcessDlg(wxWindow* parent);

    int RotationChoice() const { return m_nRotation; }

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowser(wxCommandEvent& event);

    int m_nRotation = 0;  // 0 = "2-Axis Rotation", 1 = "Planar fit"
    kelvara::BatchJob job_;
};

}  // namespace kelvara::app
