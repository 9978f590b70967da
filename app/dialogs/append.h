#pragma once
// "Append Files": up to six files end to end into one output file. OK (1)
// runs the job and leaves the dialog open; Cancel (2) ends the dialog.

#include "ResourceIds.h"
#include "framework/JobDialog.h"

namespace kelvara::app {

class CAppendDlg : public JobDialog {
public:
    explicit CAppendDlg(wxWindow* parent);

private:
    void OnOK(wxCommandEvent& event);
    // Each Browser button fills the edit beside it.
    void BindBrowser(res::EditWithBrowser slot);
};

}  // namespace kelvara::app
