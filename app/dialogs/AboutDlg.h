#pragma once
// "About Kelvara": icon, version line, maker's notice, OK.

#include "framework/TemplateDialog.h"

namespace kelvara::app {

class CAboutDlg : public TemplateDialog {
public:
    explicit CAboutDlg(wxWindow* parent) : TemplateDialog(parent, kAboutTemplate) {}
};

}  // namespace kelvara::app
