// padscope-view: shows a model's game-controller property sheet the way the
// control panel shows it, in a window of its own, or captures each tab as a
// picture and leaves. With --controller a stand-in controller of the model
// is plugged in as the sheet's joystick and held from a window beside it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/sheet_viewer/attached_controller.h"
#include "tools/sheet_viewer/control_panel.h"
#include "tools/sheet_viewer/controller_window.h"
#include "tools/sheet_viewer/screenshot_name.h"
#include "tools/sheet_viewer/sheet_models.h"
#include "tools/sheet_viewer/viewer_options.h"
#include "tools/sheet_viewer/window_capture.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Long enough for several 10 ms page ticks and the paints they cause.
constexpr DWORD kTabSettleMs = 300;
// How long the motors may take to answer the Vibration Test page: its
// effect goes through DirectInput to the effect driver, whose next tick
// writes the report.
constexpr DWORD kMotorAnswerMs = 2000;
constexpr DWORD kMotorPollMs = 20;
// The module file the controllers live in, built beside the viewer.
constexpr char kControllerModuleName[] = "standin_controllers.sys";

static_assert(sheet_viewer::kControllerSlots == standin::kSlotCount,
              "--id is checked against the controller module's slots");

// The sheet modules are built beside the viewer.
std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : directory.substr(0, slash + 1);
}

std::string NarrowProgramDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    const size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool SavePicture(HWND window, const std::string& path) {
    const sheet_viewer::RgbaPicture picture = sheet_viewer::CaptureWindow(window);
    if (!sheet_viewer::WritePng(path, picture)) {
        std::fprintf(stderr, "padscope-view: cannot capture %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%ux%u)\n", path.c_str(), picture.width, picture.height);
    return true;
}

// The Vibration Test page's "Both force" button when `page` is that page.
HWND BothForceButton(HWND page) {
    return page == nullptr ? nullptr : FindWindowExW(page, nullptr, L"Button", L"Both force");
}

// Keeps the sheet and the controller window going until the controller's
// motors run; false when they stay still or the sheet closes.
bool WaitForMotors(control_panel::ControlPanel& panel,
                   const sheet_viewer::AttachedController& controller) {
    for (DWORD waited = 0; waited < kMotorAnswerMs; waited += kMotorPollMs) {
        const sheet_viewer::MotorStrengths& motors = controller.motors();
        if (motors.left != 0 || motors.right != 0) {
            return true;
        }
        if (!panel.PumpMessages(kMotorPollMs)) {
            return false;
        }
    }
    return false;
}

// Shows each tab in turn and saves its picture; false at the first failure.
// With a controller attached, the Vibration Test page runs both motors
// before its picture, and the controller window is captured with them
// running as DIR/<model>-controller.png.
bool CaptureEveryTab(control_panel::ControlPanel& panel, const std::string& model,
                     const std::string& directory,
                     const sheet_viewer::AttachedController* controller,
                     const sheet_viewer::ControllerWindow* controllerWindow) {
    if (!MakeDirectory(directory)) {
        std::fprintf(stderr, "padscope-view: cannot create %s\n", directory.c_str());
        return false;
    }
    const UINT tabs = panel.tabCount();
    bool capturedController = false;
    for (UINT tab = 0; tab < tabs; ++tab) {
        if (!panel.SelectTab(tab)) {
            std::fprintf(stderr, "padscope-view: tab %u cannot be selected\n", tab + 1);
            return false;
        }
        const HWND bothForce =
            controller != nullptr ? BothForceButton(panel.currentPage()) : nullptr;
        if (bothForce != nullptr) {
            SendMessageW(bothForce, BM_CLICK, 0, 0);
        }
        if (!panel.PumpMessages(kTabSettleMs)) {
            std::fprintf(stderr, "padscope-view: the sheet closed on tab %u\n", tab + 1);
            return false;
        }
        const std::string path =
            directory + "\\" + sheet_viewer::ScreenshotName(model, tab + 1, panel.TabText(tab));
        if (!SavePicture(panel.window(), path)) {
            return false;
        }
        if (bothForce != nullptr) {
            if (!WaitForMotors(panel, *controller)) {
                std::fprintf(stderr,
                             "padscope-view: the motors did not run after \"Both force\" "
                             "(%llu reports read)\n",
                             static_cast<unsigned long long>(controller->reportsRead()));
                return false;
            }
            // One more poll and paint, so that the bars show the latest report.
            panel.PumpMessages(kMotorPollMs * 3);
            if (!SavePicture(controllerWindow->window(),
                             directory + "\\" + model + "-controller.png")) {
                return false;
            }
            capturedController = true;
        }
    }
    if (controller != nullptr && !capturedController) {
        std::fprintf(stderr, "padscope-view: no Vibration Test page to run the motors on\n");
        return false;
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

    // The controller is in its slot, held as asked, before the sheet first
    // looks for it.
    sheet_viewer::AttachedController controller(model->profile);
    if (options.controller) {
        std::string failure;
        if (!controller.Attach(NarrowProgramDirectory() + kControllerModuleName, options.joystickId,
                               options.reading, failure)) {
            std::fprintf(stderr, "padscope-view: no stand-in controller: %s\n", failure.c_str());
            return kExitFailure;
        }
    }

    control_panel::ControlPanel panel;
    const HRESULT opened =
        panel.Open(ProgramDirectory() + model->moduleName, model->profile.propertySheetClassId,
                   static_cast<USHORT>(options.joystickId), options.firstTab - 1);
    if (FAILED(opened)) {
        std::fprintf(stderr, "padscope-view: %ls: %s failed with 0x%08lX\n", model->moduleName,
                     panel.failure().c_str(), static_cast<unsigned long>(opened));
        return kExitFailure;
    }

    sheet_viewer::ControllerWindow controllerWindow(controller);
    if (options.controller) {
        wchar_t title[64];
        std::swprintf(title, 64, L"Model %lc controller, joystick %u",
                      static_cast<wint_t>(options.model[0] & ~0x20), options.joystickId);
        if (!controllerWindow.Open(panel.window(), title)) {
            std::fprintf(stderr, "padscope-view: the controller window cannot be opened\n");
            panel.Close();
            return kExitFailure;
        }
    }

    bool succeeded = true;
    if (options.screenshotsDir.empty()) {
        panel.RunUntilClosed();
    } else {
        succeeded = CaptureEveryTab(panel, options.model, options.screenshotsDir,
                                    options.controller ? &controller : nullptr,
                                    options.controller ? &controllerWindow : nullptr);
    }

    // The controller goes first: its window stops reading reports, and the
    // slot is forgotten before the sheet lets go of the device.
    controllerWindow.Close();
    controller.Detach();
    const HRESULT unload = panel.Close();
    if (unload != S_OK) {
        std::fprintf(stderr, "padscope-view: %ls stays loaded: DllCanUnloadNow answered 0x%08lX\n",
                     model->moduleName, static_cast<unsigned long>(unload));
        succeeded = false;
    }
    return succeeded ? 0 : kExitFailure;
}
