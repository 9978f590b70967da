#pragma once
// "Range Setting": the fourteen limits of range.ini as texts. Set (1, also
// Enter) writes them and keeps the dialog open; Close (2, also Escape)
// discards what was typed since the last Set.

#include "framework/TemplateDialog.h"

namespace kelvara::app {

// range.ini keeps 19 characters of a value; a longer box would not reload.
inline constexpr int kRangeTextLimit = 19;

class CSetRangeDlg : public TemplateDialog {
public:
    explicit CSetRangeDlg(wxWindow* parent);

    // Fills the boxes from the file (reporting a missing file) before the
    // dialog appears.
    int ShowModal() override;

private:
    void LoadBoxes();
    void OnSet(wxCommandEvent& event);
};

}  // namespace kelvara::app
