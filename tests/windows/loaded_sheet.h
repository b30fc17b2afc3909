// The property sheet module in a real Windows runtime, loaded the way the
// game-controller control panel loads it: LoadLibraryA and the two exports,
// nothing else.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet_interface.h"
#include "support/loaded_module.h"

namespace windows_test {

// The model's product name as the control panel shows it in the caption.
std::wstring ProductNameWide();

// Each test loads the module afresh and checks at its end that nothing it
// made is still alive (DllCanUnloadNow).
class SheetModule : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new factory from DllGetClassObject; fails the test when refused.
    IClassFactory* Factory();
    // A sheet made by `factory`; fails the test when refused.
    IDIGameCntrlPropSheet* CreateSheet(IClassFactory* factory);
    // A sheet made by a factory that is released again at once, as the
    // control panel holds it.
    IDIGameCntrlPropSheet* CreateSheet();

    HMODULE module() const { return module_->handle(); }

    std::unique_ptr<test_support::LoadedModule> module_;
};

}  // namespace windows_test
