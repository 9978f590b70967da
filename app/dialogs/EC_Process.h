#pragma once
// "EC Process": the single run. Process (1) runs it and leaves the dialog
// open; Close (2) ends the dialog. It opens with the files, the rotation and
// the methods of the last run started, kept in the per-user settings.
//
// The standard methods and the corrections read a stream of raw files: the
// first file's Browse then takes several files at once, which the first
// file's box shows as a count; a second file, when one is named, joins them.

#include <string>
#include <vector>

#include "framework/JobDialog.h"
#include "jobs/RunJob.h"

namespace kelvara::app {

class CECProcessDlg : public JobDialog {
public:
    explicit CECProcessDlg(wxWindow* parent);

    int RotationChoice() const { return rotation_; }

    // "No Second File": the default method's run asks before it goes on
    // without a second raw file.
    kelvara::SecondFileAnswer AskNoSecondFile() override;

    // The files of the stream chosen together, as the first file's box shows
    // them: "12 files" (its tooltip names them); one file is its path.
    static wxString StreamText(const std::vector<std::string>& files);

private:
    void OnProcess(wxCommandEvent& event);
    void OnBrowseFirst(wxCommandEvent& event);
    void OnBrowseSecond(wxCommandEvent& event);
    void OnBrowseOutput(wxCommandEvent& event);
    void OnView(wxCommandEvent& event);

    bool ReadsStream() const;
    // Back to the default method, the first file's box shows the first file
    // of a stream, the one that method reads.
    void ShowMethods();
    void ShowStream(std::vector<std::string> files);
    // What the first file's box stands for: the stream chosen together while
    // it still shows it, else its text.
    std::vector<std::string> FirstFiles() const;
    // Those and the second file, when one is named.
    std::vector<std::string> RawFiles() const;

    // The rotation choice as last exchanged with the radio buttons:
    // 0 = "2-Axis Rotation", 1 = "Planar fit".
    int rotation_ = 0;
    std::vector<std::string> stream_;  // several files chosen at once, in name order
    kelvara::RunJob job_;
    std::string lastResults_;  // the results file of the last run that finished
};

}  // namespace kelvara::app
