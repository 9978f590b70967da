// kelvara-screenshots OUTDIR: starts the desktop program's application
// object on the current X display and saves a PNG of the main window, of
// every dialog, of the job dialogs as they open again after a run, and of the
// message boxes (a warning, a notice, a failure with its details) into
// OUTDIR, for a reviewer to look at. Not a check.

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <wx/checkbox.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/timer.h>

#include "ResourceIds.h"
#include "ScreenCapture.h"
#include "SampleGenerator.h"
#include "TiltedSonic.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/EC_Process.h"
#include "dialogs/append.h"
#include "dialogs/batch_process.h"
#include "dialogs/input_columns.h"
#include "dialogs/merge.h"
#include "dialogs/plane_fit.h"
#include "dialogs/second_file.h"
#include "dialogs/set_range.h"
#include "dialogs/site_instruments.h"
#include "framework/MessageBox.h"
#include "framework/SiteFileSetting.h"
#include "io/SiteFile.h"
#include "jobs/JobMessages.h"
#include "framework/FilePrompt.h"
#include "framework/InputColumnsSettings.h"
#include "shell/Kelvara.h"
#include "shell/MainFrm.h"
#include "dialogs/ResultsWindow.h"
#include "jobs/RunJob.h"

wxIMPLEMENT_APP_NO_MAIN(kelvara::app::CKelvaraApp);

namespace {

using namespace kelvara::app;

// Lets the toolkit map and paint what was just shown.
void LetItDraw() {
    wxEventLoopGuarantor loopWhileNoneRuns;
    for (int round = 0; round < 20; ++round) {
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(10);
    }
}

bool SaveWindow(wxWindow& window, const wxString& file) {
    window.Raise();
    LetItDraw();
    const std::optional<wxImage> picture = kelvara::screenshots::CaptureScreen(window.GetScreenRect());
    if (!picture || !picture->SaveFile(file, wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "kelvara-screenshots: cannot save %s\n", static_cast<const char*>(file.utf8_str()));
        return false;
    }
    return true;
}

template <class Dialog>
bool SaveDialog(const wxString& file, const std::function<void(Dialog&)>& fill = {}) {
    Dialog dialog(wxGetApp().MainFrame());
    // Clear of the main window, and whole on the screen.
    dialog.Move(20, std::min(150, wxGetDisplaySize().y - dialog.GetSize().y));
    dialog.Show();
    if (fill) fill(dialog);
    return SaveWindow(dialog, file);
}

// Presses a dialog's button the way a click does.
void Press(wxDialog& dialog, int button) {
    wxCommandEvent press(wxEVT_BUTTON, button);
    press.SetEventObject(dialog.FindWindow(button));
    dialog.FindWindow(button)->ProcessWindowEvent(press);
}

// The results window on a run's results file, which it removes (and the
// run's other files) once read.
bool SaveResultsOf(const std::filesystem::path& results, bool made, const wxString& file) {
    if (!made) return false;
    ResultsWindow* window = ResultsWindow::Open(wxGetApp().MainFrame(), results);
    std::filesystem::remove(results);
    if (window == nullptr) return false;
    window->SetSize(1000, 760);
    const bool saved = SaveWindow(*window, file);
    window->Destroy();
    return saved;
}

// The results window on a day of synthetic data with a gap.
bool SaveResultsWindow(const wxString& file) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto raw = folder / "kelvara-screenshot-day.dat";
    kelvara::SilentPort port;
    const bool made =
        kelvara::samples::WriteRawSample(raw, {.seed = 4, .hours = 24, .spikeRate = 1e-3, .gapRate = 0}) &&
        kelvara::RunJob().Run({.files = {raw.string()}, .outputFile = (folder / "day").string()}, port);
    std::filesystem::remove(raw);
    return SaveResultsOf(folder / "day.r1w", made, file);
}

// The planar-fit dialog after a fit over the test bed's tilted sonic.
void FitTiltedSonic(CPlaneFitDlg& dialog) {
    const std::filesystem::path raw = std::filesystem::temp_directory_path() / "kelvara-screenshot-tilted.dat";
    if (!kelvara::samples::WriteTiltedSonicSample(raw, {})) return;
    dialog.SetRadioIndex(kelvara::res::IDC_PF_FROM_LIST, 1);
    dialog.SetControlText(kelvara::res::IDC_PF_INPUT, wxString::FromUTF8(raw.string()));
    dialog.SetControlText(kelvara::res::IDC_PF_MIN_RECORDS, "1000");
    Press(dialog, wxID_OK);
    std::filesystem::remove(raw);
}

