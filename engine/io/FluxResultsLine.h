#pragma once
// The lines of the corrected results file (OUT.flux.csv): the header, one
// half hour's values, a rejected half hour. Formatting only, into a
// caller's buffer; the file itself is the results file's business.

#include <optional>
#include <string_view>

#include "corrections/CorrectedFluxes.h"
#include "io/Calendar.h"

namespace kelvara {

// The columns, in order, without a line end.
inline constexpr std::string_view kFluxHeader =
    "TIMESTAMP_START,TIMESTAMP_END,N,TAU,H,LE,FC,USTAR,TAU_STD,H_STD,LE_STD,FC_STD,USTAR_STD,"
    "TAU_SCF,H_SCF,LE_SCF,FC_SCF,CO2_TLAG,H2O_TLAG,CO2_TLAG_ACTUAL,H2O_TLAG_ACTUAL,CO2_TLAG_DEF,H2O_TLAG_DEF,"
    "MO_LENGTH,ZL,ZL_SCF,TSTAR,WS,WD,U_SIGMA,W_SIGMA,T_SONIC_SIGMA,TAU_SS,H_SS,LE_SS,FC_SS,U_ITC,W_ITC,"
    "T_SONIC_ITC,TAU_SSITC_TEST,H_SSITC_TEST,LE_SSITC_TEST,FC_SSITC_TEST,TAU_RANDUNC,H_RANDUNC,LE_RANDUNC,"
    "FC_RANDUNC,TA,PA,T_SONIC,COVERAGE";

// Every column but the two time stamps.
inline constexpr int kFluxValueColumns = 49;

// Hands the values of a half hour to visit in the order of the columns after
// the time stamps: visit.Integer(long long), visit.Number(double) (NaN or
// infinity for missing) and visit.Percent(std::optional<int>).
template <class Visitor>
void VisitFluxColumns(const CorrectedFluxes& f, Visitor& visit) {
    visit.Integer(f.N);
    for (const double value : {f.tau, f.H, f.LE, f.FC, f.ustar, f.tauStd, f.HStd, f.LEStd, f.FCStd, f.ustarStd,
                               f.tauFactor, f.HFactor, f.LEFactor, f.FCFactor, f.co2Lag.usedSeconds,
                               f.h2oLag.usedSeconds, f.co2Lag.foundSeconds, f.h2oLag.foundSeconds}) {
        visit.Number(value);
    }
    visit.Integer(f.co2Lag.usedDefault ? 1 : 0);
    visit.Integer(f.h2oLag.usedDefault ? 1 : 0);
    for (const double value :
         {f.obukhovLength, f.zL, f.zLSpectral, f.tstar, f.windSpeed, f.windDirection, f.sigmaU, f.sigmaW, f.sigmaTs}) {
        visit.Number(value);
    }
    for (const auto& percent : {f.tauSS, f.HSS, f.LESS, f.FCSS, f.uITC, f.wITC, f.tsITC}) visit.Percent(percent);
    for (const int flag : {f.tauFlag, f.HFlag, f.LEFlag, f.FCFlag}) visit.Integer(flag);
    for (const double value : {f.tauRandom, f.HRandom, f.LERandom, f.FCRandom, f.airTemperature, f.pressure,
                               f.sonicTemperature, f.coverage}) {
        visit.Number(value);
    }
}

// The text of a missing or undefined value.
inline constexpr std::string_view kFluxMissing = "-9999";

// Room for the longest line the formatters write, with its line end and a
// null: 49 numbers of at most 16 characters, the time stamps and commas.
inline constexpr int kFluxLineSize = 1024;

// "YYYYMMDDHHMM" and a null into out (13 characters).
void FormatCompactTime(const CalendarTime& time, char* out);

// One half hour's line, without its line end (LF in the file): the half hour's start (30 minutes
// before end) and end, then the values; integers as integers, other numbers
// as %.9g writes them, -9999 for NaN or infinity. Returns its length.
int FormatFluxLine(const CalendarTime& end, const CorrectedFluxes& fluxes, char* out);

// A half hour that the screening rejected: its two time stamps and -9999
// in every other column.
int FormatRejectedFluxLine(const CalendarTime& end, char* out);

}  // namespace kelvara
