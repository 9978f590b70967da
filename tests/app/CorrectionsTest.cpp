// The corrections in the desktop program: the Site and Instruments dialog
// that edits the site file, the "Corrections and flags (site file)" box of
// both job dialogs, a stream of several files in EC Process, and the
// batch's notice of files that share half hours. Each checks what the
// screen shows as well as what the jobs write.

#include <cstdlib>
#include <set>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/statbox.h>

#include "GuiTestSupport.h"
#include "dialogs/site_instruments.h"
#include "framework/SiteFileSetting.h"
#include "io/FluxResultsLine.h"
#include "io/SiteFile.h"
#include "jobs/JobPort.h"

namespace kelvara::testing {
namespace {

// Every control shown lies inside the dialog, and none but a group box
// overlaps another; a label is as wide as its text.
void ExpectControlsApart(const wxDialog& dialog) {
    const wxRect client(dialog.GetClientSize());
    std::vector<const wxWindow*> shown;
    for (const wxWindow* child : dialog.GetChildren()) {
        if (!child->IsShown()) continue;
        EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetLabel() << " " << child->GetId();
        if (const auto* label = dynamic_cast<const wxStaticText*>(child); label && !label->GetLabel().empty()) {
            EXPECT_LE(label->GetBestSize().x, label->GetSize().x) << label->GetLabel();
        }
        if (const auto* box = dynamic_cast<const wxCheckBox*>(child)) {
            EXPECT_LE(box->GetBestSize().x, box->GetSize().x) << box->GetLabel();
        }
        if (dynamic_cast<const wxStaticBox*>(child) == nullptr) shown.push_back(child);
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                << "\"" << shown[i]->GetLabel() << "\" " << shown[i]->GetId() << " and \"" << shown[j]->GetLabel()
                << "\" " << shown[j]->GetId();
        }
    }
}

// Ticks or clears a box as a click does, so that its handlers run.
void Click(wxCheckBox* box, bool checked) {
    box->SetValue(checked);
    wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
    click.SetEventObject(box);
    click.SetInt(checked ? 1 : 0);
    box->ProcessWindowEvent(click);
}

wxCheckBox* CheckBoxOf(const TemplateDialog& dialog, int number) {
    return dynamic_cast<wxCheckBox*>(dialog.Control(number));
}

// The new box stands under "Standard methods", in line with Close, clear of
// the seed's controls; both start unchecked, and each follows the other.
void ExpectMethodsBoxes(JobDialog& dialog, int standardNumber, int correctedNumber) {
    wxCheckBox* standard = CheckBoxOf(dialog, standardNumber);
    wxCheckBox* corrected = CheckBoxOf(dialog, correctedNumber);
    ASSERT_NE(standard, nullptr);
    ASSERT_NE(corrected, nullptr);
    EXPECT_EQ(corrected->GetLabel(), "Corrections and flags (site file)");
    EXPECT_FALSE(corrected->IsChecked());
    EXPECT_GE(corrected->GetRect().y, standard->GetRect().GetBottom());
    EXPECT_EQ(corrected->GetRect().x, dialog.Control(kCancelControl)->GetRect().x);
    ExpectControlsApart(dialog);
    Click(corrected, true);
    EXPECT_TRUE(standard->IsChecked()) << "the corrections imply the standard methods";
    Click(standard, false);
    EXPECT_FALSE(corrected->IsChecked());
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// What the command line writes for the same files and site file.
std::string CommandLineResults(const std::string& arguments, const std::filesystem::path& output) {
    const std::string command = std::string(KELVARA_CLI_PATH) + " " + arguments + " > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(output);
}

class Corrections : public JobDialogs {
protected:
    Corrections() { Forget(); }
    ~Corrections() override { Forget(); }
    static void Forget() {
        wxConfigBase::Get(false)->DeleteGroup("/Site and Instruments");
        std::error_code ignored;
        std::filesystem::remove(DefaultSiteFilePath(), ignored);
    }
    // A site file in the settings folder, as the dialog leaves it.
    static void WriteSettingsSite() {
        kelvara::SiteSettings site;
        site.measurementHeight = 3.0;
        site.latitude = 50.0;
        std::filesystem::create_directories(DefaultSiteFilePath().parent_path());
        std::string problem;
        ASSERT_TRUE(kelvara::WriteSiteFile(DefaultSiteFilePath(), site, problem)) << problem;
    }
};

TEST_F(Corrections, SiteAndInstrumentsShowsEveryKeyWithItsDefault) {
    wxMenuItem* item = MainFrame()->GetMenuBar()->FindItem(ToWxId(ID_SITE_INSTRUMENTS));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8("Site and Instruments\u2026"));
    wxTEST_DIALOG(MainFrame()->ProcessCommand(ToWxId(ID_SITE_INSTRUMENTS)),
                  Answer<CSiteInstrumentsDlg>("Site and Instruments", wxID_CANCEL));

    CSiteInstrumentsDlg dialog(MainFrame());
    EXPECT_EQ(dialog.GetDefaultItem(), dialog.Control(kOkControl));
    ExpectControlsApart(dialog);
    // A box per key, in the file's order, each showing its default; a key of
    // a few words is a list of them. The two required keys start empty.
    const std::vector<std::string> defaults = kelvara::SiteValueTexts({});
    ASSERT_EQ(defaults.size(), kSiteKeyBoxes.size());
    std::size_t key = 0;
    for (const kelvara::SiteSection& section : kelvara::SiteSettingsEntries({})) {
        for (const kelvara::SiteEntry& entry : section.entries) {
            SCOPED_TRACE(section.name + "." + entry.key);
            const wxWindow* box = dialog.Control(kSiteKeyBoxes[key]);
            ASSERT_NE(box, nullptr);
            const bool words = std::holds_alternative<std::string>(entry.value) && defaults[key] != "auto";
            EXPECT_EQ(dynamic_cast<const wxChoice*>(box) != nullptr, words);
            EXPECT_EQ(dialog.ControlBytes(kSiteKeyBoxes[key]), entry.required ? "" : defaults[key]);
            ++key;
        }
    }
    EXPECT_EQ(dialog.ControlBytes(kSiteKeyBoxes[4]), "0.115");  // the sonic's path length
    EXPECT_EQ(dialog.ControlBytes(IDC_SITE_FILE_NOTE), "Site file: " + DefaultSiteFilePath().string() + " (new)");
}

// OK checks the boxes with the site file's parser, whose message names the
// key and its line, and saves site.ini in the settings folder through the
// engine; the jobs and the next dialog read it.
TEST_F(Corrections, SiteAndInstrumentsChecksAndSavesTheSiteFile) {
    CSiteInstrumentsDlg dialog(MainFrame());
    wxTEST_DIALOG(EXPECT_FALSE(dialog.Accept()),
                  ExpectMessage("site.ini: [site] measurement_height is required: Height of the measurement above the "
                                "ground, m.",
                                kCheckSiteFileTitle, true));
    EXPECT_FALSE(std::filesystem::exists(DefaultSiteFilePath()));
    dialog.SetControlText(kSiteKeyBoxes[0], "3");
    dialog.SetControlText(kSiteKeyBoxes[3], "north");
    std::vector<std::string> typed = kelvara::SiteValueTexts({});
    typed[0] = "3";
    typed[3] = "north";
    typed[1] = "";
    kelvara::SiteSettings unused;
    kelvara::SiteFileError expected;
    ASSERT_FALSE(kelvara::ParseSiteText(kelvara::SiteFileTextOfValues(typed), unused, expected));
    EXPECT_EQ(expected.key, "site.latitude");
    wxTEST_DIALOG(EXPECT_FALSE(dialog.Accept()),
                  ExpectMessage("site.ini, " + expected.message, kCheckSiteFileTitle, true));
    EXPECT_NE(expected.message.find("line "), std::string::npos);

    dialog.SetControlText(kSiteKeyBoxes[3], "50.5");
    dialog.SetControlText(kSiteKeyBoxes[7], "toward");  // u_positive
    dialog.SetControlText(kSiteKeyBoxes[27], "0.41");   // von_karman
    ASSERT_TRUE(dialog.Accept());
    kelvara::SiteSettings saved;
    kelvara::SiteFileError error;
    ASSERT_TRUE(kelvara::ReadSiteFile(DefaultSiteFilePath(), saved, error)) << error.message;
    EXPECT_EQ(saved.measurementHeight, 3.0);
    EXPECT_EQ(saved.latitude, 50.5);
    EXPECT_EQ(saved.uPositive, kelvara::UPositive::Toward);
    EXPECT_EQ(saved.vonKarman, 0.41);
    EXPECT_FALSE(saved.displacementHeight.has_value());
    EXPECT_EQ(ReadFile(DefaultSiteFilePath()), kelvara::SiteFileText(saved));

    CSiteInstrumentsDlg again(MainFrame());
    EXPECT_EQ(again.ControlBytes(kSiteKeyBoxes[3]), "50.5");
    EXPECT_EQ(again.ControlBytes(kSiteKeyBoxes[7]), "toward");
    EXPECT_EQ(again.ControlBytes(kSiteKeyBoxes[1]), "");
    EXPECT_EQ(again.ControlBytes(IDC_SITE_FILE_NOTE), "Site file: " + DefaultSiteFilePath().string());
}

// Open… reads another site file (a bad one is refused with the parser's
// message and the boxes stay); Save As… writes one, which the jobs use from
// then on.
TEST_F(Corrections, SiteAndInstrumentsOpensAndSavesAnotherFile) {
    WriteFile(dir_ / "bad.ini", "[site]\nmeasurement_height = 2\nlatitude = 95\n");
    WriteFile(dir_ / "tower.ini", "[site]\nmeasurement_height = 7.5\nlatitude = -3\n[lag]\nmethod = none\n");
    CSiteInstrumentsDlg dialog(MainFrame());
    AnswerFilePrompts(Path("bad.ini"), false);
    wxTEST_DIALOG(Press(&dialog, IDC_SITE_OPEN),
                  ExpectMessage(Path("bad.ini") + ": line 3: [site] latitude: 95 must be between -90 and 90",
                                kCheckSiteFileTitle, true));
    EXPECT_EQ(dialog.ControlBytes(kSiteKeyBoxes[3]), "");
    AnswerFilePrompts(Path("tower.ini"), false);
    Press(&dialog, IDC_SITE_OPEN);
    EXPECT_EQ(dialog.ControlBytes(kSiteKeyBoxes[0]), "7.5");
    EXPECT_EQ(dialog.ControlBytes(kSiteKeyBoxes[14]), "none");
    EXPECT_EQ(dialog.ControlBytes(IDC_SITE_FILE_NOTE), "Site file: " + Path("tower.ini"));

    AnswerFilePrompts(Path("copy"), true);
    Press(&dialog, IDC_SITE_SAVE_AS);
    ASSERT_TRUE(std::filesystem::exists(dir_ / "copy.ini"));
    EXPECT_EQ(StoredSiteFilePath(), dir_ / "copy.ini");
    EXPECT_EQ(dialog.EditedFile(), dir_ / "copy.ini");
    kelvara::SiteSettings copy;
    kelvara::SiteFileError error;
    ASSERT_TRUE(kelvara::ReadSiteFile(dir_ / "copy.ini", copy, error)) << error.message;
    EXPECT_EQ(copy.measurementHeight, 7.5);
    EXPECT_EQ(copy.lagMethod, kelvara::LagMethod::None);
    EXPECT_FALSE(std::filesystem::exists(DefaultSiteFilePath()));
}

// Ticked, both dialogs write the corrected file with the stored site file,
// byte for byte what the command line writes; without a site file they say
// so; the choice is remembered.
TEST_F(Corrections, TheCorrectionsBoxRunsTheCorrectionsWithTheSiteFile) {
    WriteRaw("0601.dat");
    {
        CECProcessDlg single(MainFrame());
        ExpectMethodsBoxes(single, IDC_EC_STANDARD, IDC_EC_CORRECTED);
        single.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
        single.SetControlText(IDC_OUTPUT_FILE, Path("site"));
        Click(CheckBoxOf(single, IDC_EC_CORRECTED), true);
        wxTEST_DIALOG(Press(&single, wxID_OK),
                      ExpectMessage("No Site File", "Please choose the site file!", true,
                                    DefaultSiteFilePath().string() +
                                        ": no such file; Options \u2192 Site and Instruments\u2026 writes it"));
        EXPECT_FALSE(std::filesystem::exists(dir_ / "site.flux.csv"));
        WriteSettingsSite();
        wxTEST_DIALOG(Press(&single, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
        ASSERT_TRUE(std::filesystem::exists(dir_ / "site.flux.csv"));
        EXPECT_TRUE(ReadFile(dir_ / "site.flux.csv").starts_with(std::string(kelvara::kFluxHeader) + "\n"));
        EXPECT_EQ(ReadFile(dir_ / "site.flux.csv"),
                  CommandLineResults("run " + Quoted(Path("0601.dat")) + " --output " + Quoted(Path("cli")) +
                                         " --site " + Quoted(DefaultSiteFilePath().string()),
                                     dir_ / "cli.flux.csv"));
        EXPECT_FALSE(std::filesystem::exists(dir_ / "site.s1w"));
        ASSERT_TRUE(single.Control(IDC_EC_VIEW)->IsEnabled());
        Press(&single, IDC_EC_VIEW);
        ResultsWindow* window = nullptr;
        for (wxWindow* top : wxTopLevelWindows) {
            if (auto* results = dynamic_cast<ResultsWindow*>(top)) window = results;
        }
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->GetTitle(), "site.flux.csv - Kelvara");
        window->Destroy();
        PumpEvents();
    }
    CECProcessDlg remembered(MainFrame());
    EXPECT_TRUE(remembered.IsChecked(IDC_EC_CORRECTED));
    EXPECT_TRUE(remembered.IsChecked(IDC_EC_STANDARD));

    WriteFile(dir_ / "list.txt", Path("0601.dat") + "\n");
    {
        CBatchProcessDlg batch(MainFrame());
        ExpectMethodsBoxes(batch, IDC_BATCH_STANDARD, IDC_BATCH_CORRECTED);
        batch.SetControlText(IDC_LIST_FILE, Path("list.txt"));
        Click(CheckBoxOf(batch, IDC_BATCH_CORRECTED), true);
        wxTEST_DIALOG(Press(&batch, wxID_OK), ExpectMessage("Processing Finished!", "Status", false));
        EXPECT_EQ(ReadFile(dir_ / "0601.dat.flux.csv"), ReadFile(dir_ / "site.flux.csv"));
    }
    CBatchProcessDlg remembered2(MainFrame());
    EXPECT_TRUE(remembered2.IsChecked(IDC_BATCH_CORRECTED));
}

// The standard methods read several files as one stream: the first file's
// Browse takes them all, its box shows their count (the tooltip their
// names); the run joins them, and a second file named, in time order, as
// the command line does.
TEST_F(Corrections, EcProcessReadsSeveralFilesAsOneStream) {
    WriteFile(dir_ / "a.dat", samples::MakeRawSample({.start = "2024-06-01 00:45:00", .hours = 0.5}));
    WriteFile(dir_ / "b.dat", samples::MakeRawSample({.start = "2024-06-01 00:00:00", .hours = 0.75}));
    WriteFile(dir_ / "c.dat", samples::MakeRawSample({.start = "2024-06-01 01:15:00", .hours = 0.5}));
    WriteFile(dir_ / "d.dat", samples::MakeRawSample({.start = "2024-06-01 01:45:00", .hours = 0.5}));
    CECProcessDlg dialog(MainFrame());
    AnswerFilePrompts(Path("c.dat"), false);
    Press(&dialog, IDC_BROWSE_FIRST);  // the default method: one file
    EXPECT_EQ(dialog.ControlBytes(IDC_FIRST_FILE), Path("c.dat"));

    Click(CheckBoxOf(dialog, IDC_EC_STANDARD), true);
    SetFilesPrompt([&](const FilePromptRequest&) {
        return std::vector<wxString>{wxString::FromUTF8(Path("c.dat")), wxString::FromUTF8(Path("a.dat")),
                                     wxString::FromUTF8(Path("b.dat"))};
    });
    Press(&dialog, IDC_BROWSE_FIRST);
    EXPECT_EQ(dialog.ControlText(IDC_FIRST_FILE), "3 files");
    EXPECT_EQ(dialog.Control(IDC_FIRST_FILE)->GetToolTipText(), dir_.path().string() + ":\na.dat\nb.dat\nc.dat");
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("joined"));
    dialog.SetControlText(IDC_SECOND_FILE, Path("d.dat"));
    // Named a, b, c, the files run b, a, c in time: the engine orders them and says so.
    wxTEST_DIALOG(Press(&dialog, wxID_OK),
                  ExpectMessage("the raw files are read in the order of their first time stamps, not in the order "
                                "given",
                                "Warning", true)
                      .Optional(),
                  ExpectMessage("Processing Finished!", "Status", false));
    EXPECT_EQ(
        ReadFile(dir_ / "joined.s1w"),
        CommandLineResults("run " + Quoted(Path("b.dat")) + " " + Quoted(Path("a.dat")) + " " + Quoted(Path("c.dat")) +
                               " " + Quoted(Path("d.dat")) + " --standard --output " + Quoted(Path("cli")),
                           dir_ / "cli.s1w"));

    // Remembered: a new dialog shows the count and runs the same files.
    CECProcessDlg again(MainFrame());
    EXPECT_EQ(again.ControlText(IDC_FIRST_FILE), "3 files");
    // Back to the default method, the box holds the first of them.
    Click(CheckBoxOf(again, IDC_EC_STANDARD), false);
    EXPECT_EQ(again.ControlBytes(IDC_FIRST_FILE), Path("a.dat"));
}

// Files of a standard batch that share a half hour each give a line of part
// of it: the batch says so, naming EC Process as what joins them.
TEST_F(Corrections, BatchNamesEcProcessForFilesThatShareHalfHours) {
    WriteFile(dir_ / "a.dat", samples::MakeRawSample({.start = "2024-06-01 00:00:00", .hours = 0.75}));
    WriteFile(dir_ / "b.dat", samples::MakeRawSample({.start = "2024-06-01 00:45:00", .hours = 0.75}));
    WriteFile(dir_ / "list.txt", Path("a.dat") + "\n" + Path("b.dat") + "\n");
    CBatchProcessDlg batch(MainFrame());
    batch.SetControlText(IDC_LIST_FILE, Path("list.txt"));
    Click(CheckBoxOf(batch, IDC_BATCH_STANDARD), true);
    std::string shown;
    wxTEST_DIALOG(Press(&batch, wxID_OK), Drive<wxGenericMessageDialog>([&](wxGenericMessageDialog& box) {
                      shown = Squeezed(box.GetMessage());
                      EXPECT_EQ(box.GetCaption(), "Warning");
                      return wxID_OK;
                  }),
                  ExpectMessage("Processing Finished!", "Status", false));
    // The warning box puts each part of the sentence on a line of its own.
    EXPECT_TRUE(
        shown.starts_with(Path("a.dat") + " and " + Path("b.dat") + " share the half hour ending 2024-06-01 01:00"))
        << shown;
    EXPECT_TRUE(shown.ends_with("EC Process reads the files as one stream and joins them")) << shown;
}

}  // namespace
}  // namespace kelvara::testing
