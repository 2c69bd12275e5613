// The mode search of the full-screen toggle: from the device record's current mode towards a
// target size, along the record's ordered mode list.
#pragma once

#include "enum_records.h"

// Moves the record's current mode index step by step (each step is stored) towards width x
// height: up while narrower, and then up while shorter when exactly as wide; down while wider,
// and then down while taller when exactly as wide. A start that is as wide but shorter stays
// where it is. False, after the one log line, when a step would leave the list: the index then
// names the last mode examined.
bool SearchModeList(D3DDeviceInfo& deviceInfo, unsigned int width, unsigned int height);
