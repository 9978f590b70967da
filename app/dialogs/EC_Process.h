#pragma once
// "EC Process": the single run. Process (1) runs it and leaves the dialog
// open; Close (2) ends the dialog.

#include <string>

#include "framework/JobDialog.h"
#include "jobs/SingleRunJob.h"
#include "jobs/StandardRunJob.h"
#include "pipeline/Methods.h"

namespace kelvara::app {

class CECProcessDlg : public JobDialog {
public:
    explicit CECProcessDlg(wxWindow* parent);

    int RotationChoice() const { return rotation_; }

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowseFirst(wxCommandEvent& event);
    void OnBrowseSecond(wxCommandEvent& event);
    void OnBrowseOutput(wxCommandEvent& event);
    void RunStandard();
    void OnView(wxCommandEvent& event);
    void RememberResults(const std::string& outputFile, kelvara::Rotation rotation, kelvara::Methods methods);

    // The rotation choice as last exchanged with the radio buttons:
    // 0 = "2-Axis Rotation", 1 = "Planar fit".
    int rotation_ = 0;
    kelvara::SingleRunJob job_;
    kelvara::StandardRunJob standardJob_;
    std::string lastResults_;  // the results file of the last run that finished
};

}  // namespace kelvara::app
