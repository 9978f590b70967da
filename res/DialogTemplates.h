#pragma once
// Kelvara's dialog templates, one per dialog.

#include "DialogTemplate.h"

namespace kelvara::res {

extern const DialogTemplate kAboutTemplate;            // IDD_ABOUTBOX
extern const DialogTemplate kECProcessTemplate;        // IDD_EC_PROCESS
extern const DialogTemplate kSecondFileTemplate;       // IDD_SECOND_FILE
extern const DialogTemplate kSetRangeTemplate;         // IDD_SET_RANGE
extern const DialogTemplate kBatchTemplate;            // IDD_BATCH_PROCESS
extern const DialogTemplate kMergeTemplate;            // IDD_MERGE
extern const DialogTemplate kAppendTemplate;           // IDD_APPEND
extern const DialogTemplate kInputColumnsTemplate;     // IDD_INPUT_COLUMNS
extern const DialogTemplate kPlaneFitTemplate;         // IDD_PLANE_FIT
extern const DialogTemplate kSiteInstrumentsTemplate;  // IDD_SITE_INSTRUMENTS

}  // namespace kelvara::res
