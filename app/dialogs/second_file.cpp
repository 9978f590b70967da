#include "dialogs/second_file.h"

namespace kelvara::app {

CSecondFileDlg::CSecondFileDlg(wxWindow* parent) : TemplateDialog(parent, kSecondFileTemplate) {}

}  // namespace kelvara::app
