#include "io/SiteFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/TemporaryFile.h"

namespace kelvara {

namespace {

// What a number of a key may be.
enum class Limit { Any, NonNegative, Positive, Latitude, Percent };

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The shortest text that reads back as the same double.
std::string NumberText(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Empty when the text is a finite number within the limit; else why not.
std::string ReadNumber(std::string_view text, Limit limit, double& out) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0.0;
    const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (status != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value) || digits.empty()) {
        return Quoted(text) + " is not a number";
    }
    switch (limit) {
        case Limit::Any:
            break;
        case Limit::NonNegative:
            if (value < 0.0) return NumberText(value) + " must be 0 or more";
            break;
        case Limit::Positive:
            if (value <= 0.0) return NumberText(value) + " must be above 0";
            break;
        case Limit::Latitude:
            if (value < -90.0 || value > 90.0) return NumberText(value) + " must be between -90 and 90";
            break;
        case Limit::Percent:
            if (value < 0.0 || value > 100.0) return NumberText(value) + " must be between 0 and 100";
            break;
    }
    out = value;
    return {};
}

std::string ReadOptional(std::string_view text, Limit limit, std::optional<double>& out) {
    double value = 0.0;
    std::string problem = ReadNumber(text, limit, value);
    if (problem.empty()) out = value;
    return problem;
}

std::string ReadNumberOrAuto(std::string_view text, Limit limit, std::optional<double>& out) {
    if (Lower(text) == "auto") {
        out.reset();
        return {};
    }
    double value = 0.0;
    std::string problem = ReadNumber(text, limit, value);
    if (!problem.empty())
        return problem.find("is not a number") != std::string::npos ? Quoted(text) + " is neither a number nor auto"
                                                                    : problem;
    out = value;
    return {};
}

SiteValue AutoOr(const std::optional<double>& value) {
    return value ? SiteValue(*value) : SiteValue(std::string("auto"));
}

template <std::size_t N>
using Names = std::array<std::string_view, N>;

constexpr Names<2> kUPositiveNames = {"from", "toward"};
constexpr Names<4> kLagMethodNames = {"none", "constant", "maxcov", "maxcov_default"};
constexpr Names<2> kSpectralNames = {"moncrieff97", "none"};
constexpr Names<2> kHighPassNames = {"single", "product"};
constexpr Names<2> kOrderNames = {"covariances", "peer"};
constexpr Names<2> kObukhovFluxNames = {"buoyancy", "sensible"};
constexpr Names<2> kObukhovTemperatureNames = {"actual", "potential"};
constexpr Names<2> kWindDirectionNames = {"vector", "unit"};

// The names follow each enumeration's order.
template <class Enum, std::size_t N>
std::string ReadChoice(std::string_view text, const Names<N>& names, Enum& out) {
    const std::string lower = Lower(text);
    for (std::size_t i = 0; i < N; ++i) {
        if (lower == names[i]) {
            out = static_cast<Enum>(i);
            return {};
        }
    }
    std::string listed;
    for (const std::string_view name : names) listed += (listed.empty() ? "" : ", ") + std::string(name);
    return Quoted(text) + " is not one of " + listed;
}

template <class Enum, std::size_t N>
SiteValue ChoiceValue(const Names<N>& names, Enum value) {
    return std::string(names[static_cast<std::size_t>(value)]);
}

struct KeyEntry {
    std::string_view section;
    std::string_view key;
    std::string_view help;  // the template's comment line
    // Reads the value text into the settings: empty when it reads, else why not.
    std::string (*read)(std::string_view text, SiteSettings& settings);
    // The value as a site file spells it, the defaults filled in.
    SiteValue (*value)(const SiteSettings& settings);
    bool required = false;
};

using S = SiteSettings;
using T = std::string_view;

const KeyEntry kKeys[] = {
    {"site", "measurement_height", "Height of the measurement above the ground, m.",
     [](T t, S& s) { return ReadNumber(t, Limit::Positive, s.measurementHeight); },
     [](const S& s) { return SiteValue(s.measurementHeight); }, true},
    {"site", "displacement_height", "Zero-plane displacement, m; left out: 0.67 x canopy_height.",
     [](T t, S& s) { return ReadOptional(t, Limit::NonNegative, s.displacementHeight); },
     [](const S& s) { return SiteValue(s.DisplacementHeight()); }},
    {"site", "canopy_height", "Height of the canopy, m.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.canopyHeight); },
     [](const S& s) { return SiteValue(s.canopyHeight); }},
    {"site", "latitude", "Latitude, degrees north (south is negative).",
     [](T t, S& s) { return ReadNumber(t, Limit::Latitude, s.latitude); },
     [](const S& s) { return SiteValue(s.latitude); }, true},

    {"sonic", "path_length", "Path length of the sonic anemometer, m.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.sonicPathLength); },
     [](const S& s) { return SiteValue(s.sonicPathLength); }},
    {"sonic", "time_constant", "Time constant of the sonic, s.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.sonicTimeConstant); },
     [](const S& s) { return SiteValue(s.sonicTimeConstant); }},
    {"sonic", "azimuth", "Direction the sonic points, degrees from north.",
     [](T t, S& s) { return ReadNumber(t, Limit::Any, s.sonicAzimuth); },
     [](const S& s) { return SiteValue(s.sonicAzimuth); }},
    {"sonic", "u_positive", "from: +u is wind coming from the azimuth; toward: air moving toward it.",
     [](T t, S& s) { return ReadChoice(t, kUPositiveNames, s.uPositive); },
     [](const S& s) { return ChoiceValue(kUPositiveNames, s.uPositive); }},
    {"sonic", "declination", "Magnetic declination, degrees, added to the azimuth.",
     [](T t, S& s) { return ReadNumber(t, Limit::Any, s.declination); },
     [](const S& s) { return SiteValue(s.declination); }},

    {"irga", "path_length", "Path length of the gas analyser, m.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.irgaPathLength); },
     [](const S& s) { return SiteValue(s.irgaPathLength); }},
    {"irga", "time_constant", "Time constant of the gas analyser, s.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.irgaTimeConstant); },
     [](const S& s) { return SiteValue(s.irgaTimeConstant); }},
    {"irga", "sep_north", "Analyser's path centre north of the sonic's volume, m.",
     [](T t, S& s) { return ReadNumber(t, Limit::Any, s.sepNorth); }, [](const S& s) { return SiteValue(s.sepNorth); }},
    {"irga", "sep_east", "... east of it, m.", [](T t, S& s) { return ReadNumber(t, Limit::Any, s.sepEast); },
     [](const S& s) { return SiteValue(s.sepEast); }},
    {"irga", "sep_vertical", "... above it, m.", [](T t, S& s) { return ReadNumber(t, Limit::Any, s.sepVertical); },
     [](const S& s) { return SiteValue(s.sepVertical); }},

    {"lag", "method", "none, constant (the defaults), maxcov, or maxcov_default (the default on the window's edge).",
     [](T t, S& s) { return ReadChoice(t, kLagMethodNames, s.lagMethod); },
     [](const S& s) { return ChoiceValue(kLagMethodNames, s.lagMethod); }},
    {"lag", "co2_min", "CO2 lag window, s, or auto: +-(2 s/m x separation + 0.3 s).",
     [](T t, S& s) { return ReadNumberOrAuto(t, Limit::Any, s.co2Min); }, [](const S& s) { return AutoOr(s.co2Min); }},
    {"lag", "co2_max", "", [](T t, S& s) { return ReadNumberOrAuto(t, Limit::Any, s.co2Max); },
     [](const S& s) { return AutoOr(s.co2Max); }},
    {"lag", "h2o_min", "H2O lag window, s, or auto.",
     [](T t, S& s) { return ReadNumberOrAuto(t, Limit::Any, s.h2oMin); }, [](const S& s) { return AutoOr(s.h2oMin); }},
    {"lag", "h2o_max", "", [](T t, S& s) { return ReadNumberOrAuto(t, Limit::Any, s.h2oMax); },
     [](const S& s) { return AutoOr(s.h2oMax); }},
    {"lag", "co2_default", "Default lags, s.", [](T t, S& s) { return ReadNumber(t, Limit::Any, s.co2Default); },
     [](const S& s) { return SiteValue(s.co2Default); }},
    {"lag", "h2o_default", "", [](T t, S& s) { return ReadNumber(t, Limit::Any, s.h2oDefault); },
     [](const S& s) { return SiteValue(s.h2oDefault); }},

    {"processing", "fs", "Sampling frequency, Hz, or auto (from the first records' time stamps).",
     [](T t, S& s) { return ReadNumberOrAuto(t, Limit::Positive, s.fs); }, [](const S& s) { return AutoOr(s.fs); }},
    {"processing", "spectral", "moncrieff97, or none (every spectral factor 1).",
     [](T t, S& s) { return ReadChoice(t, kSpectralNames, s.spectral); },
     [](const S& s) { return ChoiceValue(kSpectralNames, s.spectral); }},
    {"processing", "hp_transfer", "Block average's transfer: single (once), or product (squared).",
     [](T t, S& s) { return ReadChoice(t, kHighPassNames, s.hpTransfer); },
     [](const S& s) { return ChoiceValue(kHighPassNames, s.hpTransfer); }},
    {"processing", "correction_order",
     "covariances (each corrected before the density terms), or peer (the other processor's order).",
     [](T t, S& s) { return ReadChoice(t, kOrderNames, s.correctionOrder); },
     [](const S& s) { return ChoiceValue(kOrderNames, s.correctionOrder); }},
    {"processing", "obukhov_flux", "Obukhov length from the buoyancy flux, or the sensible heat flux.",
     [](T t, S& s) { return ReadChoice(t, kObukhovFluxNames, s.obukhovFlux); },
     [](const S& s) { return ChoiceValue(kObukhovFluxNames, s.obukhovFlux); }},
    {"processing", "obukhov_temperature", "actual, or potential temperature in the Obukhov length.",
     [](T t, S& s) { return ReadChoice(t, kObukhovTemperatureNames, s.obukhovTemperature); },
     [](const S& s) { return ChoiceValue(kObukhovTemperatureNames, s.obukhovTemperature); }},
    {"processing", "von_karman", "von Karman constant (the other processor: 0.41).",
     [](T t, S& s) { return ReadNumber(t, Limit::Positive, s.vonKarman); },
     [](const S& s) { return SiteValue(s.vonKarman); }},
    {"processing", "wind_direction", "vector (of the mean wind), or unit (mean of the records' directions).",
     [](T t, S& s) { return ReadChoice(t, kWindDirectionNames, s.windDirection); },
     [](const S& s) { return ChoiceValue(kWindDirectionNames, s.windDirection); }},
    {"processing", "ru_max_lag_s", "Random error: how far the cross-correlation is searched, s.",
     [](T t, S& s) { return ReadNumber(t, Limit::NonNegative, s.ruMaxLagSeconds); },
     [](const S& s) { return SiteValue(s.ruMaxLagSeconds); }},
    {"processing", "min_coverage", "Below this percentage of good records every flag is 2.",
     [](T t, S& s) { return ReadNumber(t, Limit::Percent, s.minCoverage); },
     [](const S& s) { return SiteValue(s.minCoverage); }},
};

constexpr std::size_t kKeyCount = std::size(kKeys);
constexpr std::string_view kSections[] = {"site", "sonic", "irga", "lag", "processing"};

std::string KeyName(const KeyEntry& entry) { return std::string(entry.section) + "." + std::string(entry.key); }

std::string Bracketed(std::string_view section) { return "[" + std::string(section) + "]"; }

std::string KeysOf(std::string_view section) {
    std::string listed;
    for (const KeyEntry& entry : kKeys) {
        if (entry.section == section) listed += (listed.empty() ? "" : ", ") + std::string(entry.key);
    }
    return listed;
}

bool Fail(SiteFileError& error, int line, std::string key, std::string message) {
    error.line = line;
    error.key = std::move(key);
    error.message = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + std::move(message);
    return false;
}

// The value without a comment that follows it after a blank.
std::string_view ValueText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '#' || text[i] == ';') && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t')) {
            return Trim(text.substr(0, i));
        }
    }
    return Trim(text);
}

