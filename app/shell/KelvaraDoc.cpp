#include "shell/KelvaraDoc.h"

#include <fstream>

#include <wx/filename.h>

namespace kelvara::app {

wxIMPLEMENT_DYNAMIC_CLASS(CKelvaraDoc, wxDocument);

bool CanOpenForReading(const wxString& file) {
    if (wxFileName::DirExists(file)) return false;
    std::ifstream stream(file.fn_str(), std::ios::binary);
    return stream.is_open();
}

bool CKelvaraDoc::OnNewDocument() { return wxDocument::OnNewDocument(); }

bool CKelvaraDoc::DoOpenDocument(const wxString& file) { return CanOpenForReading(file); }

bool CKelvaraDoc::DoSaveDocument(const wxString&) { return true; }

}  // namespace kelvara::app
