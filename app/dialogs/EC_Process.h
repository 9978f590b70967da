#pragma once
// "EC Process": the single run. Process (1) runs it and leaves the dialog
// open; Close (2) ends the dialog.

#include "framework/JobDialog.h"
#include "jobs/SingleRunJob.h"

namespace kelvara::app {

enum ECProcessControl {
    IDC_FIRST_FILE = 1000,
    IDC_SECOND_FILE = 1001,
    IDC_BROWSE_FIRST = 1002,
    IDC_BROWSE_SECOND = 1003,
    IDC_EC_TWO_AXIS = 1004,
    IDC_EC_PROGRESS = 1007,
    IDC_OUTPUT_FILE = 1008,
    IDC_BROWSE_OUTPUT = 1009,
    IDC_EC_PERCENT = 1010,
    IDC_EC_PLANAR_FIT = 1031,
    IDC_EC_B0 = 1032,
    IDC_EC_B1 = 1033,
    IDC_EC_B2 = 1034,
};

class CECProcessDlg : public JobDialog {
public:
    explicit CECProcessDlg(wxWindow* parent);

    int RotationChoice() const { return m_nRotation; }

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowseFirst(wxCommandEvent& event);
    void OnBrowseSecond(wxCommandEvent& event);
    void OnBrowseOutput(wxCommandEvent& event);

    // The rotation choice as last exchanged with the radio buttons:
    // 0 = "2-Axis Rotation", 1 = "Planar fit".
    int m_nRotation = 0;
    kelvara::SingleRunJob job_;
};

}  // namespace kelvara::app
