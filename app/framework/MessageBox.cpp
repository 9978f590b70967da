#include "framework/MessageBox.h"

#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>

namespace kelvara::app {

namespace {
wxString FromBytes(std::string_view bytes) { return wxString::FromUTF8(bytes.data(), bytes.size()); }
}  // namespace

void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view title, kelvara::MessageIcon icon) {
    // A box without an icon gets no icon flag at all: the generic dialog draws
    // an icon for every flag of wxICON_MASK, wxICON_NONE included.
    const long iconStyle = icon == kelvara::MessageIcon::Exclamation ? wxICON_EXCLAMATION : 0;
    wxGenericMessageDialog dialog(parent, FromBytes(text), FromBytes(title), wxOK | iconStyle);
    dialog.ShowModal();
}

}  // namespace kelvara::app
