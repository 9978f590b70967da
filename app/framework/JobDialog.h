#pragma once
// A template dialog that is also the job's port to the user: messages, the
// progress bar with its percentage text, and the batch's two status texts.
// A dialog without one of these controls ignores what would go to it.
// What a job explains before a failure message (the file and the system's
// reason, where its partial results are) shows in that message's box, below
// the message.

#include <functional>
#include <optional>
#include <string>

#include "framework/TemplateDialog.h"
#include "jobs/JobPort.h"
#include "jobs/ProgressBar.h"
#include "jobs/JobInputs.h"

class wxGauge;

namespace kelvara::app {

class JobDialog : public TemplateDialog, public kelvara::JobPort {
public:
    JobDialog(wxWindow* parent, const res::DialogTemplate& dialogTemplate);

    void ShowMessage(std::string_view text, std::string_view title, kelvara::MessageIcon icon) override;
    // A box titled "Warning"; a list in the warning shows one item a line.
    void ShowWarning(std::string_view text) override;
    void ExplainFailure(std::string_view file, std::string_view reason) override;
    void ExplainPartialResults(std::string_view resultsFile, std::string_view partialFile) override;
    // A warning box that says what to change, and where in the menus.
    void ShowNoFluxes(const kelvara::RunDiagnosis& diagnosis) override;
    // A warning that names EC Process as what joins the files.
    void ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time,
                             int pairs) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressStep(int step) override;
    void SetProgressPosition(int position) override;
    void StepProgress() override;
    void SetPercentText(std::string_view text) override;
    void SetStatusText(kelvara::StatusText which, std::string_view text) override;

protected:
    // Replaces the text of an edit with a path the user picks; true if one was.
    bool BrowseInto(int editNumber, bool overwritePrompt);
    // The rotation from the radio group's index and the three coefficient
    // boxes.
    kelvara::RotationInputs ReadRotationInputs(int radioIndex, int b0Edit, int b1Edit, int b2Edit) const;
    // One line saying which input columns are in force (empty for the
    // default layout); a line too long for its label ends in an ellipsis and
    // shows whole as the label's tooltip.
    void ShowInputColumnsNote(int noteLabel, const std::string& note);

    // "Corrections and flags (site file)" implies the standard methods:
    // ticking it ticks "Standard methods", clearing that clears it. Told
    // after either changes, onChange may follow the choice.
    void LinkMethodsBoxes(int standardBox, int correctedBox, std::function<void()> onChange = {});
    // The corrections when their box is ticked, else the standard methods
    // when theirs is, else the default method.
    kelvara::Methods ChosenMethods(int standardBox, int correctedBox) const;
    // The stored site file's settings for the corrected method; false, after
    // the parser's message, when the file does not read, or after the job's
    // "No Site File" (saying where the file goes) when there is none.
    bool ReadSiteFor(kelvara::Methods methods, std::optional<kelvara::SiteSettings>& site);

private:
    void ShowProgress();
    void SetTextAndRepaint(int controlNumber, std::string_view text);
    // A job runs inside a button handler: paint what it changed at once, but
    // leave the user's input queued until the job ends.
    void RepaintNow();

    wxGauge* gauge_ = nullptr;
    kelvara::ProgressBar bar_;
    // Told before the next message, shown with it.
    std::string failure_;
    std::string partialResults_;
};

}  // namespace kelvara::app
