// The dialogs as built from their templates, the commands of the main
// window, and the jobs driven through the real dialogs: every message box's
// text, title and icon, and the files written.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <wx/artprov.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/fileconf.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "DialogTemplate.h"
#include "GuiTestSupport.h"
#include "ProgramRun.h"
#include "RunningProgram.h"
#include "SampleGenerator.h"
#include "TiltedSonic.h"
#include "Version.h"
#include "dialogs/input_columns.h"
#include "framework/InputColumnsSettings.h"
#include "shell/KelvaraView.h"

namespace kelvara::testing {
namespace {

constexpr ControlTemplate kSampleControls[] = {
    {ControlKind::DefPushButton, 1, "Go", 10, 80, 50, 14},
    {ControlKind::PushButton, 2, "Stop", 70, 80, 50, 14},
    {ControlKind::RightText, kUnnumbered, "Name: ", 5, 7, 40, 9},
    {ControlKind::Edit, 1000, "", 50, 5, 80, 13},
    {ControlKind::GroupBox, kUnnumbered, "Choice", 5, 25, 150, 40},
    {ControlKind::AutoRadio, 1001, "One", 10, 35, 40, 10, kStartsGroup},
    {ControlKind::CentredText, 1005, "", 130, 80, 40, 8},
    {ControlKind::Progress, 1006, "", 5, 68, 150, 8},
    {ControlKind::Picture, kUnnumbered, "", 160, 5, 40, 20, kSunken, IDB_APPEND_BANNER},
};
const char* const kSampleClasses[] = {"wxButton",      "wxButton",     "wxStaticText", "wxTextCtrl",    "wxStaticBox",
                                      "wxRadioButton", "wxStaticText", "wxGauge",      "wxStaticBitmap"};

TEST(TemplateDialog, MakesEachControlOfItsKindNumberTextAndRectangle) {
    TemplateDialog dialog(MainFrame(), {999, "Sample", 210, 100, kSampleControls});
    EXPECT_EQ(dialog.GetClientSize(), dialog.ConvertDialogToPixels(wxSize(210, 100)));
    std::vector<const wxWindow*> built;  // without the hidden "none checked" radio button
    std::copy_if(dialog.GetChildren().begin(), dialog.GetChildren().end(), std::back_inserter(built),
                 [](const wxWindow* child) { return child->IsShown(); });
    ASSERT_EQ(built.size(), std::size(kSampleControls));
    for (size_t i = 0; i < built.size(); ++i) {
        const ControlTemplate& control = kSampleControls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(wxString(built[i]->GetClassInfo()->GetClassName()), kSampleClasses[i]);
        EXPECT_EQ(control.id > 2 ? built[i]->GetId() : control.id, control.id);
        EXPECT_EQ(built[i]->GetLabel(), control.text);
        const wxPoint topLeft = dialog.ConvertDialogToPixels(wxPoint(control.x, control.y));
        const wxPoint end = dialog.ConvertDialogToPixels(wxPoint(control.x + control.cx, control.y + control.cy));
        EXPECT_EQ(built[i]->GetRect(), wxRect(topLeft, end - wxPoint(1, 1)));  // corners converted, not sizes
    }
    EXPECT_EQ(dialog.FindWindow(wxID_OK), built[0]);  // so Enter and Escape reach them
    EXPECT_EQ(dialog.FindWindow(wxID_CANCEL), built[1]);
    EXPECT_TRUE(built[2]->HasFlag(wxALIGN_RIGHT));
    EXPECT_TRUE(built[6]->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
}

// The template numbers themselves are checked once, on the sample above;
// here each dialog class must be built from its own template.
template <class Dialog>
void CheckDialog(const char* title, const std::function<void(Dialog&)>& more = {}) {
    SCOPED_TRACE(title);
    Dialog dialog(MainFrame());
    EXPECT_EQ(dialog.GetTitle(), title);
    EXPECT_EQ(dialog.GetDefaultItem(), dialog.Control(kOkControl));
    if (more) more(dialog);
}

TEST(Dialogs, TitlesDefaultButtonsAndSpotChecks) {
    CheckDialog<CSetRangeDlg>("Range Setting", [](CSetRangeDlg& range) {
        auto* box = dynamic_cast<wxTextCtrl*>(range.Control(IDC_U_MIN));
        ASSERT_NE(box, nullptr);
        for (int typed = 0; typed < 25; ++typed) box->WriteText("7");
        EXPECT_EQ(range.ControlText(IDC_U_MIN), std::string(19, '7')) << "range.ini keeps 19 characters";
    });
    CheckDialog<CECProcessDlg>("EC Process");
    CheckDialog<CBatchProcessDlg>("Batch File Processor");
    CheckDialog<CAppendDlg>("Append Files");
    CheckDialog<CSecondFileDlg>("No Second File");
    CheckDialog<CAboutDlg>("About Kelvara", [](CAboutDlg& about) {
        // The project's one version, as --version and the package give it.
        const auto shows = [&about](const wxString& text) {
            return std::any_of(about.GetChildren().begin(), about.GetChildren().end(),
                               [&text](const wxWindow* child) { return child->GetLabel() == text; });
        };
        EXPECT_TRUE(shows("Kelvara Version " KELVARA_VERSION));
    });
    CheckDialog<CMergeDlg>("Merge Files", [](CMergeDlg& merge) {
        EXPECT_EQ(merge.RadioIndex(IDC_FIRST_TAB), -1) << "no separator checked at first";
        EXPECT_EQ(merge.RadioIndex(IDC_SECOND_TAB), -1);
    });
}

// Each row's unit stands whole beside its maximum box, on the box's line.
TEST(Dialogs, RangeSettingShowsTheUnitOfEachRow) {
    CSetRangeDlg dialog(MainFrame());
    const std::pair<int, const char*> rows[] = {
        {IDC_U_MAX, "m/s"},         {IDC_V_MAX, "m/s"},      {IDC_W_MAX, "m/s"}, {IDC_CO2_MAX, "mg/m\u00b3"},
        {IDC_H2O_MAX, "g/m\u00b3"}, {IDC_TS_MAX, "\u00b0C"}, {IDC_P_MAX, "kPa"},
    };
    for (const auto& [box, unit] : rows) {
        const wxRect boxRect = dialog.Control(box)->GetRect();
        const wxStaticText* beside = nullptr;
        for (const wxWindow* child : dialog.GetChildren()) {
            const auto* label = dynamic_cast<const wxStaticText*>(child);
            if (label == nullptr || !label->IsShown()) continue;
            const wxRect rect = label->GetRect();
            const int middle = rect.y + rect.height / 2;
            const bool onTheLine = middle > boxRect.y && middle < boxRect.GetBottom();
            if (onTheLine && rect.x > boxRect.GetRight() && (beside == nullptr || rect.x < beside->GetRect().x)) {
                beside = label;
            }
        }
        ASSERT_NE(beside, nullptr) << unit;
        EXPECT_EQ(beside->GetLabel().utf8_string(), unit);
        EXPECT_LE(beside->GetBestSize().x, beside->GetSize().x) << unit;
        EXPECT_TRUE(wxRect(dialog.GetClientSize()).Contains(beside->GetRect())) << unit;
    }
}

void ChooseMenuItem(int command, char) {
    ASSERT_NE(MainFrame()->GetMenuBar()->FindItem(ToWxId(command)), nullptr);
    MainFrame()->ProcessCommand(ToWxId(command));
}

// Types Ctrl+key into the focused view as a user does, and lets the program deal with it.
void TypeCtrl(int, char key) {
    auto* view = dynamic_cast<CKelvaraView*>(wxGetApp().DocManager()->GetAnyUsableView());
    ASSERT_NE(view, nullptr);
    view->Canvas()->SetFocus();
    PumpEvents();
    wxUIActionSimulator().Char(key, wxMOD_CONTROL);
    for (int round = 0; round < 20; ++round) {
        PumpEvents();
        wxMilliSleep(10);
    }
}

void PressToolbarButton(int command, char) {
    wxCommandEvent click(wxEVT_TOOL, ToWxId(command));
    click.SetEventObject(MainFrame()->GetToolBarPane());
    MainFrame()->GetToolBarPane()->ProcessWindowEvent(click);
}

// Range Setting first reports the missing range.ini, then opens.
template <class Dialog>
void ExpectEveryWayOpens(int command, char key, const std::string& title) {
    for (auto way : {ChooseMenuItem, TypeCtrl, PressToolbarButton}) {
        SCOPED_TRACE(title + (way == TypeCtrl ? " key" : way == ChooseMenuItem ? " menu" : " toolbar"));
        wxTEST_DIALOG(way(command, key), command == ID_RANGE_SETTING ? kNoRangeFile : kNoRangeFile.Optional(),
                      Answer<Dialog>(title, wxID_CANCEL));
    }
}

TEST(Commands, MenuAcceleratorAndToolbarOpenTheSameDialog) {
    ExpectEveryWayOpens<CECProcessDlg>(ID_EC_DATA_PROCESS, 'E', "EC Process");
    ExpectEveryWayOpens<CSetRangeDlg>(ID_RANGE_SETTING, 'R', "Range Setting");
    ExpectEveryWayOpens<CAppendDlg>(ID_DATA_APPEND, 'A', "Append Files");
    ExpectEveryWayOpens<CBatchProcessDlg>(ID_BATCH_PROCESS, 'B', "Batch File Processor");
}

// A dialog, a question included, fails the test through the unexpected-dialog hook.
TEST(Commands, CtrlMAndCtrlQDoNothingExitAndCtrlXCloseWithoutAQuestion) {
    for (char key : {'M', 'Q'}) TypeCtrl(0, key);
    EXPECT_EQ(wxTopLevelWindows.size(), 1u);
    for (auto way : {ChooseMenuItem, TypeCtrl}) {
        way(ID_APP_EXIT, 'X');
        PumpEvents();
        EXPECT_TRUE(wxTopLevelWindows.empty()) << (way == TypeCtrl ? "Ctrl+X" : "Exit");
        wxTheApp->SetExitOnFrameDelete(true);  // the following tests need a main window again
        ASSERT_TRUE(wxGetApp().StartUp(wxString()));
    }
}

struct ToolbarButton {
    int command;
    const char* tooltip;
    const char* prompt;
};
constexpr ToolbarButton kNewToolbarButtons[] = {
    {ID_INPUT_COLUMNS, "Input Columns", "Choose how the columns of raw data files are read"},
    {ID_PLANE_FIT, "Planar Fit Coefficients", "Fit the Planar-Fit Coefficients to the Mean Winds of Raw Data Files"},
    {ID_VIEW_RESULTS, "View Results", "Plot a Results File"},
};

TEST(Commands, HoveringOverAToolbarButtonShowsItsPromptInTheStatusBar) {
    wxAuiToolBar* toolbar = MainFrame()->GetToolBarPane();
    std::vector<ToolbarButton> buttons{{ID_RANGE_SETTING, "", "Set EC Data Variables Range"}};
    buttons.insert(buttons.end(), std::begin(kNewToolbarButtons), std::end(kNewToolbarButtons));
    for (const ToolbarButton& button : buttons) {
        ASSERT_NE(toolbar->FindTool(ToWxId(button.command)), nullptr) << button.prompt;
        for (wxEventType type : {wxEVT_MOTION, wxEVT_LEAVE_WINDOW}) {
            wxMouseEvent mouse(type);
            mouse.SetPosition(toolbar->GetToolRect(ToWxId(button.command)).GetPosition() + wxPoint(4, 4));
            toolbar->ProcessWindowEvent(mouse);
            EXPECT_EQ(MainFrame()->GetStatusBar()->GetStatusText(), type == wxEVT_MOTION ? button.prompt : "Ready");
        }
    }
}

// After the four job buttons, in their old order, come Input Columns,
// Planar Fit Coefficients and View Results, each with its tooltip; the main
// window shows every button whole.
TEST(Commands, TheToolbarAlsoOpensInputColumnsPlanarFitAndViewResults) {
    wxAuiToolBar* toolbar = MainFrame()->GetToolBarPane();
    std::vector<int> buttons;
    for (size_t i = 0; i < toolbar->GetToolCount(); ++i) {
        const wxAuiToolBarItem* tool = toolbar->FindToolByIndex(static_cast<int>(i));
        if (tool->GetKind() != wxITEM_NORMAL) continue;
        buttons.push_back(FromWxId(tool->GetId()));
        EXPECT_TRUE(toolbar->GetToolFits(tool->GetId())) << buttons.back();
    }
    EXPECT_EQ(buttons, (std::vector<int>{ID_EC_DATA_PROCESS, ID_RANGE_SETTING, ID_DATA_APPEND, ID_BATCH_PROCESS,
                                         ID_INPUT_COLUMNS, ID_PLANE_FIT, ID_VIEW_RESULTS}));
    EXPECT_TRUE(wxRect(MainFrame()->GetClientSize()).Contains(toolbar->GetRect()));
    for (const ToolbarButton& button : kNewToolbarButtons) {
        const wxAuiToolBarItem* tool = toolbar->FindTool(ToWxId(button.command));
        ASSERT_NE(tool, nullptr) << button.tooltip;
        EXPECT_EQ(tool->GetShortHelp(), button.tooltip);
    }
    wxTEST_DIALOG(PressToolbarButton(ID_INPUT_COLUMNS, 0), Answer<CInputColumnsDlg>("Input Columns", wxID_CANCEL));
    wxTEST_DIALOG(PressToolbarButton(ID_PLANE_FIT, 0), kNoRangeFile.Optional(),
                  Answer<CPlaneFitDlg>("Planar Fit Coefficients", wxID_CANCEL));
    // View Results asks for a results file first; cancelled, nothing opens.
    wxString asked;
    SetFilePrompt([&asked](const FilePromptRequest& request) -> std::optional<wxString> {
        asked = request.wildcard;
        return std::nullopt;
    });
    PressToolbarButton(ID_VIEW_RESULTS, 0);
    SetFilePrompt({});
    EXPECT_TRUE(asked.StartsWith("Results files (*.r1w;*.rfw;*.s1w;*.sfw;*.flux.csv)")) << asked;
}

TEST_F(JobDialogs, SingleRunChecksItsInputsAndAsksAboutTheSecondFile) {
    WriteRaw("0601.dat");
    CECProcessDlg dialog(MainFrame());
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("No First File", "Please Input the First File!", true));
    dialog.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), Answer<CSecondFileDlg>("No Second File", wxID_CANCEL));  // Re-Input
    EXPECT_FALSE(std::filesystem::exists(dir_ / "site.r1w"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), Answer<CSecondFileDlg>("No Second File", wxID_OK),
                  ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_TRUE(HasResults("site.r1w"));
}

// Unchecked when the dialogs open; checked, the standard methods write their
// own files, and the run asks nothing about a second file.
TEST_F(JobDialogs, StandardMethodsCheckBoxChoosesTheStandardJobs) {
    WriteRaw("0601.dat");
    CECProcessDlg single(MainFrame());
    auto* box = dynamic_cast<wxCheckBox*>(single.Control(IDC_EC_STANDARD));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetLabel(), "Standard methods");
    EXPECT_FALSE(box->IsChecked());
    single.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    single.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    box->SetValue(true);
    wxTEST_DIALOG(Press(&single, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_TRUE(ReadFile(dir_ / "site.s1w").starts_with("Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Ta,"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "site.r1w"));

    WriteFile(dir_ / "list.txt", Path("0601.dat") + "\n");
    CBatchProcessDlg batch(MainFrame());
    auto* batchBox = dynamic_cast<wxCheckBox*>(batch.Control(IDC_BATCH_STANDARD));
    ASSERT_NE(batchBox, nullptr);
    EXPECT_FALSE(batchBox->IsChecked());
    batch.SetControlText(IDC_LIST_FILE, Path("list.txt"));
    batchBox->SetValue(true);
    wxTEST_DIALOG(Press(&batch, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_TRUE(ReadFile(dir_ / "0601.dat.s1w").starts_with("Time,"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "0601.dat.r1w"));
}

// Only the first file's Browse brings back the stored rotation choice.
TEST_F(JobDialogs, FirstBrowseRevertsTheRotationChoiceOthersDoNot) {
    AnswerFilePrompts("/data/raw.dat", false);
    CECProcessDlg dialog(MainFrame());
    dialog.SetRadioIndex(IDC_EC_TWO_AXIS, 1);
    Press(&dialog, IDC_BROWSE_SECOND);
    EXPECT_EQ(dialog.RadioIndex(IDC_EC_TWO_AXIS), 1);
    Press(&dialog, IDC_BROWSE_FIRST);
    EXPECT_EQ(dialog.RadioIndex(IDC_EC_TWO_AXIS), 0);
}

// What a run started with, typed exactly so, comes back in a new dialog, also
// when the program starts again and reads its settings file; what was typed
// but never run is not kept.
TEST_F(JobDialogs, BothJobDialogsShowAgainWhatTheLastRunStartedWith) {
    std::filesystem::create_directory(dir_ / "donn\u00e9es");
    WriteRaw("donn\u00e9es/0601.dat");
    // The half hours that follow the first file's.
    WriteFile(dir_ / "$HOME.dat", samples::MakeRawSample({.start = "2024-06-01 00:36:00", .hours = 0.6}));
    const std::string first = Path("donn\u00e9es/0601.dat"), second = Path("$HOME.dat"), output = Path("site");
    {
        CECProcessDlg dialog(MainFrame());
        dialog.SetControlText(IDC_FIRST_FILE, wxString::FromUTF8(first));
        dialog.SetControlText(IDC_SECOND_FILE, wxString::FromUTF8(second));
        dialog.SetControlText(IDC_OUTPUT_FILE, wxString::FromUTF8(output));
        dialog.SetRadioIndex(IDC_EC_TWO_AXIS, 1);
        dialog.SetControlText(IDC_EC_B0, " 0.05");
        dialog.SetControlText(IDC_EC_B1, "0.02 ");
        dialog.SetControlText(IDC_EC_B2, "-3e-2");
        static_cast<wxCheckBox*>(dialog.Control(IDC_EC_STANDARD))->SetValue(true);
        wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
        EXPECT_TRUE(std::filesystem::exists(dir_ / "site.sfw"));
        dialog.SetControlText(IDC_OUTPUT_FILE, "typed but never run");
    }
    WriteFile(dir_ / "list.txt", first + "\n");
    {
        CBatchProcessDlg dialog(MainFrame());
        dialog.SetControlText(IDC_LIST_FILE, Path("list.txt"));
        dialog.SetRadioIndex(IDC_BATCH_TWO_AXIS, 1);
        dialog.SetControlText(IDC_BATCH_B0, "0.1");
        dialog.SetControlText(IDC_BATCH_B1, "0.2");
        dialog.SetControlText(IDC_BATCH_B2, "0.3");
        static_cast<wxCheckBox*>(dialog.Control(IDC_BATCH_STANDARD))->SetValue(true);
        wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    }

    for (const bool restarted : {false, true}) {
        SCOPED_TRACE(restarted ? "settings read anew from their file" : "settings of the running program");
        wxFileConfig reread(wxString(), wxString(), SettingsFilePath(), wxString(), wxCONFIG_USE_LOCAL_FILE);
        wxConfigBase* const running = restarted ? wxConfigBase::Set(&reread) : nullptr;
        CECProcessDlg single(MainFrame());
        EXPECT_EQ(single.ControlBytes(IDC_FIRST_FILE), first);
        EXPECT_EQ(single.ControlBytes(IDC_SECOND_FILE), second);
        EXPECT_EQ(single.ControlBytes(IDC_OUTPUT_FILE), output);
        EXPECT_EQ(single.RadioIndex(IDC_EC_TWO_AXIS), 1);
        EXPECT_EQ(single.RotationChoice(), 1);
        EXPECT_EQ(single.ControlText(IDC_EC_B0), " 0.05");
        EXPECT_EQ(single.ControlText(IDC_EC_B1), "0.02 ");
        EXPECT_EQ(single.ControlText(IDC_EC_B2), "-3e-2");
        EXPECT_TRUE(single.IsChecked(IDC_EC_STANDARD));
        CBatchProcessDlg batch(MainFrame());
        EXPECT_EQ(batch.ControlBytes(IDC_LIST_FILE), Path("list.txt"));
        EXPECT_EQ(batch.RadioIndex(IDC_BATCH_TWO_AXIS), 1);
        EXPECT_EQ(batch.RotationChoice(), 1);
        EXPECT_EQ(batch.ControlText(IDC_BATCH_B0) + batch.ControlText(IDC_BATCH_B1) + batch.ControlText(IDC_BATCH_B2),
                  "0.10.20.3");
        EXPECT_TRUE(batch.IsChecked(IDC_BATCH_STANDARD));
        if (restarted) wxConfigBase::Set(running);
    }

    // Shown, nothing in it is selected, as if chosen.
    CECProcessDlg single(MainFrame());
    single.Show();
    PumpEvents();
    const auto* firstBox = static_cast<wxTextCtrl*>(single.Control(IDC_FIRST_FILE));
    long from = 0, to = 0;
    firstBox->GetSelection(&from, &to);
    EXPECT_EQ(from, to);
    // The first file's Browse brings back the remembered rotation choice.
    AnswerFilePrompts(first, false);
    single.SetRadioIndex(IDC_EC_TWO_AXIS, 0);
    Press(&single, IDC_BROWSE_FIRST);
    EXPECT_EQ(single.RadioIndex(IDC_EC_TWO_AXIS), 1);
}

TEST_F(JobDialogs, BatchProcessesTheListAndReportsAMissingOne) {
    WriteRaw("a.dat");
    WriteRaw("b.dat");
    WriteFile(dir_ / "list.txt", Path("a.dat") + "\n" + Path("b.dat"));
    AnswerFilePrompts(Path("list.txt"), true);
    CBatchProcessDlg dialog(MainFrame());
    Press(&dialog, IDC_BATCH_BROWSER);
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_TRUE(HasResults("a.dat.r1w") && HasResults("b.dat.r1w"));
    EXPECT_EQ(dialog.ControlText(IDC_PROGRESS_TEXT), "Processing file 3 ,record 0");
    dialog.SetControlText(IDC_LIST_FILE, Path("missing.txt"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Can't Open File!", "File Doesn't Exit!", true,
                                                         Path("missing.txt") + ": No such file or directory"));
}

// The choice is kept in the settings, noted in both job dialogs and used by
// their jobs; boxes that do not read are refused and nothing is stored.
TEST_F(JobDialogs, InputColumnsAreStoredNotedAndUsedByBothJobs) {
    const wxMenuItem* item = MainFrame()->GetMenuBar()->FindItem(ToWxId(ID_INPUT_COLUMNS));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText().utf8_string(), "Input Columns\u2026");
    wxTEST_DIALOG(ChooseMenuItem(ID_INPUT_COLUMNS, 0), Answer<CInputColumnsDlg>("Input Columns", wxID_CANCEL));
    WriteFile(dir_ / "plain.dat", samples::MakeRawSample({.hours = 0.6}));
    WriteFile(dir_ / "table.dat", samples::MakeRawSample({.hours = 0.6, .table = true}));
    struct Restore {
        ~Restore() { StoreInputFormat(kelvara::InputFormat{}); }
    } restore;

    CInputColumnsDlg columns(MainFrame());
    // Detection is what a new user gets, and the job dialogs need no note for it.
    EXPECT_EQ(columns.RadioIndex(IDC_COLUMNS_DETECT), 0);
    EXPECT_EQ(columns.Control(IDC_COLUMNS_DETECT)->GetLabel(),
              "Names from the header when it names every column, else by position");
    EXPECT_EQ(columns.ControlText(IDC_GOOD_STATUS), "0-13");
    EXPECT_TRUE(columns.IsChecked(IDC_UNIT_CHECK));
    columns.SetRadioIndex(IDC_COLUMNS_DETECT, 3);
    wxTEST_DIALOG(EXPECT_FALSE(columns.Accept()),
                  ExpectMessage("The column map gives no column for U.", "Please check the input columns!", true));
    const char* names[] = {"Ux", "Uy", "Uz", "co2", "h2o", "Ts", "press", "diag_sonic"};
    for (std::size_t box = 0; box < kColumnMapBoxes.size(); ++box)
        columns.SetControlText(kColumnMapBoxes[box], names[box]);
    columns.SetControlText(IDC_GOOD_STATUS, "0-13,99");
    ASSERT_TRUE(columns.Accept());
    EXPECT_EQ(kelvara::ColumnsText(StoredInputFormat()),
              "U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic");

    CECProcessDlg single(MainFrame());
    // Too long for its line: cut with an ellipsis, whole in the tooltip.
    EXPECT_EQ(single.Control(IDC_EC_COLUMNS_NOTE)->GetToolTipText(),
              "Input columns: U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic; good status 0-13,99");
    EXPECT_TRUE(single.ControlText(IDC_EC_COLUMNS_NOTE).StartsWith("Input columns: U=Ux,V=Uy,"));
    single.SetControlText(IDC_FIRST_FILE, Path("table.dat"));
    single.SetControlText(IDC_SECOND_FILE, Path("table.dat"));
    single.SetControlText(IDC_OUTPUT_FILE, Path("mapped"));
    wxTEST_DIALOG(Press(&single, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));

    CInputColumnsDlg again(MainFrame());
    EXPECT_EQ(again.RadioIndex(IDC_COLUMNS_DETECT), 3);
    again.SetRadioIndex(IDC_COLUMNS_DETECT, 2);
    ASSERT_TRUE(again.Accept());
    WriteFile(dir_ / "list.txt", Path("table.dat") + "\n");
    CBatchProcessDlg batch(MainFrame());
    EXPECT_EQ(batch.ControlText(IDC_BATCH_COLUMNS_NOTE), "Input columns: names from the header; good status 0-13,99");
    EXPECT_EQ(batch.Control(IDC_BATCH_COLUMNS_NOTE)->GetToolTipText(), batch.ControlText(IDC_BATCH_COLUMNS_NOTE));
    batch.SetControlText(IDC_LIST_FILE, Path("list.txt"));
    wxTEST_DIALOG(Press(&batch, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));

    StoreInputFormat(kelvara::InputFormat{});
    CECProcessDlg plain(MainFrame());
    EXPECT_EQ(plain.ControlText(IDC_EC_COLUMNS_NOTE), "");
    plain.SetControlText(IDC_FIRST_FILE, Path("plain.dat"));
    plain.SetControlText(IDC_SECOND_FILE, Path("plain.dat"));
    plain.SetControlText(IDC_OUTPUT_FILE, Path("plain"));
    wxTEST_DIALOG(Press(&plain, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_TRUE(HasResults("plain.r1w"));
    EXPECT_EQ(ReadFile(dir_ / "mapped.r1w"), ReadFile(dir_ / "plain.r1w"));
    EXPECT_EQ(ReadFile(dir_ / "table.dat.r1w"), ReadFile(dir_ / "plain.r1w"));

    // With nothing chosen, the table's own header names its columns.
    CECProcessDlg detected(MainFrame());
    detected.SetControlText(IDC_FIRST_FILE, Path("table.dat"));
    detected.SetControlText(IDC_SECOND_FILE, Path("table.dat"));
    detected.SetControlText(IDC_OUTPUT_FILE, Path("detected"));
    wxTEST_DIALOG(Press(&detected, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_EQ(ReadFile(dir_ / "detected.r1w"), ReadFile(dir_ / "plain.r1w"));
}

TEST_F(JobDialogs, AppendJoinsTheSlotsKeepingOneHead) {
    WriteFile(dir_ / "one.txt", "head1\r\nhead2\r\na\r\nb\r\n");
    WriteFile(dir_ / "two.txt", "head1\r\nhead2\r\nc\r\nd\r\n");
    AnswerFilePrompts(Path("two.txt"), true);
    CAppendDlg dialog(MainFrame());
    dialog.SetControlText(IDC_HEAD_LINES, "2");
    dialog.SetControlText(IDC_APPEND_FILE2, Path("one.txt"));
    Press(&dialog, IDC_APPEND_BROWSER4);
    dialog.SetControlText(IDC_APPEND_OUTPUT, Path("joined.txt"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_EQ(ReadFile(dir_ / "joined.txt"), "head1\r\nhead2\r\na\r\nb\r\nc\r\nd\r\n");
}

// The fit runs from the Options menu's item, shows what it found and what it
// left out, and copies only a plane it could determine.
TEST_F(JobDialogs, PlanarFitCoefficientsFitsShowsAndCopies) {
    wxMenuItem* item = MainFrame()->GetMenuBar()->FindItem(ToWxId(ID_PLANE_FIT));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8("Planar Fit Coefficients\u2026"));
    EXPECT_FALSE(item->GetAccel());
    wxTEST_DIALOG(ChooseMenuItem(ID_PLANE_FIT, 0), kNoRangeFile.Optional(),
                  Answer<CPlaneFitDlg>("Planar Fit Coefficients", wxID_CANCEL));

    ASSERT_TRUE(samples::WriteTiltedSonicSample(dir_ / "tilted.dat", {}));
    WriteFile(dir_ / "list.txt", Path("tilted.dat") + "\n");
    CPlaneFitDlg dialog(MainFrame());
    EXPECT_EQ(dialog.ControlText(IDC_PF_MIN_RECORDS), "9000");
    EXPECT_EQ(dialog.ControlText(IDC_PF_U_MIN), "0.5");
    EXPECT_EQ(dialog.ControlText(IDC_PF_W_MAX), "1");
    EXPECT_FALSE(dialog.Control(IDC_PF_COPY)->IsEnabled());
    dialog.SetControlText(IDC_PF_INPUT, Path("list.txt"));
    Press(&dialog, wxID_OK);  // the default screen keeps none of these short half hours
    EXPECT_TRUE(dialog.ControlText(IDC_PF_RESULT).StartsWith("The fit was refused: only 0 blocks kept"));
    EXPECT_FALSE(dialog.Control(IDC_PF_COPY)->IsEnabled());
    // The reason is wrapped, never cut off at the box's right edge.
    const auto* box = static_cast<wxTextCtrl*>(dialog.Control(IDC_PF_RESULT));
    for (const wxString& line : wxSplit(box->GetValue(), '\n', '\0')) {
        EXPECT_LE(box->GetTextExtent(line).x, box->GetClientSize().x) << line;
    }
    wxString unwrapped = box->GetValue();
    unwrapped.Replace("\n", " ");
    EXPECT_TRUE(unwrapped.Contains("only 0 blocks kept, at least 6 are needed: fit over a longer period."))
        << unwrapped;

    dialog.SetControlText(IDC_PF_MIN_RECORDS, "1000");
    dialog.SetRadioIndex(IDC_PF_FROM_LIST, 1);
    dialog.SetControlText(IDC_PF_INPUT, Path("tilted.dat"));
    Press(&dialog, wxID_OK);
    const wxString shown = dialog.ControlText(IDC_PF_RESULT);
    EXPECT_TRUE(shown.StartsWith("b0 = 0.02")) << shown;
    EXPECT_TRUE(shown.Contains("  2024-06-01 03:00  calm (speed 0.2")) << shown;
    EXPECT_TRUE(shown.Contains("the sonic's own axes")) << shown;
    EXPECT_EQ(dialog.ControlText(IDC_PERCENT_TEXT), "100%");
    ASSERT_TRUE(dialog.Control(IDC_PF_COPY)->IsEnabled());
    EXPECT_TRUE(shown.Contains("--planar-fit " + dialog.CoefficientsText() + "\n"));
    Press(&dialog, IDC_PF_COPY);
    wxTextDataObject copied;
    ASSERT_TRUE(wxTheClipboard->Open());
    EXPECT_TRUE(wxTheClipboard->GetData(copied));
    wxTheClipboard->Close();
    EXPECT_EQ(copied.GetText().utf8_string(), dialog.CoefficientsText());

    dialog.SetControlText(IDC_PF_U_MIN, "fast");
    wxTEST_DIALOG(Press(&dialog, wxID_OK),
                  ExpectMessage("Please enter the wind speed in m/s, 0 or more.", "Half Hours Used", true));
    EXPECT_TRUE(dialog.ControlText(IDC_PF_RESULT).empty());
    EXPECT_FALSE(dialog.Control(IDC_PF_COPY)->IsEnabled());
}

// Counts the pixels of a picture that are not white: a blank one has none.
int InkOf(const wxBitmap& picture) {
    const wxImage image = picture.ConvertToImage();
    int ink = 0;
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i) ink += rgb[3 * i] + rgb[3 * i + 1] < 500;
    return ink;
}

ResultsWindow* OpenResultsWindow() {
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* results = dynamic_cast<ResultsWindow*>(window)) return results;
    }
    return nullptr;
}

// A results file opens from the Options menu or from the EC Process dialog
// after a run, in a window that draws it and saves it as a picture.
TEST_F(JobDialogs, ViewResultsDrawsTheFileAndSavesThePicture) {
    WriteRaw("0601.dat");
    CECProcessDlg run(MainFrame());
    EXPECT_FALSE(run.Control(IDC_EC_VIEW)->IsEnabled());
    run.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    run.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    wxTEST_DIALOG(Press(&run, wxID_OK), Answer<CSecondFileDlg>("No Second File", wxID_OK),
                  ExpectMessage("Processing Finished!", "Status", false));
    ASSERT_TRUE(run.Control(IDC_EC_VIEW)->IsEnabled());
    Press(&run, IDC_EC_VIEW);
    ResultsWindow* window = OpenResultsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetTitle(), "site.r1w - Kelvara");
    window->SetSize(700, 500);
    // The picture is drawn when the window is painted.
    for (int round = 0; round < 200 && !window->Picture().IsOk(); ++round) {
        PumpEvents();
        wxMilliSleep(10);
    }
    ASSERT_TRUE(window->Picture().IsOk());
    EXPECT_GT(InkOf(window->Picture()), 2000);

    AnswerFilePrompts(Path("look.svg"), true);
    Press(window, wxID_SAVE);
    EXPECT_TRUE(ReadFile(dir_ / "look.svg").find("<svg") != std::string::npos);
    window->Destroy();
    PumpEvents();

    wxMenuItem* item = MainFrame()->GetMenuBar()->FindItem(ToWxId(ID_VIEW_RESULTS));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8("View Results\u2026"));
    AnswerFilePrompts(Path("0601.dat"), false);
    wxTEST_DIALOG(ChooseMenuItem(ID_VIEW_RESULTS, 0),
                  ExpectMessage("0601.dat: is not a results file of Kelvara: its first line is not a results header",
                                "Can't View Results", true));
    EXPECT_EQ(OpenResultsWindow(), nullptr);
    AnswerFilePrompts(Path("site.r1w"), false);
    ChooseMenuItem(ID_VIEW_RESULTS, 0);
    ASSERT_NE(OpenResultsWindow(), nullptr);
    OpenResultsWindow()->Destroy();
    PumpEvents();
}

// Set writes range.ini as typed and keeps the dialog open.
TEST_F(JobDialogs, RangeSettingWritesTheBoxesOnSet) {
    const char* typed[] = {"-10", "10", "-9", "9", "-8", "8", "1e3", "50abc", "", "100", "-40", "45", "80", "110"};
    const auto setTyped = Drive<CSetRangeDlg>([&](CSetRangeDlg& dialog) {
        for (std::size_t i = 0; i < kRangeBoxesInFileOrder.size(); ++i) {
            dialog.SetControlText(kRangeBoxesInFileOrder[i], typed[i]);
        }
        Press(&dialog, wxID_OK);
        return wxID_CANCEL;
    });
    wxTEST_DIALOG(MainFrame()->ProcessCommand(ToWxId(ID_RANGE_SETTING)), kNoRangeFile, setTyped,
                  ExpectMessage("Finished the range setting!", "Finished", false));
    const std::string saved = ReadFile(dir_ / "range.ini");
    EXPECT_EQ(saved.substr(0, 21), "U-Min\t-10\r\nU-Max\t10\r\n");
    EXPECT_NE(saved.find("CO2-Min\t1e3\r\nCO2-Max\t50abc\r\nH2O-Min\t\r\n"), std::string::npos);
}

bool SameImage(const wxImage& a, const wxImage& b) {
    if (a.GetSize() != b.GetSize() || a.HasAlpha() != b.HasAlpha()) return false;
    const auto pixels = static_cast<std::size_t>(a.GetWidth()) * static_cast<std::size_t>(a.GetHeight());
    return std::equal(a.GetData(), a.GetData() + 3 * pixels, b.GetData()) &&
           (!a.HasAlpha() || std::equal(a.GetAlpha(), a.GetAlpha() + pixels, b.GetAlpha()));
}

// Warnings carry the exclamation icon, completion notices none. The boxes are
// read off the screen: what the dialog draws, not the flag it was given.
TEST_F(JobDialogs, WarningsShowTheExclamationIconAndCompletionNoticesNone) {
    WriteFile(dir_ / "one.txt", "a\r\n");
    CAppendDlg append(MainFrame());
    CSetRangeDlg range(MainFrame());
    const std::vector<DrawnMessageBox> boxes = MessageBoxesShownBy([&] {
        Press(&append, wxID_OK);
        append.SetControlText(IDC_HEAD_LINES, "0");
        append.SetControlText(IDC_APPEND_FILE1, Path("one.txt"));
        append.SetControlText(IDC_APPEND_OUTPUT, Path("joined.txt"));
        Press(&append, wxID_OK);
        Press(&range, wxID_OK);
    });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "No File Head Lines");
    ASSERT_TRUE(boxes[0].icon.has_value());
    const wxImage exclamation = wxBitmap(wxArtProvider::GetMessageBoxIcon(wxICON_EXCLAMATION)).ConvertToImage();
    EXPECT_TRUE(SameImage(*boxes[0].icon, exclamation));
    for (const DrawnMessageBox& box : {boxes[1], boxes[2]}) {
        EXPECT_FALSE(box.icon.has_value()) << box.text;
    }
    EXPECT_EQ(boxes[1].text, "Processing Finished!");
    EXPECT_EQ(boxes[2].text, "Finished the range setting!");
}

TEST(CommandLine, AFileThatCannotBeOpenedEndsTheProgramBeforeAnyWindow) {
    TempDir dir;
    const ProgramRun run = RunProgram(KELVARA_APP_PATH, {(dir / "missing.kel").string()}, dir.path());
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE(run.err.find("missing.kel"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// Answered before the toolkit starts, so even without a display.
TEST(CommandLine, HelpAndVersionPrintAndExitWithStatusZero) {
    TempDir dir;
    const ScopedEnv noDisplay("DISPLAY", nullptr);
    const ProgramRun help = RunProgram(KELVARA_APP_PATH, {"--help"}, dir.path());
    EXPECT_EQ(help.exitStatus, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: Kelvara [FILE]\n", 0), 0u) << help.out;
    const ProgramRun version = RunProgram(KELVARA_APP_PATH, {"--version"}, dir.path());
    EXPECT_EQ(version.exitStatus, 0) << version.err;
    EXPECT_EQ(version.out, "Kelvara " KELVARA_VERSION "\n");
    EXPECT_EQ(help.err + version.err, "");
}

// The real program opens a file, which enters the recent-file list, and is
// closed as a user closes it; the list must be saved under XDG's rules.
TEST(Settings, TheRecentFileListIsSavedInTheXdgConfigFolder) {
    TempDir dir;
    const std::string file = (dir / "site.dat").string();
    WriteFile(file, "raw\r\n");
    const ScopedEnv home("HOME", (dir / "home").c_str());
    const std::filesystem::path xdg = dir / "xdg";
    for (const bool xdgSet : {false, true}) {
        SCOPED_TRACE(xdgSet ? "XDG_CONFIG_HOME set" : "XDG_CONFIG_HOME unset");
        const ScopedEnv configHome("XDG_CONFIG_HOME", xdgSet ? xdg.c_str() : nullptr);
        RunningProgram program(KELVARA_APP_PATH, {file});
        ASSERT_TRUE(program.Close(std::chrono::seconds(20)));
        const std::filesystem::path settings = (xdgSet ? xdg : dir / "home" / ".config") / "kelvara" / "kelvara.conf";
        EXPECT_NE(ReadFile(settings).find("file1=" + file), std::string::npos) << settings;
    }
    for (const std::filesystem::path& folder : {dir / "home" / ".config", xdg}) {
        std::vector<std::string> files;  // nothing but the settings file, in neither folder
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (!entry.is_directory()) files.push_back(entry.path().lexically_relative(folder).string());
        }
        EXPECT_EQ(files, std::vector<std::string>{"kelvara/kelvara.conf"}) << folder;
    }

    const ScopedEnv relative("XDG_CONFIG_HOME", "relative");  // not absolute: ignored
    EXPECT_EQ(SettingsFilePath().utf8_string(), (dir / "home" / ".config" / "kelvara" / "kelvara.conf").string());
}

}  // namespace
}  // namespace kelvara::testing
