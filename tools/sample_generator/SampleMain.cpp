// kelvara-sample: writes a synthetic raw data file for demonstrations,
// tests and benchmarks.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "SampleGenerator.h"
#include "TiltedSonic.h"

int main(int argc, char** argv) {
    kelvara::samples::SampleOptions options;
    std::string output;
    bool lf = false;

    CLI::App app{"Writes a synthetic eddy-covariance raw data file (four header lines, then one record per sample)."};
    app.add_option("output", output, "File to write")->required();
    app.add_option("--seed", options.seed, "Seed; the same seed gives the same file")->capture_default_str();
    app.add_option("--start", options.start, "Time of the first record, \"YYYY-MM-DD hh:mm:ss\"")
        ->capture_default_str();
    app.add_option("--hours", options.hours, "Length of the record in hours")->capture_default_str();
    app.add_option("--hz", options.hz, "Samples per second")->check(CLI::IsMember({10, 20}))->capture_default_str();
    app.add_flag("--lf", lf, "End lines with LF instead of CR LF");
    app.add_option("--spike-rate", options.spikeRate, "Fraction of records with a spike in one variable")
        ->capture_default_str();
    app.add_option("--bad-status-rate", options.badStatusRate, "Fraction of records with a status outside 0..13")
        ->capture_default_str();
    app.add_option("--out-of-range-rate", options.outOfRangeRate,
                   "Fraction of records with a value outside the default range limits")
        ->capture_default_str();
    app.add_option("--gap-rate", options.gapRate, "Fraction of records left out")->capture_default_str();
    app.add_flag("--table", options.table,
                 "A field logger's table: header lines naming the columns and their units, and a record-number "
                 "column after the time stamp");
    app.add_option("--column-order", options.columnOrder,
                   "The table's columns in order (TIMESTAMP, RECORD, Ux, Uy, Uz, co2, h2o, Ts, press, diag_sonic)")
        ->delimiter(',');
    app.add_option("--extra-columns", options.extraColumns, "Columns after the status: NAN and quoted texts")
        ->capture_default_str();
    app.add_option("--ts-unit", options.temperatureUnit, "The table's Ts unit: C or K")->capture_default_str();
    app.add_option("--press-unit", options.pressureUnit, "The table's press unit: kPa, Pa or hPa")
        ->capture_default_str();
    app.add_flag("--gas-mmol", options.gasInMillimoles, "The table's co2 and h2o in mmol/m^3");
    app.add_option("--co2-lag", options.co2LagSeconds,
                   "Seconds the CO2 signal lags behind the sonic's w (0 to 60, whole records)")
        ->capture_default_str();
    app.add_option("--h2o-lag", options.h2oLagSeconds, "Seconds the H2O signal lags behind the sonic's w")
        ->capture_default_str();
    app.add_flag("--stable", options.stable, "A downward heat flux all day: stable stratification");
    app.add_option("--trend", options.trend,
                   "A trend restarting every half hour: wind and w rise by this (m/s), Ts falls by 10 times it "
                   "(K), CO2 rises by 100 times it (mg/m^3), H2O falls by 5 times it (g/m^3)")
        ->capture_default_str();
    std::vector<double> plane;
    kelvara::samples::TiltedSonicOptions tilted;
    app.add_option("--tilted-plane", plane,
                   "Write the planar-fit test bed instead: a sonic tilted by the plane w = B0 + B1 u + B2 v, "
                   "winds from all sides, and a calm, a faulty and a gappy half hour (uses --seed)")
        ->expected(3)
        ->type_name("B0 B1 B2");
    app.add_option("--tilted-blocks", tilted.keptBlocks, "With --tilted-plane: half hours that show the tilt (15-45)")
        ->capture_default_str();
    app.add_option("--tilted-records", tilted.recordsPerBlock, "With --tilted-plane: records per half hour")
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    if (!plane.empty()) {
        tilted.b0 = plane[0];
        tilted.b1 = plane[1];
        tilted.b2 = plane[2];
        tilted.seed = options.seed;
        if (kelvara::samples::WriteTiltedSonicSample(output, tilted)) return 0;
        std::fprintf(stderr, "kelvara-sample: cannot write \"%s\" (15 to 45 blocks of 15 to 18000 records).\n",
                     output.c_str());
        return 1;
    }

    options.crlf = !lf;
    const std::string problem = kelvara::samples::CheckSampleOptions(options);
    if (!problem.empty()) {
        std::fprintf(stderr, "kelvara-sample: %s\n", problem.c_str());
        return 2;
    }
    if (!kelvara::samples::WriteRawSample(output, options)) {
        std::fprintf(stderr, "kelvara-sample: cannot write \"%s\".\n", output.c_str());
        return 1;
    }
    return 0;
}
