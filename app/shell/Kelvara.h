#pragma once
// The application object: start-up, the document template, the per-user
// settings with the recent-file list, and the About command.

#include <memory>

#include <wx/app.h>
#include <wx/config.h>
#include <wx/docview.h>

namespace kelvara::app {

class CMainFrame;

inline constexpr int kRecentFileCount = 4;

class CKelvaraApp : public wxApp {
public:
    CKelvaraApp();

    bool OnInit() override;
    int OnExit() override;

    // Start-up once the command line is known: an empty name makes a new
    // document, a file name opens one. False when the main window could not
    // be made.
    bool StartUp(const wxString& file);

    CMainFrame* MainFrame() const;
    wxDocManager* DocManager() const { return docManager_; }
    // The per-user settings, once loaded; nullptr before.
    wxConfigBase* Settings() const { return settings_.get(); }

private:
    void LoadSettings();
    void SaveSettings();
    void OnAppAbout(wxCommandEvent& event);

    wxDocManager* docManager_ = nullptr;
    wxDocTemplate* docTemplate_ = nullptr;
    std::unique_ptr<wxConfigBase> settings_;
    wxString settingsFile_;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelvara::app

wxDECLARE_APP(kelvara::app::CKelvaraApp);
