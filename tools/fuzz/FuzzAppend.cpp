// libFuzzer target: the append job against a model of its rules, written
// from the rules rather than from the job's code. Three input files with
// the input's bytes, six slots naming any of them (or nothing, a missing
// file, a folder, the output), a head-line count text and an output name.
// The job must show the model's one message, return true exactly after
// "Processing Finished!", write the model's bytes, and change no input.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "AppendJob.h"
#include "FuzzCheck.h"
#include "FuzzPort.h"
#include "FuzzScratch.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

// ---- The model ----------------------------------------------------------

// A file as a Windows text stream reads it: CR LF becomes LF.
std::string ReadAsText(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

// As a Windows text stream writes it: LF goes out as CR LF.
std::string WriteAsText(std::string_view text) {
    std::string bytes;
    for (const char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// fgets into a buffer of limit + 1: up to and including the next LF, at most
// limit characters; empty only at the end.
std::string_view NextLine(std::string_view& text, std::size_t limit) {
    std::size_t length = std::min(limit, text.size());
    const std::size_t lineFeed = text.substr(0, length).find('\n');
    if (lineFeed != std::string_view::npos) length = lineFeed + 1;
    const std::string_view line = text.substr(0, length);
    text.remove_prefix(length);
    return line;
}

// The output text (before line-end translation) of the given files in slot
// order: the first one's first n lines, each given a line end of its own;
// the later ones' first n lines dropped; everything after them copied
// without the 0x1C characters.
std::string ExpectedOutput(const std::array<std::optional<std::string>, kAppendSlotCount>& slots, int headLines) {
    std::string output;
    bool headWritten = false;
    for (const auto& slot : slots) {
        if (!slot) continue;
        const std::string text = ReadAsText(*slot);
        std::string_view rest = text;
        for (int i = 0; i < headLines; ++i) {
            std::string_view line = NextLine(rest, headWritten ? 499 : 999);
            if (line.empty()) break;
            if (!headWritten) {
                if (line.back() == '\n') line.remove_suffix(1);
                output += line;
                output += '\n';
            }
        }
        headWritten = true;
        for (const char c : rest) {
            if (c != '\x1c') output += c;
        }
    }
    return output;
}

// ---- The scratch folder -------------------------------------------------

// What a slot or the output may name.
enum Choice { kNothing, kFile1, kFile2, kFile3, kMissing, kFolder, kOutputFile, kLinkToFile1, kNoSuchFolder, kChoices };

constexpr std::array<std::string_view, kChoices> kChoiceNames = {
    "", "one.txt", "two.txt", "three.txt", "missing.txt", "folder", "out.txt", "link.txt", "nowhere/out.txt"};

std::string NameOf(const fuzz::ScratchFolder& scratch, int choice) {
    return choice == kNothing ? std::string() : (scratch / kChoiceNames[static_cast<std::size_t>(choice)]).string();
}

// link.txt and one.txt are one file.
std::string Canonical(const fuzz::ScratchFolder& scratch, const std::string& name) {
    return name == NameOf(scratch, kLinkToFile1) ? NameOf(scratch, kFile1) : name;
}

struct Case {
    AppendInputs inputs;
    std::array<std::string, 3> files;
    std::optional<std::string> oldOutput;  // out.txt before the job
};

Case MakeCase(FuzzedDataProvider& input, const fuzz::ScratchFolder& scratch) {
    Case c;
    // Short count texts: digits, signs, blanks and letters alike.
    c.inputs.headLinesText = input.ConsumeRandomLengthString(6);
    for (std::string& slot : c.inputs.files) slot = NameOf(scratch, input.ConsumeIntegralInRange<int>(0, kChoices - 1));
    c.inputs.outputFile = NameOf(scratch, input.ConsumeIntegralInRange<int>(0, kChoices - 1));
    if (input.ConsumeBool()) c.oldOutput = input.ConsumeRandomLengthString(20);
    for (std::string& file : c.files) file = input.ConsumeRandomLengthString(3000);
    return c;
}

void BuildFolder(const fuzz::ScratchFolder& scratch, const Case& c) {
    scratch.Clear();
    fuzz::WriteFile(scratch / "one.txt", c.files[0]);
    fuzz::WriteFile(scratch / "two.txt", c.files[1]);
    fuzz::WriteFile(scratch / "three.txt", c.files[2]);
    if (c.oldOutput) fuzz::WriteFile(scratch / "out.txt", *c.oldOutput);
    fs::create_directory(scratch / "folder");
    fs::create_symlink("one.txt", scratch / "link.txt");
}

// The message the rules call for, and the output bytes after
// "Processing Finished!".
struct Outcome {
    std::string message;
    std::string output;
};

Outcome ExpectedOutcome(const fuzz::ScratchFolder& scratch, const Case& c) {
    const AppendInputs& in = c.inputs;
    if (in.headLinesText.empty()) return {"No File Head Lines", ""};
    const int headLines = std::atoi(in.headLinesText.c_str());
    if (in.outputFile.empty()) return {"No Output File", ""};
    std::array<std::optional<std::string>, kAppendSlotCount> slots;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (in.files[i].empty()) continue;
        slots[i] = fuzz::ReadFile(in.files[i]);
        if (!slots[i]) return {"Can't Open Input File!", ""};
    }
    for (const std::string& file : in.files) {
        if (!file.empty() && Canonical(scratch, file) == Canonical(scratch, in.outputFile)) {
            return {"Output File Is An Input File", ""};
        }
    }
    if (in.outputFile == NameOf(scratch, kFolder) || in.outputFile == NameOf(scratch, kNoSuchFolder)) {
        return {"Can't Open Output File", ""};
    }
    return {"Processing Finished!", WriteAsText(ExpectedOutput(slots, headLines))};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("append");
    FuzzedDataProvider input(data, size);
    const Case c = MakeCase(input, scratch);
    BuildFolder(scratch, c);
    const Outcome expected = ExpectedOutcome(scratch, c);
    const auto before = fuzz::Snapshot(scratch.Path());

    fuzz::MessagePort port;
    const bool finished = RunAppendJob(c.inputs, port);

    std::string context = "count \"" + fuzz::Escaped(c.inputs.headLinesText) + "\", slots";
    for (const std::string& slot : c.inputs.files) context += " [" + fs::path(slot).filename().string() + "]";
    context += ", output [" + fs::path(c.inputs.outputFile).filename().string() + "]; messages " + port.Texts();
    fuzz::Expect(port.messages.size() == 1 && port.messages[0].text == expected.message,
                 "the append job's message differs from the rules'",
                 "expected \"" + expected.message + "\"; " + context);
    fuzz::Expect(finished == (expected.message == "Processing Finished!"),
                 "the append job's result disagrees with its message", context);

    // Only the output may have changed (under any of its names), and only
    // after a finished job.
    auto after = fuzz::Snapshot(scratch.Path());
    if (finished) {
        const auto output = fuzz::ReadFile(c.inputs.outputFile);
        fuzz::Expect(output == expected.output, "the append output differs from the rules'",
                     "expected \"" + fuzz::Escaped(expected.output) + "\"\nwritten  \"" +
                         fuzz::Escaped(output.value_or("<none>")) + "\"\n" + context);
        auto unchanged = before;
        for (const int choice : {kFile1, kFile2, kFile3, kMissing, kOutputFile, kLinkToFile1}) {
            if (Canonical(scratch, NameOf(scratch, choice)) != Canonical(scratch, c.inputs.outputFile)) continue;
            const std::string name = fs::path(NameOf(scratch, choice)).filename().string();
            after.erase(name);
            unchanged.erase(name);
        }
        fuzz::Expect(after == unchanged, "the append job changed a file other than its output", context);
    } else {
        fuzz::Expect(after == before, "a failed append job changed or created a file", context);
    }
    return 0;
}