// Checks that need several keys, once all are read.
bool CheckTogether(const SiteSettings& s, const std::array<int, kKeyCount>& lines, SiteFileError& error) {
    const auto lineOf = [&](std::string_view section, std::string_view key) {
        for (std::size_t i = 0; i < kKeyCount; ++i) {
            if (kKeys[i].section == section && kKeys[i].key == key) return lines[i];
        }
        return 0;
    };
    if (!(s.AerodynamicHeight() > 0.0)) {
        return Fail(error, lineOf("site", "measurement_height"), "site.measurement_height",
                    "[site] measurement_height " + NumberText(s.measurementHeight) +
                        " must be above the displacement height " + NumberText(s.DisplacementHeight()));
    }
    const double separation =
        std::sqrt(s.sepNorth * s.sepNorth + s.sepEast * s.sepEast + s.sepVertical * s.sepVertical);
    const double reach = 2.0 * separation + 0.3;
    const auto window = [&](const char* gas, const std::optional<double>& min, const std::optional<double>& max) {
        if (min.value_or(-reach) <= max.value_or(reach)) return true;
        const std::string key = std::string(gas) + "_max";
        return Fail(error, lineOf("lag", key), "lag." + key,
                    "[lag] the " + std::string(gas) + " lag window runs from " + NumberText(min.value_or(-reach)) +
                        " s to " + NumberText(max.value_or(reach)) + " s: its end must not be below its start");
    };
    return window("co2", s.co2Min, s.co2Max) && window("h2o", s.h2oMin, s.h2oMax);
}

}  // namespace

