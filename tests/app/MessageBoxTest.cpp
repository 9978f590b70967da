// What the job dialogs' message boxes say beyond their own text: the file
// and the system's reason of a failure, where its partial results are, and
// warnings; read off the screen, with nothing cut off.

#include <algorithm>
#include <filesystem>

#include "FailingStreams.h"
#include "GuiTestSupport.h"
#include "framework/TextWrap.h"

namespace kelvara::testing {
namespace {

bool AnyLineHas(const DrawnMessageBox& box, const std::string& words) {
    return std::any_of(box.lines.begin(), box.lines.end(),
                       [&words](const DrawnLine& line) { return line.text.find(words) != std::string::npos; });
}

// Every line whole, none wider than about sixty letters, the box on the
// screen.
void ExpectNothingCutOff(const DrawnMessageBox& box) {
    for (const DrawnLine& line : box.lines) {
        EXPECT_TRUE(line.whole) << line.text;
        EXPECT_LE(line.rect.width, 64 * MainFrame()->GetCharWidth()) << line.text;
    }
    EXPECT_TRUE(wxRect(wxGetDisplaySize()).Contains(box.screenRect)) << box.text;
}

// A read error in the middle of the first raw file, whose name is long: the
// message's text and title first, then, after a blank line, which file and why,
// and where the half hours written before it are.
TEST_F(JobDialogs, AFailureBoxNamesTheFileItsReasonAndThePartialResults) {
    const std::filesystem::path folder = dir_ / "tower-at-the-forest-edge" / "raw-data-of-june-2024-as-logged";
    std::filesystem::create_directories(folder);
    WriteFile(folder / "failing.dat", samples::MakeRawSample({.hours = 0.6}));
    WriteRaw("second.dat");
    FailingStreams failing;
    FailingStreams::bytesBeforeFailure = 200000;
    CECProcessDlg dialog(MainFrame());
    dialog.SetControlText(IDC_FIRST_FILE, (folder / "failing.dat").string());
    dialog.SetControlText(IDC_SECOND_FILE, Path("second.dat"));
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    const std::vector<DrawnMessageBox> boxes = MessageBoxesShownBy([&] { Press(&dialog, wxID_OK); });

    ASSERT_EQ(boxes.size(), 1u);
    const DrawnMessageBox& box = boxes[0];
    EXPECT_EQ(box.title, "Reading the raw data file failed!");
    EXPECT_EQ(box.text, "Can't Read Raw Data File!");
    EXPECT_EQ(Squeezed(box.details), (folder / "failing.dat").string() + ": Input/output error The results written " +
                                         "before the failure are kept in " + Path("site.r1w.partial") + " (" +
                                         Path("site.r1w") + " is as it was).");
    ASSERT_GE(box.lines.size(), 3u);
    EXPECT_EQ(box.lines[0].text, "Can't Read Raw Data File!");
    EXPECT_TRUE(box.lines[0].bold);
    // A blank line's height at least between the heading and the details.
    EXPECT_GE(box.lines[1].rect.y - box.lines[0].rect.GetBottom(), box.lines[1].rect.height);
    EXPECT_TRUE(AnyLineHas(box, "failing.dat: Input/output error"));
    EXPECT_TRUE(AnyLineHas(box, "site.r1w.partial"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "site.r1w.partial"));
    ExpectNothingCutOff(box);

    // Told once: the next message has no details.
    dialog.SetControlText(IDC_FIRST_FILE, "");
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("No First File", "Please Input the First File!", true));
}

// The batch names the raw file it could not open.
TEST_F(JobDialogs, TheBatchNamesTheRawFileItCannotOpen) {
    WriteFile(dir_ / "list.txt", Path("gone.dat") + "\n");
    CBatchProcessDlg dialog(MainFrame());
    dialog.SetControlText(IDC_LIST_FILE, Path("list.txt"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK), ExpectMessage("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!",
                                                         true, Path("gone.dat") + ": No such file or directory"));
}

// A warning's list shows one item a line, under its lead; a warning without
// a list as it is. Both in a box titled "Warning", with the exclamation icon.
TEST_F(JobDialogs, AWarningShowsItsListOneItemALine) {
    CECProcessDlg dialog(MainFrame());
    const std::vector<DrawnMessageBox> boxes = MessageBoxesShownBy([&] {
        dialog.ShowWarning(
            "3 half hours rejected by the range limits: Ts: 17999 values above Ts-Max 4 (range.ini); "
            "P: 5 values below P-Min 80, 2 values not a number (range.ini)");
        dialog.ShowWarning(
            "range.ini line 7: CO2-Min \"abc\" is no number and reads as 0\n"
            "range.ini has 13 of 14 lines: the built-in limits stand for P-Max");
    });
    ASSERT_EQ(boxes.size(), 2u);
    const auto texts = [](const DrawnMessageBox& box) {
        std::vector<std::string> lines;
        for (const DrawnLine& line : box.lines) lines.push_back(line.text);
        return lines;
    };
    EXPECT_EQ(texts(boxes[0]), (std::vector<std::string>{
                                   "3 half hours rejected by the range limits:",
                                   "  \u2022 Ts: 17999 values above Ts-Max 4 (range.ini)",
                                   "  \u2022 P: 5 values below P-Min 80, 2 values not a number (range.ini)",
                               }));
    EXPECT_EQ(texts(boxes[1]), (std::vector<std::string>{
                                   "range.ini line 7: CO2-Min \"abc\" is no number and reads as 0",
                                   "range.ini has 13 of 14 lines: the built-in limits stand for P-Max",
                               }));
    for (const DrawnMessageBox& box : boxes) {
        EXPECT_EQ(box.title, "Warning");
        EXPECT_TRUE(box.icon.has_value());
        ExpectNothingCutOff(box);
    }
}

// A range value that is no number is reported by a run, which goes on.
TEST_F(JobDialogs, ARunWarnsOfARangeValueThatIsNoNumber) {
    std::string range = ReadFile(KELVARA_SOURCE_DIR "/res/range.ini");
    range.replace(range.find("CO2-Min\t0"), 9, "CO2-Min\tabc");
    WriteFile(dir_ / "range.ini", range);
    WriteRaw("0601.dat");
    CECProcessDlg dialog(MainFrame());
    dialog.SetControlText(IDC_FIRST_FILE, Path("0601.dat"));
    dialog.SetControlText(IDC_SECOND_FILE, Path("0601.dat"));
    dialog.SetControlText(IDC_OUTPUT_FILE, Path("site"));
    wxTEST_DIALOG(Press(&dialog, wxID_OK),
                  ExpectMessage("range.ini line 7: CO2-Min \"abc\" is no number and reads as 0", "Warning", true),
                  ExpectMessage("Processing Finished!", "Status", false));
}

// Columns: one letter a column, so the breaks can be written down.
std::string WrappedAt(std::string_view text, std::size_t columns) {
    return Wrapped(text, [columns](std::string_view line) { return CharacterCount(line) <= columns; });
}

TEST(TextWrap, BreaksAtBlanksThenAfterSlashesThenAnywhere) {
    EXPECT_EQ(WrappedAt("one two three four", 9), "one two\nthree\nfour");
    EXPECT_EQ(WrappedAt("fits\n\nas it is", 9), "fits\n\nas it is");
    EXPECT_EQ(WrappedAt("/data/tower/june/raw.dat: gone", 12), "/data/tower/\njune/\nraw.dat:\ngone");
    EXPECT_EQ(WrappedAt("abcdefghij", 4), "abcd\nefgh\nij");
    EXPECT_EQ(WrappedAt("  \u2022 an item wraps further in", 12), "  \u2022 an item\n    wraps\n    further\n    in");
    // Characters, not bytes: no letter is cut in two.
    EXPECT_EQ(WrappedAt("\u00e9t\u00e9 \u00e9t\u00e9", 4), "\u00e9t\u00e9\n\u00e9t\u00e9");
    EXPECT_EQ(WrappedAt("\u00b0\u00b0\u00b0", 1), "\u00b0\n\u00b0\n\u00b0");
}

}  // namespace
}  // namespace kelvara::testing