// The planar-fit dialog after a fit it refuses: the reason, wrapped.
void FitTooShortARecord(CPlaneFitDlg& dialog) {
    const std::filesystem::path raw = std::filesystem::temp_directory_path() / "kelvara-screenshot-short.dat";
    if (!kelvara::samples::WriteRawSample(raw, {.seed = 3, .hours = 2})) return;
    dialog.SetRadioIndex(kelvara::res::IDC_PF_FROM_LIST, 1);
    dialog.SetControlText(kelvara::res::IDC_PF_INPUT, wxString::FromUTF8(raw.string()));
    Press(dialog, wxID_OK);
    std::filesystem::remove(raw);
}

// A message box is modal: `action` waits in its ShowModal while a timer
// hands the box to `onBox`, then closes it with OK.
void AnswerMessageBoxes(const std::function<void()>& action, const std::function<void(wxDialog&)>& onBox) {
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* box = dynamic_cast<wxGenericMessageDialog*>(window);
            if (box == nullptr || !box->IsModal() || !box->IsShownOnScreen()) continue;
            onBox(*box);
            box->EndModal(wxID_OK);
            return;
        }
    });
    watch.Start(50);
    action();
}

bool SaveMessageBox(const std::function<void()>& show, const wxString& file) {
    bool saved = false;
    AnswerMessageBoxes(show, [&](wxDialog& box) { saved = saved || SaveWindow(box, file); });
    return saved;
}

// The job dialogs with their note, under a stored column map (the settings
// live in the run's scratch home).
bool SaveWithColumnMap(const wxString& folder) {
    kelvara::InputFormat format;
    std::string problem;
    kelvara::ParseColumns("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic", format, problem);
    kelvara::StatusRule::Parse("0", format.goodStatus, problem);
    StoreInputFormat(format);
    const bool saved = SaveDialog<CInputColumnsDlg>(folder + "input-columns-map.png") &&
                       SaveDialog<CECProcessDlg>(folder + "ec-process-columns.png") &&
                       SaveDialog<CBatchProcessDlg>(folder + "batch-columns.png");
    StoreInputFormat(kelvara::InputFormat{});
    return saved;
}

// What a user typed before starting a run: long paths, the planar fit with
// its coefficients, the standard methods.
void TypePlanarFitAndStandard(TemplateDialog& dialog, int firstRadio, const std::array<int, 3>& coefficientBoxes,
                              int standardBox) {
    dialog.SetRadioIndex(firstRadio, 1);
    const char* coefficients[] = {"0.0213", "-0.0384", "0.0127"};
    for (std::size_t i = 0; i < coefficientBoxes.size(); ++i)
        dialog.SetControlText(coefficientBoxes[i], coefficients[i]);
    static_cast<wxCheckBox*>(dialog.Control(standardBox))->SetValue(true);
}

void TypeSingleRun(CECProcessDlg& dialog) {
    using namespace kelvara::res;
    dialog.SetControlText(IDC_FIRST_FILE, "/home/ana/tower/2024/06/TOA5_forest_edge.ts_data_2024_06_01.dat");
    dialog.SetControlText(IDC_SECOND_FILE, "/home/ana/tower/2024/06/TOA5_forest_edge.ts_data_2024_06_02.dat");
    dialog.SetControlText(IDC_OUTPUT_FILE, "/home/ana/tower/results/0601");
    TypePlanarFitAndStandard(dialog, IDC_EC_TWO_AXIS, {IDC_EC_B0, IDC_EC_B1, IDC_EC_B2}, IDC_EC_STANDARD);
}

void TypeBatch(CBatchProcessDlg& dialog) {
    using namespace kelvara::res;
    dialog.SetControlText(IDC_LIST_FILE, "/home/ana/tower/2024/06/files-of-june-at-the-forest-edge.txt");
    TypePlanarFitAndStandard(dialog, IDC_BATCH_TWO_AXIS, {IDC_BATCH_B0, IDC_BATCH_B1, IDC_BATCH_B2},
                             IDC_BATCH_STANDARD);
}

// A job dialog as it opens again once a run was started: the files named
// do not exist, so the run stops at once with a message, answered with OK.
template <class Dialog>
bool SaveReopened(const wxString& file, void (*type)(Dialog&)) {
    {
        Dialog dialog(wxGetApp().MainFrame());
        type(dialog);
        AnswerMessageBoxes([&] { Press(dialog, wxID_OK); }, [](wxDialog&) {});
    }
    return SaveDialog<Dialog>(file);
}

