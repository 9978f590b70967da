// The dialog builder turns a template into controls, and the dialogs keep the
// numbers, order and defaults their templates give them.

#include <vector>

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "AboutDlg.h"
#include "DialogBuilder.h"
#include "EC_Process.h"
#include "GuiTestSupport.h"
#include "Resources.h"
#include "append.h"
#include "batch_process.h"
#include "merge.h"
#include "second_file.h"
#include "set_range.h"

namespace kelvara::testing {
namespace {

using app::ControlKind;
using app::ControlTemplate;
using app::DialogTemplate;

constexpr ControlTemplate kSampleControls[] = {
    {ControlKind::DefPushButton, 1, "Go", 10, 80, 50, 14},
    {ControlKind::PushButton, 2, "Stop", 70, 80, 50, 14},
    {ControlKind::RightText, app::kUnnumbered, "Name: ", 5, 7, 40, 9},
    {ControlKind::Edit, 1000, "", 50, 5, 80, 13},
    {ControlKind::GroupBox, app::kUnnumbered, "Choice", 5, 25, 150, 40},
    {ControlKind::AutoRadio, 1001, "One", 10, 35, 40, 10, app::kStartsGroup},
    {ControlKind::AutoRadio, 1002, "Two", 60, 35, 40, 10},
    {ControlKind::AutoRadio, 1003, "Left", 10, 50, 40, 10, app::kStartsGroup},
    {ControlKind::AutoRadio, 1004, "Right", 60, 50, 40, 10},
    {ControlKind::CentredText, 1005, "", 130, 80, 40, 8},
    {ControlKind::Progress, 1006, "", 5, 68, 150, 8},
    {ControlKind::Picture, app::kUnnumbered, "", 160, 5, 40, 20, app::kSunken, app::IDB_APPEND_BANNER},
};
const DialogTemplate kSample{999, "Sample", 210, 100, kSampleControls};

// Visible controls that take the focus from the keyboard, in tab order, as
// template numbers.
std::vector<int> TabOrder(const wxWindow& dialog) {
    std::vector<int> order;
    for (const wxWindow* child : dialog.GetChildren()) {
        if (!child->IsShown() || !child->CanAcceptFocusFromKeyboard()) continue;
        const int id = child->GetId();
        order.push_back(id == wxID_OK ? 1 : id == wxID_CANCEL ? 2 : id);
    }
    return order;
}

template <class Control>
Control* Get(const app::TemplateDialog& dialog, int number) {
    auto* control = dynamic_cast<Control*>(dialog.Control(number));
    EXPECT_NE(control, nullptr) << "control " << number << " missing or of the wrong kind";
    return control;
}

TEST(DialogBuilder, MakesEachControlOfItsKindNumberTextAndRectangle) {
    app::TemplateDialog dialog(MainFrame(), kSample);
    EXPECT_EQ(dialog.GetTitle(), "Sample");
    EXPECT_EQ(dialog.GetClientSize(), dialog.ConvertDialogToPixels(wxSize(210, 100)));

    std::vector<const wxWindow*> built;
    for (const wxWindow* child : dialog.GetChildren()) {
        if (child->IsShown()) built.push_back(child);
    }
    ASSERT_EQ(built.size(), std::size(kSampleControls));
    for (size_t i = 0; i < built.size(); ++i) {
        const ControlTemplate& control = kSampleControls[i];
        SCOPED_TRACE(i);
        const wxPoint topLeft = dialog.ConvertDialogToPixels(wxPoint(control.x, control.y));
        const wxPoint bottomRight =
            dialog.ConvertDialogToPixels(wxPoint(control.x + control.cx, control.y + control.cy));
        EXPECT_EQ(built[i]->GetPosition(), topLeft);
        if (control.kind != ControlKind::Picture) {  // pictures take their bitmap's size
            EXPECT_EQ(built[i]->GetSize(), wxSize(bottomRight.x - topLeft.x, bottomRight.y - topLeft.y));
        }
        if (control.id > 2) {
            EXPECT_EQ(built[i]->GetId(), control.id);
        }
    }

    EXPECT_EQ(Get<wxButton>(dialog, 1)->GetLabel(), "Go");
    EXPECT_EQ(Get<wxButton>(dialog, 1)->GetId(), wxID_OK);
    EXPECT_EQ(Get<wxButton>(dialog, 2)->GetId(), wxID_CANCEL);
    EXPECT_EQ(dialog.GetDefaultItem(), dialog.Control(1));
    EXPECT_TRUE(built[2]->HasFlag(wxALIGN_RIGHT));
    EXPECT_EQ(built[2]->GetLabel(), "Name: ");
    EXPECT_NE(dynamic_cast<const wxTextCtrl*>(built[3]), nullptr);
    EXPECT_NE(dynamic_cast<const wxStaticBox*>(built[4]), nullptr);
    EXPECT_EQ(built[4]->GetLabel(), "Choice");
    EXPECT_TRUE(Get<wxStaticText>(dialog, 1005)->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
    EXPECT_EQ(Get<wxGauge>(dialog, 1006)->GetRange(), 100);
    const auto* picture = dynamic_cast<const wxStaticBitmap*>(built[11]);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetBitmap().GetSize(), built[11]->GetSize());
}

TEST(DialogBuilder, RadioGroupsAreIndependentAndCanHaveNoneChecked) {
    app::TemplateDialog dialog(MainFrame(), kSample);
    dialog.SetRadioIndex(1001, 1);
    dialog.SetRadioIndex(1003, 0);
    EXPECT_EQ(dialog.RadioIndex(1001), 1);
    EXPECT_EQ(dialog.RadioIndex(1003), 0);
    dialog.SetRadioIndex(1001, -1);
    EXPECT_EQ(dialog.RadioIndex(1001), -1);
    EXPECT_FALSE(Get<wxRadioButton>(dialog, 1001)->GetValue());
    EXPECT_FALSE(Get<wxRadioButton>(dialog, 1002)->GetValue());
    EXPECT_EQ(dialog.RadioIndex(1003), 0);
    // A click on a button of the group checks it again.
    Get<wxRadioButton>(dialog, 1002)->SetValue(true);
    EXPECT_EQ(dialog.RadioIndex(1001), 1);
}

TEST(Dialogs, TitlesSizesAndTabOrders) {
    {
        app::CSetRangeDlg range(MainFrame());
        EXPECT_EQ(range.GetTitle(), "Range Setting");
        EXPECT_EQ(range.GetClientSize(), range.ConvertDialogToPixels(wxSize(302, 206)));
        EXPECT_EQ(TabOrder(range), (std::vector<int>{1, 2, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021,
                                                      1022, 1023, 1024, 1025, 1026}));
        EXPECT_EQ(range.GetDefaultItem(), range.Control(1));
    }
    {
        app::CECProcessDlg ec(MainFrame());
        EXPECT_EQ(ec.GetTitle(), "EC Process");
        EXPECT_EQ(TabOrder(ec), (std::vector<int>{1, 2, 1000, 1002, 1001, 1003, 1008, 1009, 1004, 1031, 1032,
                                                   1033, 1034}));
        EXPECT_EQ(ec.RadioIndex(app::IDC_EC_TWO_AXIS), 0);
        EXPECT_EQ(ec.ControlText(app::IDC_BROWSE_SECOND), "Browse...");
        EXPECT_TRUE(ec.Control(2)->GetLabel() == "Close");
        EXPECT_NE(dynamic_cast<wxGauge*>(ec.Control(app::IDC_EC_PROGRESS)), nullptr);
    }
    {
        app::CBatchProcessDlg batch(MainFrame());
        EXPECT_EQ(batch.GetTitle(), "Batch File Processor");
        EXPECT_EQ(batch.RadioIndex(app::IDC_BATCH_TWO_AXIS), 0);
        EXPECT_EQ(batch.Control(app::IDC_EC_PROGRESS), nullptr) << "the batch has no progress bar";
        EXPECT_TRUE(batch.Control(app::IDC_WAIT_NOTICE)->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
        EXPECT_EQ(TabOrder(batch), (std::vector<int>{1, 2, 1028, 1026, 1004, 1036, 1032, 1033, 1034}));
    }
    {
        app::CAppendDlg append(MainFrame());
        EXPECT_EQ(append.GetTitle(), "Append Files");
        EXPECT_EQ(TabOrder(append), (std::vector<int>{1, 2, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032,
                                                       1033, 1034, 1035, 1036, 1037, 1038}));
    }
    {
        app::CSecondFileDlg second(MainFrame());
        EXPECT_EQ(second.GetTitle(), "No Second File");
        EXPECT_EQ(second.ControlText(2), "Re-Input");
        EXPECT_EQ(second.GetEscapeId(), wxID_ANY);  // Escape presses the Cancel button, number 2
        EXPECT_EQ(second.GetDefaultItem(), second.Control(1));
    }
    {
        app::CAboutDlg about(MainFrame());
        EXPECT_EQ(about.GetTitle(), "About Kelvara");
        EXPECT_EQ(TabOrder(about), (std::vector<int>{1}));
    }
}

TEST(Dialogs, MergeOpensWithNoSeparatorCheckedAndDoMergeTakesTheButtons) {
    app::CMergeDlg merge(MainFrame());
    EXPECT_EQ(merge.GetTitle(), "Merge Files");
    EXPECT_EQ(merge.RadioIndex(app::IDC_FIRST_TAB), -1);
    EXPECT_EQ(merge.RadioIndex(app::IDC_SECOND_TAB), -1);
    for (int button = 1021; button <= 1027; ++button) {
        if (button == 1024) continue;  // the second head-line count
        EXPECT_FALSE(Get<wxRadioButton>(merge, button)->GetValue()) << button;
    }
    Get<wxRadioButton>(merge, 1026)->SetValue(true);  // second file: Comma
    Press(&merge, 1015);                              // Browse does nothing
    EXPECT_FALSE(merge.IsModal());
    Press(&merge, wxID_OK);
    EXPECT_EQ(merge.FirstSeparator(), -1);
    EXPECT_EQ(merge.SecondSeparator(), 1);
}

TEST(Dialogs, RangeBoxesKeepAtMost19Characters) {
    app::CSetRangeDlg range(MainFrame());
    auto* box = Get<wxTextCtrl>(range, 1013);
    for (char c : std::string("1234567890123456789012345")) box->WriteText(wxString(c));
    EXPECT_EQ(box->GetValue().length(), 19u);
}

}  // namespace
}  // namespace kelvara::testing
