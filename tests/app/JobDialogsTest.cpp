// Jobs driven through the real dialogs: inputs taken from the controls,
// every message box's text, title and icon, the files written, and the
// dialogs' own behaviour (Browse, "No Second File", Range Setting).

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "CommandIds.h"
#include "EC_Process.h"
#include "FilePrompt.h"
#include "GuiTestSupport.h"
#include "TempDir.h"
#include "append.h"
#include "batch_process.h"
#include "second_file.h"
#include "set_range.h"

namespace kelvara::testing {
namespace {

using namespace kelvara::app;

// A raw file of the logger's format: 4 header lines, then one record a
// second from 10:00:00 for `minutes` minutes, with a little movement in
// every value so the statistics have something to work on.
std::string RawFile(int minutes) {
    std::ostringstream text;
    text << "\"TOA5\",\"tower\"\r\n\"TIMESTAMP\",\"Ux\"\r\n\"TS\",\"m/s\"\r\n\"\",\"Smp\"\r\n";
    for (int second = 0; second < minutes * 60; ++second) {
        const int wobble = (second * 7919) % 97 - 48;  // -48 .. 48
        char line[160];
        std::snprintf(line, sizeof line, "\"2024-06-01 %d:%02d:%02d.1\",%.3f,%.3f,%.3f,%.2f,%.3f,%.2f,%.2f,0\r\n",
                      10 + second / 3600, (second / 60) % 60, second % 60, 1.234 + wobble * 0.004,
                      -0.567 + wobble * 0.003, 0.089 + wobble * 0.002, 701.23 + wobble * 0.05,
                      10.456 + wobble * 0.004, 21.34 + wobble * 0.01, 98.76 + wobble * 0.0005);
        text << line;
    }
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

const char* const kResultsHeader =
    "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,LE_leuning,"
    "Fc_leuning,Records\r";

class JobDialogs : public ::testing::Test {
protected:
    JobDialogs() : windir_("WINDIR", dir_.path().c_str()) {}
    ~JobDialogs() override { SetFilePrompt({}); }

    std::string Path(const char* name) const { return (dir_ / name).string(); }

    // Browse buttons get `answer` (nothing = Cancel); each request is kept.
    void AnswerFilePrompts(std::optional<wxString> answer) {
        SetFilePrompt([this, answer](const FilePromptRequest& request) {
            prompts_.push_back(request);
            return answer;
        });
    }

    TempDir dir_;
    ScopedEnv windir_;
    std::vector<FilePromptRequest> prompts_;
};

TEST_F(JobDialogs, SingleRunWithoutSecondFileWritesResultsAndKeepsTheDialog) {
    WriteFile(dir_ / "0601.dat", RawFile(35));
    CECProcessDlg dialog(MainFrame());
    dialog.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("site"));

    wxTEST_DIALOG(Press(&dialog, wxID_OK), Answer<CSecondFileDlg>("No Second File", wxID_OK),
                  ExpectMessage("Processing Finished!", "Status", false));

    const std::vector<std::string> lines = Lines(ReadFile(dir_ / "site.r1w"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], kResultsHeader);
    EXPECT_EQ(lines[1].rfind("2024-06-01 10:30,", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("2024-06-01 11:0,", 0), 0u) << lines[2];
    EXPECT_EQ(dialog.ControlText(IDC_FIRST_FILE), Path("0601.dat")) << "inputs stay for the next run";
    EXPECT_FALSE(dialog.ControlText(IDC_EC_PERCENT).empty());
}

TEST_F(JobDialogs, ReInputStopsTheRunAndWarningsCarryTheExclamationIcon) {
    WriteFile(dir_ / "0601.dat", RawFile(2));
    CECProcessDlg dialog(MainFrame());
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("No First File", "Please Input the First File!", true));

    dialog.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), Answer<CSecondFileDlg>("No Second File", wxID_CANCEL));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "site.r1w"));

    dialog.SetRadioIndex(IDC_EC_TWO_AXIS, 1);
    wxTEST_DIALOG(Press(&dialog, wxID_OK),
                  ExpectMessage("No b0, b1 and b2 values", "Please Input b0, b1,and b2 values!", true));
}

