#pragma once
// "About Kelvara": icon, version line, maker's notice, OK.

#include "DialogTemplates.h"
#include "framework/TemplateDialog.h"

namespace kelvara::app {

class CAboutDlg : public TemplateDialog {
public:
    explicit CAboutDlg(wxWindow* parent) : TemplateDialog(parent, res::kAboutTemplate) {}
};

}  // namespace kelvara::app
