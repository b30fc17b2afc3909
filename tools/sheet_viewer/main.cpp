// padscope-view: shows a model's game-controller property sheet the way the
// control panel shows it, in a window of its own, or captures each tab as a
// picture and leaves.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/sheet_viewer/control_panel.h"
#include "tools/sheet_viewer/screenshot_name.h"
#include "tools/sheet_viewer/sheet_models.h"
#include "tools/sheet_viewer/viewer_options.h"
#include "tools/sheet_viewer/window_capture.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Long enough for several 10 ms page ticks and the paints they cause.
constexpr DWORD kTabSettleMs = 300;

// The sheet modules are built beside the viewer.
std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : directory.substr(0, slash + 1);
}

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Shows each tab in turn and saves its picture; false at the first failure.
bool CaptureEveryTab(control_panel::ControlPanel& panel, const std::string& model,
                     const std::string& directory) {
    if (!MakeDirectory(directory)) {
        std::fprintf(stderr, "padscope-view: cannot create %s\n", directory.c_str());
        return false;
    }
    const UINT tabs = panel.tabCount();
    for (UINT tab = 0; tab < tabs; ++tab) {
        if (!panel.SelectTab(tab)) {
            std::fprintf(stderr, "padscope-view: tab %u cannot be selected\n", tab + 1);
            return false;
        }
        if (!panel.PumpMessages(kTabSettleMs)) {
            std::fprintf(stderr, "padscope-view: the sheet closed on tab %u\n", tab + 1);
            return false;
        }
        const std::string path =
            directory + "\\" + sheet_viewer::ScreenshotName(model, tab + 1, panel.TabText(tab));
        const sheet_viewer::RgbaPicture picture = sheet_viewer::CaptureWindow(panel.window());
        if (!sheet_viewer::WritePng(path, picture)) {
            std::fprintf(stderr, "padscope-view: cannot capture tab %u into %s\n", tab + 1,
                         path.c_str());
            return false;
        }
        std::printf("%s (%ux%u)\n", path.c_str(), picture.width, picture.height);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    sheet_viewer::ViewerOptions options;
    std::string error;
    if (!sheet_viewer::ParseViewerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "padscope-view: %s\n%s", error.c_str(), sheet_viewer::ViewerUsage());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(sheet_viewer::ViewerUsage(), stdout);
        return 0;
    }
    const sheet_viewer::SheetModel* model = sheet_viewer::FindSheetModel(options.model.c_str());
    if (model == nullptr) {
        std::fprintf(stderr, "padscope-view: no model %s\n", options.model.c_str());
        return kExitUsage;
    }

    control_panel::ControlPanel panel;
    const HRESULT opened =
        panel.Open(ProgramDirectory() + model->moduleName, model->classId,
                   static_cast<USHORT>(options.joystickId), options.firstTab - 1);
    if (FAILED(opened)) {
        std::fprintf(stderr, "padscope-view: %ls: %s failed with 0x%08lX\n", model->moduleName,
                     panel.failure().c_str(), static_cast<unsigned long>(opened));
        return kExitFailure;
    }

    bool succeeded = true;
    if (options.screenshotsDir.empty()) {
        panel.RunUntilClosed();
    } else {
        succeeded = CaptureEveryTab(panel, options.model, options.screenshotsDir);
    }

    const HRESULT unload = panel.Close();
    if (unload != S_OK) {
        std::fprintf(stderr, "padscope-view: %ls stays loaded: DllCanUnloadNow answered 0x%08lX\n",
                     model->moduleName, static_cast<unsigned long>(unload));
        succeeded = false;
    }
    return succeeded ? 0 : kExitFailure;
}
