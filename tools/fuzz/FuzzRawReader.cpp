// libFuzzer target: any bytes, split into a first and a second raw file,
// go through the reader, the block pipeline and the results line, and any
// text through the number readers. Nothing may crash or overrun a buffer.

#include <cstdint>
#include <string_view>

#include "FuzzScratch.h"
#include "io/NumberText.h"
#include "io/BlockTime.h"
#include "io/RawReader.h"
#include "io/ResultsFile.h"
#include "pipeline/BlockPipeline.h"

namespace {

using namespace kelvara;

void ProcessFirstFile(RawReader& reader, BlockBuffer& block, Rotation rotation) {
    const RangeLimits limits = BuiltInRangeLimits();
    const RotationSettings settings{rotation, {0.05f, 0.02f, -0.03f}};
    char time[kBlockTimeSize];
    char line[kMaxBlockLineLength];
    for (int blocks = 0; blocks < 100 && !reader.FirstFileEnded(); ++blocks) {
        if (reader.ReadBlock(block) < kMinimumBlockSamples) continue;
        FluxResult result;
        if (ProcessBlock(block, limits, settings, result) == BlockOutcome::Computed) {
            FormatLabelledTime(reader.BlockDate(), reader.BlockLabel(), time);
            FormatBlockLine(time, result, line);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static BlockBuffer* const block = new BlockBuffer;
    static RawReader* const reader = new RawReader;
    static const fuzz::ScratchFolder scratch("reader");
    const std::filesystem::path first = scratch / "first.dat";
    const std::filesystem::path second = scratch / "second.dat";

    // The first byte says where the second file begins.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size == 0 ? 0 : data[0] * size / 256;
    fuzz::WriteFile(first, bytes.substr(0, cut));
    fuzz::WriteFile(second, bytes.substr(cut));
    reader->OpenFirst(first);
    if (size % 2 != 0) reader->OpenSecond(second);
    ProcessFirstFile(*reader, *block, size % 3 == 0 ? Rotation::PlanarFit : Rotation::TwoAxis);
    reader->Close();

    AtofText(bytes);
    AtoiText(bytes);
    return 0;
}
