// The property sheet of one model as the control panel shows it, driven by
// fuzz input: the sheet object made through the loaded module's factory, all
// its pages in a property sheet, and a joystick that reads and answers as the
// input says. Each Act() is one user action, one tick or one change of the
// joystick; Finish() closes everything and aborts when anything the sheet
// made outlives it.
#pragma once

#include <windows.h>
#include <dinput.h>

#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/machine_setup.h"
#include "fuzz/model_constants.h"
#include "property_sheet/controller_sheet_interface.h"

namespace fuzz {

class SheetSession {
  public:
    // Expects a fresh machine; plugs in the joystick at `joystickId`.
    SheetSession(const ModelConstants& model, FuzzInput& in);
    SheetSession(const SheetSession&) = delete;
    SheetSession& operator=(const SheetSession&) = delete;

    void Act();
    void Finish();

  private:
    void Open();
    void Close(bool apply);
    HWND ActivePage() const;
    // One of the page's own controls of that class (any class for none).
    HWND SomeChildOf(HWND page, const char* className);

    const ModelConstants& model_;
    FuzzInput& in_;
    PluggedController controller_;
    IDIGameCntrlPropSheet* sheet_ = nullptr;
    HWND frame_ = nullptr;
    UINT pageCount_ = 0;
    size_t gdiBaseline_ = 0;
    size_t blocksBefore_ = 0;
};

}  // namespace fuzz
