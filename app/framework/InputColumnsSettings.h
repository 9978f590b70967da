#pragma once
// The input columns chosen in the "Input Columns" dialog, kept in the
// per-user settings and used by the EC Process and Batch jobs.

#include <string>

#include "io/InputFormat.h"

namespace kelvara::app {

// The stored choice; detection from the header and the default status rule
// when nothing (or nothing readable) is stored.
kelvara::InputFormat StoredInputFormat();
void StoreInputFormat(const kelvara::InputFormat& format);

// One line for the job dialogs saying which columns are in force; empty for
// detection with the default status rule and unit check.
std::string InputColumnsNote(const kelvara::InputFormat& format);

}  // namespace kelvara::app
