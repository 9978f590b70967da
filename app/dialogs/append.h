#pragma once
// "Append Files": up to six files end to end into one output file. OK (1)
// runs the job and leaves the dialog open; Cancel (2) ends the dialog.

#include "framework/JobDialog.h"

namespace kelvara::app {

enum AppendControl {
    IDC_HEAD_LINES = 1024,
    IDC_FILE1 = 1025,  // File n: edit 1023 + 2n, its Browser button 1024 + 2n
    IDC_APPEND_OUTPUT = 1037,
    IDC_APPEND_OUTPUT_BROWSER = 1038,
};

class CAppendDlg : public JobDialog {
public:
    explicit CAppendDlg(wxWindow* parent);

private:
    void OnOK(wxCommandEvent& event);
    void OnBrowser(wxCommandEvent& event);
};

}  // namespace kelvara::app
