// Every case of this program runs with the crash report in place, from before the first test.
#include "bad_input.h"

namespace {
const bool kReportingCrashes = (badinput::ReportCrashes(), true);
}  // namespace
