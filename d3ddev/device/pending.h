// Marks an operation whose subsystem has not landed yet: it says so in the log and fails. Every
// use is listed in the README's status table and disappears when its subsystem lands.
#pragma once

#include "krcr.h"

#define KR_PENDING_OPERATION(name) GLog.WriteLine("PENDING: " name " is not implemented yet")
