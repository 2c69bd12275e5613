#include "window_placement.h"

#include "d3d_ren_dev.h"
#include "platform.h"

void SetEngineWindowStyle(KrRenderBase& render, bool windowed) {
    DWORD style = windowed ? static_cast<DWORD>(render.WindowStyle()) : kFullScreenWindowStyle;
    Platform().SetWindowLongA(render.ParentHandle(), GWL_STYLE, static_cast<LONG>(style));
}

void ShowEngineCursor() {
    KrApplication* app = Engine().App();
    Platform().ShowCursor(app != nullptr && app->GetUseOSCursor() ? TRUE : FALSE);
}

void PlaceEngineWindow(KrRenderBase& render, bool windowed) {
    KrWindowBase* window = Engine().OSGUI();
    if (window == nullptr) {
        return;
    }
    if (windowed) {
        window->PlaceWindow(render.ParentHandle(), nullptr);
        return;
    }
    RECT area = render.GetClientArea();
    Platform().AdjustWindowRect(&area, static_cast<DWORD>(render.WindowStyle()), TRUE);
    window->PlaceWindow(render.ParentHandle(), &area);
}

// Only the restored position is kept: the window comes back there after full screen.
void KrD3DRenDev::SaveCurrWinPos() {
    WINDOWPLACEMENT placement;
    krMemset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    Platform().GetWindowPlacement(ParentHandle(), &placement);
    windowX = placement.rcNormalPosition.left;
    windowY = placement.rcNormalPosition.top;
}