bool ParseSiteText(std::string_view text, SiteSettings& settings, SiteFileError& error) {
    SiteSettings parsed;
    std::array<int, kKeyCount> lines{};
    std::string section;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int number = 0;
    while (!text.empty() || number == 0) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos || !ValueText(line.substr(close + 1)).empty()) {
                return Fail(error, number, "", Quoted(line) + " is not a [section] line");
            }
            section = Lower(Trim(line.substr(1, close - 1)));
            if (std::find(std::begin(kSections), std::end(kSections), section) == std::end(kSections)) {
                return Fail(error, number, "",
                            "unknown section " + Bracketed(section) +
                                "; the sections are [site], [sonic], [irga], [lag] and [processing]");
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return Fail(error, number, "", Quoted(line) + " is neither a [section], a key = value nor a comment");
        }
        const std::string key = Lower(Trim(line.substr(0, equals)));
        if (section.empty()) return Fail(error, number, key, "the key " + Quoted(key) + " comes before any [section]");
        const auto entry = std::find_if(std::begin(kKeys), std::end(kKeys),
                                        [&](const KeyEntry& e) { return e.section == section && e.key == key; });
        if (entry == std::end(kKeys)) {
            return Fail(
                error, number, section + "." + key,
                "unknown key " + Quoted(key) + " in " + Bracketed(section) + "; its keys are " + KeysOf(section));
        }
        const auto index = static_cast<std::size_t>(entry - std::begin(kKeys));
        const std::string label = Bracketed(section) + " " + key;
        if (lines[index] != 0) {
            return Fail(error, number, KeyName(*entry),
                        label + " is given twice (first on line " + std::to_string(lines[index]) + ")");
        }
        const std::string_view value = ValueText(line.substr(equals + 1));
        if (value.empty()) return Fail(error, number, KeyName(*entry), label + " has no value");
        const std::string problem = entry->read(value, parsed);
        if (!problem.empty()) return Fail(error, number, KeyName(*entry), label + ": " + problem);
        lines[index] = number;
    }
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        if (kKeys[i].required && lines[i] == 0) {
            return Fail(error, 0, KeyName(kKeys[i]),
                        Bracketed(kKeys[i].section) + " " + std::string(kKeys[i].key) +
                            " is required: " + std::string(kKeys[i].help));
        }
    }
    if (!CheckTogether(parsed, lines, error)) return false;
    settings = parsed;
    return true;
}

