// Everything the engine stores its data in.
#pragma once

#include "tdarray.h"
#include "krstring.h"
#include "tdlist.h"