// The limits of the shipped range.ini.
void FillRanges(CSetRangeDlg& dialog) {
    const char* limits[] = {"-50", "50", "-50", "50", "-10", "10", "0", "1500", "0", "40", "-40", "60", "60", "110"};
    for (std::size_t i = 0; i < kelvara::res::kRangeBoxesInFileOrder.size(); ++i) {
        dialog.SetControlText(kelvara::res::kRangeBoxesInFileOrder[i], limits[i]);
    }
}

// A job's failure with what the job explained: which file and why, and
// where the half hours written before it are kept.
void ShowFailureWithDetails(CECProcessDlg& port) {
    port.ExplainFailure("/home/ana/tower/2024/06/TOA5_forest_edge.ts_data_2024_06_01.dat", "Input/output error");
    port.ExplainPartialResults("/home/ana/tower/results/0601.r1w", "/home/ana/tower/results/0601.r1w.partial");
    kelvara::Show(port, kelvara::messages::kCannotReadRaw);
}

// The results window on a corrected file: a day with a trend, so that
// some half hours are flagged 2.
bool SaveFluxResultsWindow(const wxString& file) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto raw = folder / "kelvara-screenshot-trend.dat";
    kelvara::SiteSettings site;
    site.measurementHeight = 3.0;
    site.latitude = 50.0;
    kelvara::SilentPort port;
    const bool made = kelvara::samples::WriteRawSample(raw, {.seed = 3, .hours = 12, .trend = 0.3}) &&
                      kelvara::RunJob().Run({.methods = kelvara::Methods::Corrected,
                                             .files = {raw.string()},
                                             .outputFile = (folder / "trend").string(),
                                             .site = site},
                                            port);
    std::filesystem::remove(raw);
    std::filesystem::remove(folder / "trend.flux.json");
    return SaveResultsOf(folder / "trend.flux.csv", made, file);
}

// Site and Instruments over a site file of a tower that was filled in.
bool SaveFilledSiteDialog(const wxString& file) {
    const std::filesystem::path site = std::filesystem::temp_directory_path() / "kelvara-screenshot-forest-edge.ini";
    kelvara::SiteSettings settings;
    settings.measurementHeight = 32.5;
    settings.canopyHeight = 24.0;
    settings.latitude = 61.8475;
    settings.sonicAzimuth = 215.0;
    settings.sepNorth = 0.12;
    settings.sepEast = -0.08;
    settings.sepVertical = 0.05;
    settings.correctionOrder = kelvara::CorrectionOrder::Peer;
    std::string problem;
    if (!kelvara::WriteSiteFile(site, settings, problem)) return false;
    const bool saved =
        SaveDialog<CSiteInstrumentsDlg>(file, [&](CSiteInstrumentsDlg& dialog) { dialog.OpenFile(site); });
    std::filesystem::remove(site);
    return saved;
}

// A site dialog whose boxes do not read: the parser's message.
void ShowSiteProblem(CSiteInstrumentsDlg& dialog) {
    dialog.SetControlText(kelvara::res::kSiteKeyBoxes[0], "2");
    dialog.SetControlText(kelvara::res::kSiteKeyBoxes[3], "61 N");
    dialog.Accept();
}

// The single run over a stream of files chosen together, corrections on.
void TypeCorrectedStream(CECProcessDlg& dialog) {
    using namespace kelvara::res;
    SetFilesPrompt([](const FilePromptRequest&) {
        std::vector<wxString> files;
        for (const char* name :
             {"0000", "0015", "0030", "0045", "0100", "0115", "0130", "0145", "0200", "0215", "0230", "0245"}) {
            files.push_back(wxString("/home/ana/tower/2024/06/01/TOA5_forest_edge_") + name + ".dat");
        }
        return files;
    });
    auto* corrected = static_cast<wxCheckBox*>(dialog.Control(IDC_EC_CORRECTED));
    corrected->SetValue(true);
    wxCommandEvent click(wxEVT_CHECKBOX, IDC_EC_CORRECTED);
    click.SetEventObject(corrected);
    click.SetInt(1);
    corrected->ProcessWindowEvent(click);
    Press(dialog, IDC_BROWSE_FIRST);
    SetFilesPrompt({});
    dialog.SetControlText(IDC_OUTPUT_FILE, "/home/ana/tower/results/0601");
}

