#include "framework/InputColumnsSettings.h"

#include <wx/config.h>
#include <wx/log.h>

#include "framework/SettingsFile.h"

namespace kelvara::app {

namespace {

// Absolute keys: the settings object's current path belongs to others.
const char* const kColumnsKey = "/Input Columns/Columns";
const char* const kGoodStatusKey = "/Input Columns/GoodStatus";
const char* const kUnitCheckKey = "/Input Columns/UnitCheck";

}  // namespace

kelvara::InputFormat StoredInputFormat() {
    kelvara::InputFormat format;
    const wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return format;
    std::string problem;
    kelvara::InputFormat read;
    if (kelvara::ParseColumns(settings->Read(kColumnsKey, "detect").utf8_string(), read, problem)) format = read;
    kelvara::StatusRule::Parse(settings->Read(kGoodStatusKey, "0-13").utf8_string(), format.goodStatus, problem);
    format.checkUnits = settings->ReadBool(kUnitCheckKey, true);
    return format;
}

// A settings file that cannot be written is not worth a message.
void StoreInputFormat(const kelvara::InputFormat& format) {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return;
    wxLogNull quiet;
    settings->Write(kColumnsKey, wxString::FromUTF8(kelvara::ColumnsText(format)));
    settings->Write(kGoodStatusKey, wxString::FromUTF8(format.goodStatus.Text()));
    settings->Write(kUnitCheckKey, format.checkUnits);
    WriteSettingsNow(*settings);
}

std::string InputColumnsNote(const kelvara::InputFormat& format) {
    // Detection is what a new user gets; only a choice of their own is worth a note.
    if (format.source == kelvara::ColumnSource::Detect && format.goodStatus.IsRawFormatRule() && format.checkUnits) {
        return "";
    }
    std::string note = "Input columns: ";
    if (format.ReadsByPosition()) {
        note += "by position";
    } else if (format.source == kelvara::ColumnSource::Detect) {
        note += "names from the header when it names every column";
        if (!format.checkUnits) note += ", units unchecked";
    } else if (format.source == kelvara::ColumnSource::Auto) {
        note += "names from the header";
        if (!format.checkUnits) note += ", units unchecked";
    } else {
        note += kelvara::ColumnsText(format);
    }
    if (!format.goodStatus.IsRawFormatRule()) note += "; good status " + format.goodStatus.Text();
    return note;
}

}  // namespace kelvara::app
