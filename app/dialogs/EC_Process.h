#pragma once
// "EC Process": the single run. Process (1) runs it and leaves the dialog
// open; Close (2) ends the dialog. It opens with the files, the rotation and
// the methods of the last run started, kept in the per-user settings.

#include <string>

#include "framework/JobDialog.h"
#include "jobs/RunJob.h"

namespace kelvara::app {

class CECProcessDlg : public JobDialog {
public:
    explicit CECProcessDlg(wxWindow* parent);

    int RotationChoice() const { return rotation_; }

    // "No Second File": the default method's run asks before it goes on
    // without a second raw file.
    kelvara::SecondFileAnswer AskNoSecondFile() override;

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowseFirst(wxCommandEvent& event);
    void OnBrowseSecond(wxCommandEvent& event);
    void OnBrowseOutput(wxCommandEvent& event);
    void OnView(wxCommandEvent& event);

    // The rotation choice as last exchanged with the radio buttons:
    // 0 = "2-Axis Rotation", 1 = "Planar fit".
    int rotation_ = 0;
    kelvara::RunJob job_;
    std::string lastResults_;  // the results file of the last run that finished
};

}  // namespace kelvara::app
