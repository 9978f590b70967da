#pragma once
// What the user asks of a processing job: the raw files, the method, the
// rotation, how the files' columns are read and, for a batch, how it
// spreads. The desktop dialogs, the command line and the tests fill these
// in; the jobs take nothing else.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "corrections/SiteSettings.h"
#include "io/ColumnLayout.h"
#include "io/InputFormat.h"
#include "io/TimeStamp.h"
#include "pipeline/Methods.h"
#include "pipeline/Rotation.h"

namespace kelvara {

// The rotation as the user gave it: the plane as typed into the boxes (each
// read as atof reads it), or as numbers (a plane fitted over the data).
struct RotationInputs {
    Rotation rotation = Rotation::TwoAxis;
    std::string b0Text;
    std::string b1Text;
    std::string b2Text;
    std::optional<std::array<double, 3>> plane;  // when set, the texts are not read

    static RotationInputs PlanarFit(double b0, double b1, double b2) {
        return RotationInputs{.rotation = Rotation::PlanarFit, .plane = std::array<double, 3>{b0, b1, b2}};
    }

    // The planar fit needs all three texts; emptiness is tested on the exact
    // text, so blanks count as given.
    bool MissesCoefficient() const {
        return rotation == Rotation::PlanarFit && !plane && (b0Text.empty() || b1Text.empty() || b2Text.empty());
    }
    // Each coefficient rounded to float once; the plane only for the planar fit.
    RotationSettings Settings() const;
};

// One calendar month of a stream: the files whose first record falls in it,
// read with as much of the files around them as its half hours need, so
// that months run apart (on the nodes of a cluster) join into the lines of
// one stream.
struct StreamMonth {
    int year = 0;
    int month = 0;  // 1 to 12
    // The last record the months before kept, when known (a join that
    // checked the months gives it); else guessed from the file before.
    std::optional<TimePoint> keptBefore;
};

struct RunInputs {
    Methods methods = Methods::Default;
    // The raw files in time order. The default method reads the first and,
    // when one is given, the second; the standard methods read them all as
    // one stream.
    std::vector<std::string> files;
    std::string outputFile;  // without the results suffix
    RotationInputs rotation;
    InputFormat input;  // the raw files' columns and status rule
    // The files' columns when already found (one per file, as a command that
    // fits a plane first has them); empty: the job finds them.
    std::vector<ColumnLayout> layouts;
    // The corrected method's site and instruments.
    std::optional<SiteSettings> site;
    // Threads a stream of several files is read on, each a contiguous share
    // of it; the results are the same for any number.
    int jobs = 1;
    // Only this month of the stream (the standard methods).
    std::optional<StreamMonth> month;
};

// How a batch spreads its list.
struct BatchOptions {
    int jobs = 1;            // worker threads
    bool keepGoing = false;  // a failed name is reported and the batch goes on
    // Results files go here, named by the raw file's own name plus the
    // suffix; empty: beside each raw file.
    std::string outputDir;
    // This run's slice of the list: entry i (from 0) when i mod shardCount
    // is shardIndex.
    int shardIndex = 0;
    int shardCount = 1;
};

struct BatchInputs {
    Methods methods = Methods::Default;
    std::string listFile;
    RotationInputs rotation;
    InputFormat input;  // the raw files' columns and status rule
    BatchOptions options;
    std::optional<SiteSettings> site;  // the corrected method's site and instruments
};

}  // namespace kelvara
