#include "shell/Kelvara.h"

#include <cstdio>

#include <wx/filehistory.h>
#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/tokenzr.h>

#include "MainResources.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "dialogs/AboutDlg.h"
#include "framework/Artwork.h"
#include "framework/CommandIds.h"
#include "framework/SettingsFile.h"
#include "shell/KelvaraDoc.h"
#include "shell/KelvaraView.h"
#include "shell/MainFrm.h"

namespace kelvara::app {

namespace {

// The framework's document manager with a recent-file list of 4 entries.
// It is set up after construction, when the override below is in place.
class KelvaraDocManager : public wxDocManager {
public:
    KelvaraDocManager() : wxDocManager(0, false) { Initialize(); }
    wxFileHistory* OnCreateFileHistory() override { return new wxFileHistory(kRecentFileCount); }
};

// Fields of the document template string, in the framework's order.
enum TemplateField { kWindowTitle, kDocName, kFileNewName, kFilterName, kFilterExt, kRegTypeId, kRegTypeName };

wxString TemplateStringField(TemplateField field) {
    const wxArrayString fields =
        wxStringTokenize(wxString::FromUTF8(res::kDocTemplateString), "\n", wxTOKEN_RET_EMPTY_ALL);
    return field < static_cast<int>(fields.size()) ? fields[field] : wxString();
}

}  // namespace

wxBEGIN_EVENT_TABLE(CKelvaraApp, wxApp)
    EVT_MENU(ToWxId(res::ID_APP_ABOUT), CKelvaraApp::OnAppAbout)
wxEND_EVENT_TABLE()

CKelvaraApp::CKelvaraApp() { SetAppName("Kelvara"); }

// The standard command line: nothing, or one file name.
bool CKelvaraApp::OnInit() {
    if (argc > 2) {
        std::fputs("Kelvara: usage: Kelvara [file]\n", stderr);
        return false;
    }
    const wxString file = argc == 2 ? argv[1] : wxString();
    if (!file.empty() && !IsReadableFile(PathFromText(file.utf8_string()))) {
        std::fprintf(stderr, "Kelvara: cannot open %s\n", static_cast<const char*>(file.utf8_str()));
        return false;
    }
    return StartUp(file);
}

bool CKelvaraApp::StartUp(const wxString& file) {
    LoadSettings();

    if (docManager_ == nullptr) {
        docManager_ = new KelvaraDocManager;
        docManager_->SetMaxDocsOpen(1);
        docManager_->FileHistoryLoad(*settings_);
    }
    // Closing the main window drops the templates along with the documents.
    if (docManager_->GetTemplates().empty()) {
        docTemplate_ =
            new wxDocTemplate(docManager_, TemplateStringField(kFileNewName), "*", wxString(),
                              TemplateStringField(kFilterExt), TemplateStringField(kRegTypeId),
                              TemplateStringField(kRegTypeName), wxCLASSINFO(CKelvaraDoc), wxCLASSINFO(CKelvaraView));
    }

    auto* frame = new CMainFrame(docManager_);
    SetTopWindow(frame);
    if (!frame->IsComplete()) {
        frame->Destroy();
        return false;
    }
    const wxDocument* document =
        file.empty() ? docManager_->CreateNewDocument() : docManager_->CreateDocument(file, wxDOC_SILENT);
    if (document == nullptr) {
        frame->Destroy();
        return false;
    }
    frame->Show(true);
    frame->Update();
    return true;
}

void CKelvaraApp::LoadSettings() {
    if (settings_) return;
    settingsFile_ = SettingsFilePath();
    settings_ =
        std::make_unique<wxFileConfig>(GetAppName(), wxString(), settingsFile_, wxString(), wxCONFIG_USE_LOCAL_FILE);
    settings_->SetPath("/Recent File List");
    // Windows and dialogs read the settings through wxConfigBase::Get().
    wxConfigBase::Set(settings_.get());
}

// A settings file that cannot be written is not worth a message at exit.
void CKelvaraApp::SaveSettings() {
    if (!settings_ || docManager_ == nullptr) return;
    wxLogNull quiet;
    settings_->SetPath("/Recent File List");
    docManager_->FileHistorySave(*settings_);
    WriteSettingsNow(*settings_);
}

int CKelvaraApp::OnExit() {
    SaveSettings();
    delete docManager_;
    docManager_ = nullptr;
    {
        wxLogNull quiet;
        if (wxConfigBase::Get(false) == settings_.get()) wxConfigBase::Set(nullptr);
        settings_.reset();
    }
    return wxApp::OnExit();
}

CMainFrame* CKelvaraApp::MainFrame() const { return dynamic_cast<CMainFrame*>(GetTopWindow()); }

void CKelvaraApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(GetTopWindow());
    dialog.ShowModal();
}

}  // namespace kelvara::app
