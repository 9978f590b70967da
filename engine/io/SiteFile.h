#pragma once
// The site file (INI): sections [site], [sonic], [irga], [lag] and
// [processing] of `key = value` lines, # or ; comments. Every key is
// optional but measurement_height and latitude.

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "corrections/SiteSettings.h"

namespace kelvara {

// Why a site file was refused: the line (0 when the problem has none, a
// required key left out) and the key ("section.key", empty when the line
// names none), and the whole sentence for the user.
struct SiteFileError {
    int line = 0;
    std::string key;
    std::string message;
};

// Reads a site file's text. False, with error set, for an unknown section or
// key, a key given twice, a bad value or a missing required key.
bool ParseSiteText(std::string_view text, SiteSettings& settings, SiteFileError& error);

// The same from a file; the message then starts with the file's name. A
// file that cannot be read is an error too.
bool ReadSiteFile(const std::filesystem::path& file, SiteSettings& settings, SiteFileError& error);

// A commented site file with every key and its default (the required keys
// left empty), for `kelvara-cli site --template`.
std::string SiteFileTemplate();

// The site file of these settings: every key with the template's comments,
// numbers in their shortest exact form, so that ParseSiteText reads back the
// same settings. A displacement height left out stays left out (a comment).
std::string SiteFileText(const SiteSettings& settings);

// The same written to a file, under a temporary name until complete. False,
// with the reason, when it cannot be.
bool WriteSiteFile(const std::filesystem::path& file, const SiteSettings& settings, std::string& problem);

// A site file of values as a user typed them, one text per key in the order
// of SiteSettingsEntries (a key with an empty text is left out, as a
// comment), laid out as SiteFileText: what ParseSiteText says of it names
// the key and its line in that text.
std::string SiteFileTextOfValues(const std::vector<std::string>& values);

// The settings as a site file would spell them, every default filled in:
// numbers as numbers, `auto` and the choices as their words.
using SiteValue = std::variant<double, std::string>;
struct SiteEntry {
    std::string key;
    SiteValue value;
    bool required = false;  // measurement_height and latitude
};
struct SiteSection {
    std::string name;
    std::vector<SiteEntry> entries;
};
std::vector<SiteSection> SiteSettingsEntries(const SiteSettings& settings);

// A value as the site file spells it.
std::string SiteValueText(const SiteValue& value);

// Each key's value as SiteFileText writes it, in the order of
// SiteSettingsEntries; empty for a displacement height left out.
std::vector<std::string> SiteValueTexts(const SiteSettings& settings);

}  // namespace kelvara
