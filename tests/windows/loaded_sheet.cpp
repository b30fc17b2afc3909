#include "loaded_sheet.h"

#include "program_directory.h"

namespace windows_test {

std::wstring ProductNameWide() {
    // The product names are plain ASCII.
    const std::string name = kModelProfile.productName;
    return std::wstring(name.begin(), name.end());
}

void SheetModule::SetUp() {
    const std::string path = ProgramDirectory() + PADSCOPE_MODULE_NAME;
    module_ = std::make_unique<test_support::LoadedModule>(path.c_str());
    ASSERT_TRUE(module_->loaded())
        << "LoadLibraryA(" << path << ") failed, error " << GetLastError();
}

void SheetModule::TearDown() {
    if (module_ && module_->loaded()) {
        EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "an object or lock outlived the test";
    }
    module_.reset();
}

IClassFactory* SheetModule::Factory() {
    void* out = nullptr;
    EXPECT_EQ(S_OK,
              module_->GetClassObject(kModelProfile.propertySheetClassId, IID_IClassFactory, &out));
    return static_cast<IClassFactory*>(out);
}

IDIGameCntrlPropSheet* SheetModule::CreateSheet(IClassFactory* factory) {
    void* out = nullptr;
    EXPECT_EQ(S_OK,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet, &out));
    return static_cast<IDIGameCntrlPropSheet*>(out);
}

IDIGameCntrlPropSheet* SheetModule::CreateSheet() {
    IClassFactory* factory = Factory();
    if (factory == nullptr) {
        return nullptr;
    }
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    IClassFactory_Release(factory);
    return sheet;
}

}  // namespace windows_test
