// A sheet object made the way the factory makes it, for tests that need a
// sheet but not the control panel: it is released (and with it the device
// and joy-config object it holds) when the test is done with it.
#pragma once

#include "property_sheet/controller_sheet.h"

class TestSheet {
  public:
    TestSheet() : sheet_(CreateControllerSheet()) {}
    ~TestSheet() {
        if (sheet_ != nullptr) {
            IDIGameCntrlPropSheet_Release(get());
        }
    }
    TestSheet(const TestSheet&) = delete;
    TestSheet& operator=(const TestSheet&) = delete;

    IDIGameCntrlPropSheet* get() { return &sheet_->iface; }
    IDirectInputDevice2A* device() const { return sheet_->inputDevice; }
    IDirectInputJoyConfig* joyConfig() const { return sheet_->joyConfig; }
    void SetID(USHORT id) { IDIGameCntrlPropSheet_SetID(get(), id); }

  private:
    ControllerSheet* sheet_;
};
