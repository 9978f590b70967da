// The site file as a user writes it: defaults for what is left out, and for
// every mistake a message that names the key and the line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "io/SiteFile.h"

namespace kelvara {
namespace {

constexpr const char* kRequired = "[site]\nmeasurement_height = 3\nlatitude = 47.5\n";

SiteFileError Refusal(const std::string& text) {
    SiteSettings settings;
    SiteFileError error;
    EXPECT_FALSE(ParseSiteText(text, settings, error)) << text;
    return error;
}

TEST(SiteFile, KeysLeftOutTakeTheirDefaults) {
    SiteSettings settings;
    SiteFileError error;
    ASSERT_TRUE(ParseSiteText(std::string(kRequired) + "canopy_height = 0.6\n", settings, error)) << error.message;
    EXPECT_EQ(3.0, settings.measurementHeight);
    EXPECT_EQ(47.5, settings.latitude);
    EXPECT_DOUBLE_EQ(0.67 * 0.6, settings.DisplacementHeight());
    EXPECT_EQ(0.115, settings.sonicPathLength);
    EXPECT_EQ(1.0 / 60.0, settings.sonicTimeConstant);
    EXPECT_EQ(0.1, settings.irgaTimeConstant);
    EXPECT_EQ(LagMethod::MaxCovDefault, settings.lagMethod);
    EXPECT_FALSE(settings.co2Min.has_value());  // auto
    EXPECT_FALSE(settings.fs.has_value());
    EXPECT_EQ(HighPassTransfer::Single, settings.hpTransfer);
    EXPECT_EQ(CorrectionOrder::Covariances, settings.correctionOrder);
    EXPECT_EQ(0.40, settings.vonKarman);
    EXPECT_EQ(10.0, settings.ruMaxLagSeconds);
    EXPECT_EQ(90.0, settings.minCoverage);
}

TEST(SiteFile, ReadsCommentsCaseBlanksCrLfAndAByteOrderMark) {
    const std::string text =
        "\xEF\xBB\xBF; a tower\r\n[SITE]\r\n  Measurement_Height=3.5   # m\r\nlatitude = -12\r\n\r\n"
        "[irga]\r\nsep_east = 0.2 ; east\r\n[Lag]\r\nmethod = MaxCov\r\nco2_min = AUTO\r\nh2o_max = 1.5\r\n"
        "[processing]\r\nfs = 20\r\nhp_transfer = product\r\nwind_direction = unit\r\n";
    SiteSettings settings;
    SiteFileError error;
    ASSERT_TRUE(ParseSiteText(text, settings, error)) << error.message;
    EXPECT_EQ(3.5, settings.measurementHeight);
    EXPECT_EQ(-12.0, settings.latitude);
    EXPECT_EQ(0.2, settings.sepEast);
    EXPECT_EQ(LagMethod::MaxCov, settings.lagMethod);
    EXPECT_EQ(1.5, settings.h2oMax.value_or(0.0));
    EXPECT_EQ(20.0, settings.fs.value_or(0.0));
    EXPECT_EQ(HighPassTransfer::Product, settings.hpTransfer);
    EXPECT_EQ(WindDirectionMean::Unit, settings.windDirection);
}

TEST(SiteFile, EachMistakeNamesItsKeyAndLine) {
    const std::string head = kRequired;  // three lines
    struct Case {
        std::string text;
        int line;
        std::string key;
        std::string says;
    };
    const Case cases[] = {
        {head + "[sonic]\npathlength = 0.1\n", 5, "sonic.pathlength", "unknown key \"pathlength\" in [sonic]"},
        {head + "[sonic]\npath_length = abc\n", 5, "sonic.path_length", "\"abc\" is not a number"},
        {head + "[sonic]\npath_length = -0.1\n", 5, "sonic.path_length", "must be 0 or more"},
        {head + "[sonic]\nu_positive = upwind\n", 5, "sonic.u_positive", "is not one of from, toward"},
        {head + "[lag]\nco2_min = soon\n", 5, "lag.co2_min", "neither a number nor auto"},
        {head + "[processing]\nfs = 0\n", 5, "processing.fs", "must be above 0"},
        {head + "[processing]\nmin_coverage = 120\n", 5, "processing.min_coverage", "between 0 and 100"},
        {head + "[processing]\nvon_karman =\n", 5, "processing.von_karman", "has no value"},
        {head + "[tower]\n", 4, "", "unknown section [tower]"},
        {head + "latitude = 40\n", 4, "site.latitude", "given twice (first on line 3)"},
        {"height = 3\n[site]\n", 1, "height", "comes before any [section]"},
        {head + "[irga\n", 4, "", "is not a [section] line"},
        {head + "just words\n", 4, "", "neither a [section], a key = value nor a comment"},
        {"[site]\nlatitude = 91\nmeasurement_height = 3\n", 2, "site.latitude", "between -90 and 90"},
        {"[site]\nmeasurement_height = 2\ncanopy_height = 3\nlatitude = 10\n", 2, "site.measurement_height",
         "must be above the displacement height 2.01"},
        {head + "[lag]\nh2o_min = 1\nh2o_max = 0.5\n", 6, "lag.h2o_max", "end must not be below its start"},
    };
    for (const Case& c : cases) {
        const SiteFileError error = Refusal(c.text);
        EXPECT_EQ(c.line, error.line) << c.text;
        EXPECT_EQ(c.key, error.key) << c.text;
        EXPECT_NE(std::string::npos, error.message.find(c.says)) << error.message;
        EXPECT_EQ(0u, error.message.find("line " + std::to_string(c.line) + ": ")) << error.message;
    }
}

TEST(SiteFile, ARequiredKeyLeftOutIsNamedWithoutALine) {
    for (const auto& [text, key] :
         {std::pair{"[site]\nlatitude = 1\n", "site.measurement_height"},
          std::pair{"[site]\nmeasurement_height = 2\n", "site.latitude"}, std::pair{"", "site.measurement_height"}}) {
        const SiteFileError error = Refusal(text);
        EXPECT_EQ(0, error.line);
        EXPECT_EQ(key, error.key);
        EXPECT_NE(std::string::npos, error.message.find("is required")) << error.message;
    }
}

TEST(SiteFile, TheTemplateNamesEveryKeyAndReadsBackAsTheDefaults) {
    const std::string text = SiteFileTemplate();
    for (const SiteSection& section : SiteSettingsEntries(SiteSettings{})) {
        EXPECT_NE(std::string::npos, text.find("[" + section.name + "]\n")) << section.name;
        for (const SiteEntry& entry : section.entries) EXPECT_NE(std::string::npos, text.find(entry.key)) << entry.key;
    }
    // As printed it lacks the two required values.
    EXPECT_EQ("site.measurement_height", Refusal(text).key);

    std::string filled = text;
    filled.replace(filled.find("measurement_height =\n"), 21, "measurement_height = 2\n");
    filled.replace(filled.find("latitude =\n"), 11, "latitude = 50\n");
    SiteSettings settings;
    SiteFileError error;
    ASSERT_TRUE(ParseSiteText(filled, settings, error)) << error.message;
    SiteSettings expected;
    expected.measurementHeight = 2;
    expected.latitude = 50;
    const auto a = SiteSettingsEntries(settings), b = SiteSettingsEntries(expected);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t s = 0; s < a.size(); ++s) {
        for (std::size_t k = 0; k < a[s].entries.size(); ++k) {
            EXPECT_EQ(b[s].entries[k].value, a[s].entries[k].value) << a[s].entries[k].key;
        }
    }
}

// What the desktop's Site and Instruments dialog saves: every key, and the
// same settings when read back, down to the last bit of each number.
TEST(SiteFile, TheTextOfSettingsReadsBackAsTheSameSettings) {
    SiteSettings changed;
    changed.measurementHeight = 3.1;
    changed.latitude = -33.25;
    changed.canopyHeight = 0.7;
    changed.sonicTimeConstant = 1.0 / 30.0;
    changed.sonicAzimuth = 212.5;
    changed.uPositive = UPositive::Toward;
    changed.declination = -4.1;
    changed.sepNorth = 0.1;
    changed.sepEast = -0.2;
    changed.sepVertical = 0.05;
    changed.lagMethod = LagMethod::MaxCov;
    changed.co2Min = -0.4;
    changed.h2oMax = 2.0;
    changed.co2Default = 0.2;
    changed.fs = 20.0;
    changed.spectral = SpectralModel::None;
    changed.hpTransfer = HighPassTransfer::Product;
    changed.correctionOrder = CorrectionOrder::Peer;
    changed.obukhovFlux = ObukhovFlux::Sensible;
    changed.obukhovTemperature = ObukhovTemperature::Potential;
    changed.vonKarman = 0.41;
    changed.windDirection = WindDirectionMean::Unit;
    changed.ruMaxLagSeconds = 7.5;
    changed.minCoverage = 80.0;
    SiteSettings withDisplacement = changed;
    withDisplacement.displacementHeight = 0.3;
    SiteSettings defaults;  // but the two required keys
    defaults.measurementHeight = 2.0;
    defaults.latitude = 50.0;

    for (const SiteSettings& settings : {changed, withDisplacement, defaults}) {
        const std::string text = SiteFileText(settings);
        SiteSettings read;
        SiteFileError error;
        ASSERT_TRUE(ParseSiteText(text, read, error)) << error.message << "\n" << text;
        EXPECT_EQ(settings.displacementHeight, read.displacementHeight) << text;
        const auto a = SiteSettingsEntries(settings), b = SiteSettingsEntries(read);
        for (std::size_t s = 0; s < a.size(); ++s) {
            for (std::size_t k = 0; k < a[s].entries.size(); ++k) {
                const SiteEntry& entry = a[s].entries[k];
                EXPECT_EQ(entry.value, b[s].entries[k].value) << entry.key;
                // Every key is written, the displacement height left out as a comment.
                const bool leftOut = entry.key == "displacement_height" && !settings.displacementHeight;
                const std::string line = (leftOut ? "\n# " : "\n") + entry.key + " =";
                EXPECT_NE(std::string::npos, text.find(line)) << entry.key;
            }
        }
    }
    EXPECT_NE(std::string::npos, SiteFileText(defaults).find("# Time constant of the sonic, s.\ntime_constant = "));
}

TEST(SiteFile, EntriesFillInTheDefaultsInTheFilesOrder) {
    SiteSettings settings;
    settings.canopyHeight = 1.0;
    settings.co2Max = 0.8;
    const auto sections = SiteSettingsEntries(settings);
    ASSERT_EQ(5u, sections.size());
    EXPECT_EQ("site", sections[0].name);
    EXPECT_EQ("processing", sections[4].name);
    EXPECT_EQ("displacement_height", sections[0].entries[1].key);
    EXPECT_EQ(SiteValue(0.67), sections[0].entries[1].value);
    EXPECT_EQ(SiteValue(std::string("auto")), sections[3].entries[1].value);  // co2_min
    EXPECT_EQ(SiteValue(0.8), sections[3].entries[2].value);
    EXPECT_EQ(SiteValue(std::string("maxcov_default")), sections[3].entries[0].value);
}

// What a user typed, a text per key: an empty one is left out, a bad one is
// refused naming its key and its line in the file that would be saved, and
// the settings' own texts read back as the settings.
TEST(SiteFile, TypedValuesAreReadByTheParserWithTheirKeyAndLine) {
    SiteSettings settings;
    settings.measurementHeight = 2.5;
    settings.latitude = 47.25;
    settings.lagMethod = LagMethod::None;
    std::vector<std::string> texts = SiteValueTexts(settings);
    ASSERT_EQ(31u, texts.size());
    EXPECT_EQ("", texts[1]);  // the displacement height left out
    EXPECT_EQ("none", texts[14]);
    SiteSettings read;
    SiteFileError error;
    ASSERT_TRUE(ParseSiteText(SiteFileTextOfValues(texts), read, error)) << error.message;
    EXPECT_EQ(SiteFileText(settings), SiteFileText(read));

    texts[3] = " north ";  // latitude
    const std::string typed = SiteFileTextOfValues(texts);
    ASSERT_FALSE(ParseSiteText(typed, read, error));
    EXPECT_EQ("site.latitude", error.key);
    std::size_t line = 1;
    for (std::size_t at = 0; at < typed.find("latitude = north"); ++at) line += typed[at] == '\n';
    EXPECT_EQ(static_cast<int>(line), error.line);
    EXPECT_EQ("line " + std::to_string(line) + ": [site] latitude: \"north\" is not a number", error.message);

    texts[3] = "47\n[lag]\nmethod = constant";  // a line end cannot start a line
    ASSERT_FALSE(ParseSiteText(SiteFileTextOfValues(texts), read, error));
    EXPECT_EQ("site.latitude", error.key);
    texts[3].clear();
    ASSERT_FALSE(ParseSiteText(SiteFileTextOfValues(texts), read, error));
    EXPECT_EQ("site.latitude", error.key);
    EXPECT_EQ(0, error.line);
}

TEST(SiteFile, WrittenSettingsReadBackAndAnUnwritableFileIsSaid) {
    testing::TempDir dir;
    SiteSettings settings;
    settings.measurementHeight = 4.0;
    settings.latitude = -12.5;
    std::string problem;
    ASSERT_TRUE(WriteSiteFile(dir / "tower.ini", settings, problem)) << problem;
    EXPECT_EQ(SiteFileText(settings), testing::ReadFile(dir / "tower.ini"));
    EXPECT_FALSE(WriteSiteFile(dir / "no folder" / "tower.ini", settings, problem));
    EXPECT_EQ("cannot write the site file: No such file or directory", problem);
}

TEST(SiteFile, AFileNamesItselfInItsMessages) {
    testing::TempDir dir;
    testing::WriteFile(dir / "tower.ini", "[site]\nmeasurement_height = x\n");
    SiteSettings settings;
    SiteFileError error;
    EXPECT_FALSE(ReadSiteFile(dir / "tower.ini", settings, error));
    EXPECT_NE(std::string::npos, error.message.find("tower.ini: line 2: [site] measurement_height")) << error.message;
    EXPECT_FALSE(ReadSiteFile(dir / "missing.ini", settings, error));
    EXPECT_NE(std::string::npos, error.message.find("missing.ini: cannot read the site file")) << error.message;
    EXPECT_FALSE(ReadSiteFile(dir.path(), settings, error));  // a folder
}

}  // namespace
}  // namespace kelvara
