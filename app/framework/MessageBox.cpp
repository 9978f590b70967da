#include "framework/MessageBox.h"

#include <wx/dcscreen.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/settings.h>

#include "framework/TextWrap.h"

namespace kelvara::app {

namespace {

// About sixty letters: a path or a list of reasons wraps instead of
// stretching the box across the screen.
constexpr int kLineLetters = 60;

wxString FromBytes(std::string_view bytes) { return wxString::FromUTF8(bytes.data(), bytes.size()); }

// Wrapped for the box's own font, the toolkit's font for dialogs.
wxString WrappedForBox(std::string_view text) {
    wxScreenDC dc;
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    const int width = kLineLetters * dc.GetCharWidth();
    return FromBytes(
        Wrapped(text, [&dc, width](std::string_view line) { return dc.GetTextExtent(FromBytes(line)).x <= width; }));
}

}  // namespace

void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view title, kelvara::MessageIcon icon,
                    std::string_view details) {
    // A box without an icon gets no icon flag at all: the generic dialog draws
    // an icon for every flag of wxICON_MASK, wxICON_NONE included.
    const long iconStyle = icon == kelvara::MessageIcon::Exclamation ? wxICON_EXCLAMATION : 0;
    wxGenericMessageDialog dialog(parent, WrappedForBox(text), FromBytes(title), wxOK | iconStyle);
    // The generic dialog shows the extended message below the message, after
    // a gap, and the message in a larger bold font.
    if (!details.empty()) dialog.SetExtendedMessage(WrappedForBox(details));
    dialog.ShowModal();
}

}  // namespace kelvara::app
