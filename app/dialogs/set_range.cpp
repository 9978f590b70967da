#include "dialogs/set_range.h"

#include <wx/textctrl.h>

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "framework/MessageBox.h"
#include "io/RangeFile.h"
#include "jobs/JobMessages.h"

namespace kelvara::app {

using res::kRangeBoxesInFileOrder;

static_assert(kRangeBoxesInFileOrder.size() == std::tuple_size_v<kelvara::RangeTexts>,
              "one box per limit of range.ini");

CSetRangeDlg::CSetRangeDlg(wxWindow* parent) : TemplateDialog(parent, res::kSetRangeTemplate) {
    for (int box : kRangeBoxesInFileOrder) {
        if (auto* edit = dynamic_cast<wxTextCtrl*>(Control(box))) edit->SetMaxLength(kRangeTextLimit);
    }
    Bind(wxEVT_BUTTON, &CSetRangeDlg::OnSet, this, wxID_OK);
}

int CSetRangeDlg::ShowModal() {
    LoadBoxes();
    return TemplateDialog::ShowModal();
}

void CSetRangeDlg::LoadBoxes() {
    kelvara::RangeTexts texts;
    if (!kelvara::ReadRangeTexts(texts)) {
        ShowMessageBox(GetParent(), kelvara::messages::range_setting::kNoRangeFile);
        return;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        SetControlText(kRangeBoxesInFileOrder[i], wxString::FromUTF8(texts[i]));
    }
}

void CSetRangeDlg::OnSet(wxCommandEvent&) {
    kelvara::RangeTexts texts;
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = ControlBytes(kRangeBoxesInFileOrder[i]);
    if (!kelvara::WriteRangeTexts(texts)) {
        ShowMessageBox(this, kelvara::messages::range_setting::kCannotWriteRangeFile);
    } else {
        ShowMessageBox(this, kelvara::messages::range_setting::kFinished);
    }
}

}  // namespace kelvara::app
