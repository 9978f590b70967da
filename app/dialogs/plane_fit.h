#pragma once
// "Planar Fit Coefficients": fits b0, b1, b2 to the half-hour mean winds of
// a list file's raw files or of one raw file, with the user's screen. Fit
// (1) runs the fit and shows the result and the half hours left out; Copy
// puts "B0 B1 B2" on the clipboard; Close (2) ends the dialog.

#include <optional>
#include <string>

#include "framework/JobDialog.h"
#include "pipeline/PlaneFit.h"

namespace kelvara::app {

class CPlaneFitDlg : public JobDialog {
public:
    explicit CPlaneFitDlg(wxWindow* parent);

    // The text Copy puts on the clipboard; empty until a fit succeeds.
    const std::string& CoefficientsText() const { return coefficients_; }

private:
    void OnFit(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    // The three boxes as numbers; nothing after telling the user which box
    // holds no usable number.
    std::optional<kelvara::PlaneFitScreen> ReadScreen();
    void ShowResult(const std::string& text, const std::string& coefficients);

    std::string coefficients_;
};

}  // namespace kelvara::app