bool ReadSiteFile(const std::filesystem::path& file, SiteSettings& settings, SiteFileError& error) {
    const std::u8string utf8 = file.u8string();
    const std::string name(utf8.begin(), utf8.end());
    std::ifstream stream;
    if (IsRegularFile(file)) stream.open(file, std::ios::binary);
    if (!stream.is_open()) {
        Fail(error, 0, "", "cannot read the site file: " + ReasonCannotRead(file));
    } else {
        std::ostringstream text;
        text << stream.rdbuf();
        if (!stream.bad() && ParseSiteText(text.str(), settings, error)) return true;
        if (stream.bad()) Fail(error, 0, "", "cannot read the site file");
    }
    error.message = name + ": " + error.message;
    return false;
}

namespace {

constexpr std::string_view kHeading =
    "# Kelvara site file: the tower, its instruments, and how the fluxes are corrected.\n"
    "# Every key may be left out but the two marked required; a key left out takes its\n"
    "# default (kelvara-cli site --template shows them). Lines that start with # or ;\n"
    "# are comments.\n";

// A site file under its heading, each key with its comment and the text
// valueOf gives it; a key without a text is left out, as a comment (the
// template's required keys are written empty instead, to be filled in).
template <class ValueOf>
std::string SiteText(std::string_view heading, ValueOf valueOf, bool blankRequired = false) {
    std::string text(heading);
    std::string_view section;
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        const KeyEntry& entry = kKeys[i];
        if (entry.section != section) {
            section = entry.section;
            text += "\n" + Bracketed(section) + "\n";
        }
        if (!entry.help.empty()) text += "# " + std::string(entry.help) + (entry.required ? " Required." : "") + "\n";
        const std::string value = entry.required && blankRequired ? std::string() : valueOf(i);
        if (value.empty()) {
            text += (entry.required && blankRequired ? "" : "# ") + std::string(entry.key) + " =\n";
        } else {
            text += std::string(entry.key) + " = " + value + "\n";
        }
    }
    return text;
}

