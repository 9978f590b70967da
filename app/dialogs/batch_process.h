#pragma once
// "Batch File Processor": every raw file named in a list file. Process (1)
// runs the batch and leaves the dialog open; Close (2) ends the dialog. It
// opens with the list file, the rotation and the methods of the last batch
// started, kept in the per-user settings.

#include "framework/JobDialog.h"
#include "jobs/BatchJob.h"

namespace kelvara::app {

class CBatchProcessDlg : public JobDialog {
public:
    explicit CBatchProcessDlg(wxWindow* parent);

    int RotationChoice() const { return rotation_; }

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowser(wxCommandEvent& event);

    int rotation_ = 0;  // 0 = "2-Axis Rotation", 1 = "Planar fit"
    kelvara::BatchJob job_;
};

}  // namespace kelvara::app
