#include "dialogs/input_columns.h"

#include <cctype>

#include <wx/checkbox.h>

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "framework/MessageBox.h"
#include "framework/InputColumnsSettings.h"

namespace kelvara::app {

namespace {

// The radio buttons, in the order they stand.
constexpr int kDetectIndex = 0;
constexpr int kDefaultIndex = 1;
constexpr int kAutoIndex = 2;
constexpr int kMapIndex = 3;

int IndexOfSource(kelvara::ColumnSource source) {
    switch (source) {
        case kelvara::ColumnSource::Positions:
            return kDefaultIndex;
        case kelvara::ColumnSource::Auto:
            return kAutoIndex;
        case kelvara::ColumnSource::Map:
            return kMapIndex;
        case kelvara::ColumnSource::Detect:
            break;
    }
    return kDetectIndex;
}

std::string SourceTextOfIndex(int index) {
    switch (index) {
        case kDefaultIndex:
            return "default";
        case kAutoIndex:
            return "auto";
        default:
            return "detect";
    }
}

// The map boxes stand for U, V, W, CO2, H2O, Ts, P and the status.
int TargetOfBox(std::size_t box) { return kelvara::kMapU + static_cast<int>(box); }

}  // namespace

CInputColumnsDlg::CInputColumnsDlg(wxWindow* parent) : TemplateDialog(parent, res::kInputColumnsTemplate) {
    ShowFormat(StoredInputFormat());
    Bind(wxEVT_BUTTON, &CInputColumnsDlg::OnOk, this, wxID_OK);
}

void CInputColumnsDlg::ShowFormat(const kelvara::InputFormat& format) {
    SetRadioIndex(res::IDC_COLUMNS_DETECT, IndexOfSource(format.source));
    for (std::size_t box = 0; box < res::kColumnMapBoxes.size(); ++box) {
        SetControlText(res::kColumnMapBoxes[box],
                       wxString::FromUTF8(format.map[static_cast<std::size_t>(TargetOfBox(box))]));
    }
    SetControlText(res::IDC_GOOD_STATUS, wxString::FromUTF8(format.goodStatus.Text()));
    if (auto* unitCheck = dynamic_cast<wxCheckBox*>(Control(res::IDC_UNIT_CHECK))) {
        unitCheck->SetValue(format.checkUnits);
    }
}

bool CInputColumnsDlg::ReadFormat(kelvara::InputFormat& format) {
    std::string problem;
    const int index = RadioIndex(res::IDC_COLUMNS_DETECT);
    std::string columns = SourceTextOfIndex(index);
    if (index == kMapIndex) {
        columns.clear();
        for (std::size_t box = 0; box < res::kColumnMapBoxes.size(); ++box) {
            if (!columns.empty()) columns += ',';
            columns +=
                std::string(kelvara::MapTargetName(TargetOfBox(box))) + "=" + ControlBytes(res::kColumnMapBoxes[box]);
        }
    }
    const bool read = kelvara::ParseColumns(columns, format, problem) &&
                      kelvara::StatusRule::Parse(ControlBytes(res::IDC_GOOD_STATUS), format.goodStatus, problem);
    if (!read) {
        // A sentence of its own: its first letter up.
        if (!problem.empty()) problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        ShowMessageBox(this, problem + ".", "Please check the input columns!", kelvara::MessageIcon::Exclamation);
        return false;
    }
    format.checkUnits = IsChecked(res::IDC_UNIT_CHECK);
    return true;
}

bool CInputColumnsDlg::Accept() {
    kelvara::InputFormat format;
    if (!ReadFormat(format)) return false;
    StoreInputFormat(format);
    return true;
}

void CInputColumnsDlg::OnOk(wxCommandEvent&) {
    if (Accept()) EndModal(wxID_OK);
}

}  // namespace kelvara::app
