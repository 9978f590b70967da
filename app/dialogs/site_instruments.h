#pragma once
// "Site and Instruments": the site file that the corrected fluxes read, a
// box per key. It edits site.ini in the settings folder, or the file last
// opened or saved here; Open… and Save As… choose another. OK (1) checks
// the boxes with the site file's own parser and saves the file edited;
// Cancel (2) leaves every file as it was.

#include <filesystem>
#include <string>
#include <vector>

#include "corrections/SiteSettings.h"
#include "framework/TemplateDialog.h"

namespace kelvara::app {

class CSiteInstrumentsDlg : public TemplateDialog {
public:
    explicit CSiteInstrumentsDlg(wxWindow* parent);

    // Saves the boxes into the file edited and keeps its name for the jobs;
    // false, with the problem shown, when they do not read or the file
    // cannot be written.
    bool Accept();
    // Shows the settings of a site file; false, with the parser's message
    // shown, when it does not read (the boxes then stay).
    bool OpenFile(const std::filesystem::path& file);
    // Accept, into another file, which is edited from then on.
    bool SaveAs(const std::filesystem::path& file);

    const std::filesystem::path& EditedFile() const { return file_; }

private:
    void ShowTexts(const std::vector<std::string>& texts);
    std::vector<std::string> BoxTexts() const;
    bool ReadBoxes(kelvara::SiteSettings& settings);
    bool SaveInto(const std::filesystem::path& file);
    void ShowFileNote();

    void OnOpen(wxCommandEvent& event);
    void OnSaveAs(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    std::filesystem::path file_;
};

}  // namespace kelvara::app
