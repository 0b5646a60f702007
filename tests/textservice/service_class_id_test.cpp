// The text service's class identifier comes from string resource 1 of the library.
#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"
#include "textservice/class_factory.h"

namespace {

TEST(ServiceClassIdTest, ReadFromTheLibraryResource) {
    std::wstring self = testing_support::SelfPath();
    std::wstring library = self.substr(0, self.find_last_of(L'\\') + 1) + L"zanTSF.dll";
    HMODULE module = LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    CLSID id = GUID_NULL;
    EXPECT_EQ(ReadServiceClassId(module, &id), 1);
    const CLSID expected = {
        0xD7812E39, 0xFBD7, 0x43A7, {0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F}};
    EXPECT_TRUE(IsEqualCLSID(id, expected));
    EXPECT_EQ(ReadServiceClassId(module, nullptr), 0);
    FreeLibrary(module);
}

TEST(ServiceClassIdTest, MissingResourceGivesNoClass) {
    // This test program has no string resource 1.
    CLSID id = GUID_NULL;
    EXPECT_EQ(ReadServiceClassId(GetModuleHandleW(nullptr), &id), 0);
    EXPECT_TRUE(IsEqualCLSID(id, GUID_NULL));
}

// Without a class identifier no factory is built and every request is refused.
TEST(ServiceClassIdTest, NoFactoryWithoutClassId) {
    const CLSID nullClass = GUID_NULL;
    void* out = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
    EXPECT_EQ(GetClassObject(&nullClass, &IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetClassObject(nullptr, &IID_IClassFactory, &out), E_INVALIDARG);
    EXPECT_EQ(GetClassObject(&nullClass, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
