#pragma once
// "No Second File": asked when the single run has no second raw file.
// OK (1) continues without it; Re-Input (2), Escape and the close box go back.

#include "framework/TemplateDialog.h"

namespace kelvara::app {

class CSecondFileDlg : public TemplateDialog {
public:
    explicit CSecondFileDlg(wxWindow* parent);
};

}  // namespace kelvara::app
