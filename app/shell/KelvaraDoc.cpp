#include "shell/KelvaraDoc.h"

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara::app {

wxIMPLEMENT_DYNAMIC_CLASS(CKelvaraDoc, wxDocument);

bool CKelvaraDoc::OnNewDocument() { return wxDocument::OnNewDocument(); }

bool CKelvaraDoc::DoOpenDocument(const wxString& file) { return IsReadableFile(PathFromText(file.utf8_string())); }

bool CKelvaraDoc::DoSaveDocument(const wxString&) { return true; }

}  // namespace kelvara::app
