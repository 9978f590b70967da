#pragma once
// "Input Columns": how the raw data files' columns are read by the EC
// Process and Batch jobs. OK (1) checks and stores the choice; Cancel (2)
// leaves the stored one.

#include "framework/TemplateDialog.h"
#include "io/InputFormat.h"

namespace kelvara::app {

class CInputColumnsDlg : public TemplateDialog {
public:
    explicit CInputColumnsDlg(wxWindow* parent);

    // Stores the boxes' choice; false, with the problem shown, when they do
    // not read (the stored choice then stays).
    bool Accept();

private:
    void ShowFormat(const kelvara::InputFormat& format);
    bool ReadFormat(kelvara::InputFormat& format);
    void OnOk(wxCommandEvent& event);
};

}  // namespace kelvara::app
