// Engine strings as `%s` arguments of the log: an empty string holds no text at all.
#pragma once

#include "krngn.h"

inline const char* LogText(const KrStringT<char>& text) {
    return text.Text() != nullptr ? text.Text() : "";
}