// Every key's value as the settings spell it; a displacement height left out
// stays out, so that it reads back as 0.67 x canopy_height.
std::string SettingText(const SiteSettings& settings, std::size_t key) {
    if (kKeys[key].key == "displacement_height" && !settings.displacementHeight) return {};
    return SiteValueText(kKeys[key].value(settings));
}

}  // namespace

std::string SiteValueText(const SiteValue& value) {
    return std::holds_alternative<double>(value) ? NumberText(std::get<double>(value)) : std::get<std::string>(value);
}

std::string SiteFileTemplate() {
    const SiteSettings defaults;
    return SiteText(
        "# Kelvara site file: the tower, its instruments, and how the fluxes are corrected.\n"
        "# Every key may be left out but the two marked required; a key left out takes the\n"
        "# value shown here. Lines that start with # or ; are comments.\n",
        [&](std::size_t key) { return SettingText(defaults, key); }, true);
}

std::string SiteFileText(const SiteSettings& settings) {
    return SiteText(kHeading, [&](std::size_t key) { return SettingText(settings, key); });
}

std::vector<std::string> SiteValueTexts(const SiteSettings& settings) {
    std::vector<std::string> texts;
    for (std::size_t key = 0; key < kKeyCount; ++key) texts.push_back(SettingText(settings, key));
    return texts;
}

std::string SiteFileTextOfValues(const std::vector<std::string>& values) {
    return SiteText(kHeading, [&](std::size_t key) {
        if (key >= values.size()) return std::string();
        // One line a key: a line end typed into a value cannot start a line.
        std::string value(Trim(values[key]));
        std::replace_if(
            value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        return value;
    });
}

bool WriteSiteFile(const std::filesystem::path& file, const SiteSettings& settings, std::string& problem) {
    const std::string text = SiteFileText(settings);
    TemporaryFile output;
    if (output.Create(file) && std::fwrite(text.data(), 1, text.size(), output.Stream()) == text.size() &&
        output.Commit()) {
        return true;
    }
    problem = "cannot write the site file: " + SystemErrorText(output.LastError() != 0 ? output.LastError() : EIO);
    return false;
}

std::vector<SiteSection> SiteSettingsEntries(const SiteSettings& settings) {
    std::vector<SiteSection> sections;
    for (const KeyEntry& entry : kKeys) {
        if (sections.empty() || sections.back().name != entry.section) {
            sections.push_back(SiteSection{std::string(entry.section), {}});
        }
        sections.back().entries.push_back(SiteEntry{std::string(entry.key), entry.value(settings), entry.required});
    }
    return sections;
}

}  // namespace kelvara