void TickBatchCorrections(CBatchProcessDlg& dialog) {
    using namespace kelvara::res;
    dialog.SetControlText(IDC_LIST_FILE, "/home/ana/tower/2024/06/files-of-june-at-the-forest-edge.txt");
    static_cast<wxCheckBox*>(dialog.Control(IDC_BATCH_STANDARD))->SetValue(true);
    static_cast<wxCheckBox*>(dialog.Control(IDC_BATCH_CORRECTED))->SetValue(true);
}

bool SaveEveryWindow(const wxString& folder) {
    CMainFrame& frame = *wxGetApp().MainFrame();
    const kelvara::JobMessage& warning = kelvara::messages::single_run::kNoFirstFile;
    const kelvara::JobMessage& finished = kelvara::messages::kFinished;
    // A job dialog, hidden, as the port that shows a job's messages.
    CECProcessDlg port(&frame);
    const char* const kRangeWarning =
        "3 half hours rejected by the range limits: Ts: 17999 values above Ts-Max 4 (range.ini); "
        "P: 5 values below P-Min 80, 2 values not a number (range.ini)";
    const bool results[] = {
        SaveWindow(frame, folder + "main-window.png"),
        SaveDialog<CAboutDlg>(folder + "about.png"),
        SaveDialog<CECProcessDlg>(folder + "ec-process.png"),
        SaveDialog<CSecondFileDlg>(folder + "no-second-file.png"),
        SaveDialog<CBatchProcessDlg>(folder + "batch.png"),
        SaveDialog<CAppendDlg>(folder + "append.png"),
        SaveDialog<CMergeDlg>(folder + "merge.png"),
        SaveDialog<CSetRangeDlg>(folder + "range-setting.png", FillRanges),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit.png"),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit-result.png", FitTiltedSonic),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit-refused.png", FitTooShortARecord),
        SaveResultsWindow(folder + "results-window.png"),
        SaveDialog<CInputColumnsDlg>(folder + "input-columns.png"),
        SaveWithColumnMap(folder),
        SaveDialog<CSiteInstrumentsDlg>(folder + "site-instruments.png"),
        SaveFilledSiteDialog(folder + "site-instruments-filled.png"),
        SaveMessageBox(
            [&] {
                CSiteInstrumentsDlg site(&frame);
                ShowSiteProblem(site);
            },
            folder + "message-site-file.png"),
        SaveDialog<CECProcessDlg>(folder + "ec-process-corrections.png", TypeCorrectedStream),
        SaveDialog<CBatchProcessDlg>(folder + "batch-corrections.png", TickBatchCorrections),
        SaveMessageBox(
            [&] {
                CBatchProcessDlg batch(&frame);
                batch.ShowSharedHalfHours("/home/ana/tower/2024/06/01/TOA5_forest_edge_0000.dat",
                                          "/home/ana/tower/2024/06/01/TOA5_forest_edge_0015.dat", "2024-06-01 00:30",
                                          47);
            },
            folder + "message-shared-half-hours.png"),
        SaveFluxResultsWindow(folder + "results-window-flux.png"),
        SaveMessageBox([&] { ShowMessageBox(&frame, warning); }, folder + "message-exclamation.png"),
        SaveMessageBox([&] { ShowMessageBox(&frame, finished); }, folder + "message-finished.png"),
        SaveMessageBox([&] { ShowFailureWithDetails(port); }, folder + "message-failure-details.png"),
        SaveMessageBox([&] { port.ShowWarning(kRangeWarning); }, folder + "message-warning.png"),
        // Last: the settings remember these runs from now on.
        SaveReopened<CECProcessDlg>(folder + "ec-process-remembered.png", TypeSingleRun),
        SaveReopened<CBatchProcessDlg>(folder + "batch-remembered.png", TypeBatch),
    };
    for (bool saved : results) {
        if (!saved) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: kelvara-screenshots OUTDIR\n", stderr);
        return 2;
    }
    const wxString folder = wxString::FromUTF8(argv[1]) + "/";
    int wxArgc = 1;  // the program starts with an empty document, as with no file named
    if (!wxEntryStart(wxArgc, argv)) {
        std::fputs("kelvara-screenshots: cannot start the toolkit (no display?)\n", stderr);
        return 1;
    }
    // Never block on a question: asserts and log messages go to stderr.
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
            std::fprintf(stderr, "%s:%d: wx assert in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
                         static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
                         static_cast<const char*>(msg.utf8_str()));
        });
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    int status = 1;
    if (wxTheApp->CallOnInit()) {
        status = SaveEveryWindow(folder) ? 0 : 1;
        for (wxWindow* window : wxTopLevelWindows) window->Destroy();
        LetItDraw();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return status;
}