TEST_F(JobDialogs, NoSecondFileAnswersReInputToEscapeAndTheCloseBox) {
    ScopedRealDialogs shown;
    for (bool escape : {true, false}) {
        CSecondFileDlg dialog(MainFrame());
        EXPECT_EQ(dialog.ControlText(wxID_STATIC), wxString());
        dialog.CallAfter([&dialog, escape] {
            if (escape) {
                wxKeyEvent key(wxEVT_CHAR_HOOK);
                key.m_keyCode = WXK_ESCAPE;
                key.SetEventObject(&dialog);
                dialog.ProcessWindowEvent(key);
            } else {
                dialog.Close();
            }
        });
        EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL) << (escape ? "Escape" : "close box");
    }
}

TEST_F(JobDialogs, FirstBrowseRevertsTheRotationChoiceOthersDoNot) {
    AnswerFilePrompts(wxString("/data/raw one.dat"));
    CECProcessDlg dialog(MainFrame());
    dialog.SetRadioIndex(IDC_EC_TWO_AXIS, 1);
    Press(&dialog, IDC_BROWSE_SECOND);
    EXPECT_EQ(dialog.RadioIndex(IDC_EC_TWO_AXIS), 1);
    EXPECT_EQ(dialog.ControlText(IDC_SECOND_FILE), "/data/raw one.dat");
    Press(&dialog, IDC_BROWSE_OUTPUT);
    EXPECT_EQ(dialog.ControlText(IDC_OUTPUT_FILE), "/data/raw one.dat");
    EXPECT_EQ(dialog.RadioIndex(IDC_EC_TWO_AXIS), 1);
    Press(&dialog, IDC_BROWSE_FIRST);
    EXPECT_EQ(dialog.RadioIndex(IDC_EC_TWO_AXIS), 0) << "the stored choice comes back";
    EXPECT_EQ(dialog.ControlText(IDC_FIRST_FILE), "/data/raw one.dat");
    for (const FilePromptRequest& request : prompts_) EXPECT_FALSE(request.overwritePrompt);

    AnswerFilePrompts(std::nullopt);  // Cancel leaves the text alone
    Press(&dialog, IDC_BROWSE_FIRST);
    EXPECT_EQ(dialog.ControlText(IDC_FIRST_FILE), "/data/raw one.dat");
}

