// The engine window around a device creation or a full-screen toggle: its style, the cursor, and
// where the engine's window object puts it.
#pragma once

#include <windows.h>

#include "krngn.h"

// A borderless popup that covers the display.
const DWORD kFullScreenWindowStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;

void SetEngineWindowStyle(KrRenderBase& render, bool windowed);
// Shows the system cursor only when the application asks for it.
void ShowEngineCursor();
// A window goes back to its saved position; full screen covers the client area widened by the
// frame of the windowed style. Without an engine window object there is nothing to place.
void PlaceEngineWindow(KrRenderBase& render, bool windowed);
