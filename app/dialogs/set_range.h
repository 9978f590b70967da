#pragma once
// "Range Setting": the fourteen limits of range.ini as texts. Set (1, also
// Enter) writes them and keeps the dialog open; Close (2, also Escape)
// discards what was typed since the last Set.

#include <array>

#include "framework/TemplateDialog.h"
#include "io/RangeFile.h"

namespace kelvara::app {

// The edit boxes in file order: U-Min, U-Max, V-Min, ... P-Max.
inline constexpr std::array<int, kelvara::kRangeFieldCount> kRangeBoxesInFileOrder = {
    1013, 1020, 1014, 1021, 1015, 1022, 1016, 1023, 1017, 1024, 1018, 1025, 1019, 1026};

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