TEST_F(JobDialogs, BatchProcessesTheListAndShowsItsStatusTexts) {
    WriteFile(dir_ / "a.dat", RawFile(3));
    WriteFile(dir_ / "b.dat", RawFile(3));
    WriteFile(dir_ / "list.txt", Path("a.dat") + "\n" + Path("b.dat"));
    AnswerFilePrompts(wxString::FromUTF8(Path("list.txt")));

    CBatchProcessDlg dialog(MainFrame());
    dialog.SetRadioIndex(IDC_BATCH_TWO_AXIS, 1);
    Press(&dialog, IDC_BATCH_BROWSER);
    EXPECT_EQ(dialog.RadioIndex(IDC_BATCH_TWO_AXIS), 0) << "Browser reverts the radio buttons";
    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_TRUE(prompts_[0].overwritePrompt);

    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    for (const char* results : {"a.dat.r1w", "b.dat.r1w"}) {
        const std::vector<std::string> lines = Lines(ReadFile(dir_ / results));
        ASSERT_EQ(lines.size(), 2u) << results;
        EXPECT_EQ(lines[0], kResultsHeader);
    }
    EXPECT_EQ(dialog.ControlText(IDC_WAIT_NOTICE), "");
    EXPECT_EQ(dialog.ControlText(IDC_PROGRESS_TEXT), "Processing file 3 ,record 0");

    dialog.SetControlText(IDC_LIST_FILE, Path("missing.txt"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Can't Open File!", "File Doesn't Exit!", true));
}

TEST_F(JobDialogs, AppendJoinsTheSlotsKeepingOneHead) {
    WriteFile(dir_ / "one.txt", "head1\r\nhead2\r\na\r\nb\r\n");
    WriteFile(dir_ / "two.txt", "head1\r\nhead2\r\nc\r\nd\r\n");
    AnswerFilePrompts(wxString::FromUTF8(Path("two.txt")));

    CAppendDlg dialog(MainFrame());
    wxTEST_DIALOG(Press(&dialog, wxID_OK),
                  ExpectMessage("No File Head Lines", "Please Input the Number of File Head Lines!", true));
    dialog.SetControlText(IDC_HEAD_LINES, "2");
    dialog.SetControlText(IDC_FILE1 + 2, Path("one.txt"));  // slot 2
    Press(&dialog, 1032);                                   // Browser of slot 4
    EXPECT_EQ(dialog.ControlText(1031), wxString::FromUTF8(Path("two.txt")));
    dialog.SetControlText(IDC_APPEND_OUTPUT, Path("joined.txt"));

    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_EQ(Lines(ReadFile(dir_ / "joined.txt")),
              (std::vector<std::string>{"head1\r", "head2\r", "a\r", "b\r", "c\r", "d\r"}));
}

// Types into the range boxes in file order.
void FillRangeBoxes(CSetRangeDlg& dialog, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
        dialog.SetControlText(kRangeBoxesInFileOrder[i], wxString::FromUTF8(texts[i]));
    }
}

std::vector<std::string> RangeBoxes(const CSetRangeDlg& dialog) {
    std::vector<std::string> texts;
    for (int box : kRangeBoxesInFileOrder) texts.push_back(dialog.ControlText(box).utf8_string());
    return texts;
}

void OpenRangeSetting() { MainFrame()->ProcessCommand(ToWxId(ID_RANGE_SETTING)); }

TEST_F(JobDialogs, RangeSettingWritesOnSetKeepsOpenAndReloadsWhatWasSaved) {
    const std::vector<std::string> typed = {"-10", "10", "-9", "9", "-8", "8", "1e3", "50abc",
                                            "", "100", "-40", "45", "80", "110"};
    wxTEST_DIALOG(OpenRangeSetting(),
                  ExpectMessage("No range initial file!", "Range initial File Doesn't Exit!", true),
                  Drive<CSetRangeDlg>([&](CSetRangeDlg& dialog) {
                      EXPECT_EQ(RangeBoxes(dialog), std::vector<std::string>(14));
                      FillRangeBoxes(dialog, typed);
                      Press(&dialog, wxID_OK);  // Set: the dialog stays, unchanged
                      EXPECT_EQ(RangeBoxes(dialog), typed);
                      return wxID_CANCEL;
                  }),
                  ExpectMessage("Finished the range setting!", "Finished", false));

    const std::string saved = ReadFile(dir_ / "range.ini");
    EXPECT_EQ(saved.substr(0, 21), "U-Min\t-10\r\nU-Max\t10\r\n");
    EXPECT_NE(saved.find("CO2-Min\t1e3\r\nCO2-Max\t50abc\r\nH2O-Min\t\r\n"), std::string::npos);

    // Reopened: the saved texts; Close (Escape's button) then writes nothing.
    wxTEST_DIALOG(OpenRangeSetting(), Drive<CSetRangeDlg>([&](CSetRangeDlg& dialog) {
                      EXPECT_EQ(RangeBoxes(dialog), typed);
                      dialog.SetControlText(1013, "-99");
                      Press(&dialog, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(ReadFile(dir_ / "range.ini"), saved);
}

TEST_F(JobDialogs, RangeSettingReportsAFileItCannotWrite) {
    WriteFile(dir_ / "not-a-directory", "x");
    ScopedEnv windir("WINDIR", (dir_ / "not-a-directory").c_str());
    wxTEST_DIALOG(OpenRangeSetting(),
                  ExpectMessage("No range initial file!", "Range initial File Doesn't Exit!", true),
                  Drive<CSetRangeDlg>([](CSetRangeDlg& dialog) {
                      Press(&dialog, wxID_OK);
                      return wxID_CANCEL;
                  }),
                  ExpectMessage("Can't Open file!", "Range initial file can't be opened!\nPlease try it again!", true));
}

}  // namespace
}  // namespace kelvara::testing
