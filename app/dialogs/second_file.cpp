#include "dialogs/second_file.h"

#include "DialogTemplates.h"

namespace kelvara::app {

CSecondFileDlg::CSecondFileDlg(wxWindow* parent) : TemplateDialog(parent, res::kSecondFileTemplate) {}

}  // namespace kelvara::app
