// The input method library as a COM server: exports, class factory and object count,
// loaded with LoadLibrary like a host does.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/test_files.h"

namespace {

// {D7812E39-FBD7-43A7-99C7-DE9322D54A0F}
const CLSID kServiceClassId = {
    0xD7812E39, 0xFBD7, 0x43A7, {0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0F}};
// The same with the last digit changed.
const CLSID kOtherClassId = {
    0xD7812E39, 0xFBD7, 0x43A7, {0x99, 0xC7, 0xDE, 0x93, 0x22, 0xD5, 0x4A, 0x0E}};

void* const kJunk = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgFn = HRESULT(STDAPICALLTYPE*)();

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::wstring LibraryPath() {
    std::wstring self = testing_support::SelfPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"zanTSF.dll";
}

// Loads a fresh copy of the library for each test; every test must leave it unloadable.
class DllEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(module_, nullptr) << "cannot load zanTSF.dll, error " << GetLastError();
        getClassObject_ = Export<GetClassObjectFn>(module_, "DllGetClassObject");
        canUnloadNow_ = Export<NoArgFn>(module_, "DllCanUnloadNow");
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnloadNow_, nullptr);
    }
    void TearDown() override {
        if (!module_) return;
        EXPECT_EQ(canUnloadNow_(), S_OK) << "something of the library is still alive";
        FreeLibrary(module_);
    }

    IClassFactory* Factory() {
        void* out = kJunk;
        HRESULT hr = getClassObject_(kServiceClassId, IID_IClassFactory, &out);
        EXPECT_EQ(hr, S_OK);
        return SUCCEEDED(hr) ? static_cast<IClassFactory*>(out) : nullptr;
    }

    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    NoArgFn canUnloadNow_ = nullptr;
};

TEST_F(DllEntryTest, FreshLibraryCanUnload) { EXPECT_EQ(canUnloadNow_(), S_OK); }

TEST_F(DllEntryTest, ExportsAndStringResources) {
    const char* exports[] = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
                             "DllUnregisterServer"};
    for (const char* name : exports) EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;

    wchar_t text[64] = {};
    EXPECT_EQ(LoadStringW(module_, 1, text, 64), 38);
    EXPECT_STREQ(text, L"{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}");
    EXPECT_EQ(LoadStringW(module_, 2, text, 64), 6);
    EXPECT_STREQ(text, L"215.62");
}

TEST_F(DllEntryTest, RegistrationExportsOnlyReportSuccess) {
    const wchar_t* key = L"CLSID\\{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}";
    auto registered = [&] {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    };
    ASSERT_FALSE(registered());
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer"}) {
        auto fn = Export<NoArgFn>(module_, name);
        ASSERT_NE(fn, nullptr) << name;
        EXPECT_EQ(fn(), S_OK) << name;
        EXPECT_FALSE(registered()) << name;
        EXPECT_EQ(canUnloadNow_(), S_OK) << name;
    }
}

TEST_F(DllEntryTest, ClassObjectLookup) {
    struct Case {
        const char* what;
        const CLSID& classId;
        const IID& iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"factory interface", kServiceClassId, IID_IClassFactory, S_OK},
        {"IUnknown", kServiceClassId, IID_IUnknown, S_OK},
        {"other class", kOtherClassId, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"null class", GUID_NULL, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {"other interface", kServiceClassId, IID_IDispatch, CLASS_E_CLASSNOTAVAILABLE},
        {"the class id as interface", kServiceClassId, kServiceClassId, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* out = kJunk;
        EXPECT_EQ(getClassObject_(c.classId, c.iid, &out), c.expected);
        if (c.expected != S_OK) {
            EXPECT_EQ(out, nullptr);
            EXPECT_EQ(canUnloadNow_(), S_OK);
            continue;
        }
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(canUnloadNow_(), S_FALSE);
        EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 0u);
        EXPECT_EQ(canUnloadNow_(), S_OK);
    }
}

TEST_F(DllEntryTest, ClassObjectWithoutOutPointerFailsCleanly) {
    EXPECT_EQ(getClassObject_(kServiceClassId, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(DllEntryTest, FactoryReferencesAreTheObjectCount) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    // The count went from -1 to 0: AddRef and Release answer the new count plus one.
    EXPECT_EQ(factory->AddRef(), 2u);

    void* again = nullptr;
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, &again), S_OK);
    EXPECT_EQ(again, factory);
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, &again), S_OK);
    EXPECT_EQ(again, factory);
    again = kJunk;
    EXPECT_EQ(factory->QueryInterface(IID_IDispatch, &again), E_NOINTERFACE);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);

    // While the factory lives every request hands out the same one.
    IClassFactory* second = Factory();
    EXPECT_EQ(second, factory);

    EXPECT_EQ(factory->Release(), 4u);
    EXPECT_EQ(factory->Release(), 3u);
    EXPECT_EQ(factory->Release(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(canUnloadNow_(), S_OK);

    // A deleted factory is built again on the next request.
    IClassFactory* rebuilt = Factory();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->Release(), 0u);
}

TEST_F(DllEntryTest, LockServerKeepsTheLibrary) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);

    // The lock keeps the factory too: the next request finds the same one.
    IClassFactory* again = Factory();
    EXPECT_EQ(again, factory);
    EXPECT_EQ(again->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    EXPECT_EQ(again->Release(), 0u);
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(DllEntryTest, CreateInstance) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IUnknown* outer = factory;  // any object stands for an aggregating outer one

    struct Case {
        const char* what;
        IUnknown* outer;
        const IID& iid;
        bool withOut;
        HRESULT expected;
    };
    const Case cases[] = {
        {"aggregation", outer, IID_IUnknown, true, CLASS_E_NOAGGREGATION},
        {"no out pointer", nullptr, IID_IUnknown, false, E_INVALIDARG},
        {"unknown interface", nullptr, IID_IClassFactory, true, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* out = kJunk;
        EXPECT_EQ(factory->CreateInstance(c.outer, c.iid, c.withOut ? &out : nullptr), c.expected);
        if (c.withOut) {
            EXPECT_EQ(out, nullptr);
        }
        // Nothing stays alive: the factory reference is the last thing counted.
        EXPECT_EQ(factory->AddRef(), 2u);
        factory->Release();
    }

    void* out = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &out), S_OK);
    ASSERT_NE(out, nullptr);
    auto* service = static_cast<IUnknown*>(out);
    EXPECT_EQ(service->AddRef(), 2u);  // its own count, apart from the library's
    EXPECT_EQ(service->Release(), 1u);

    // The text service alone keeps the library loaded, after the factory is gone.
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    EXPECT_EQ(service->Release(), 0u);
    EXPECT_EQ(canUnloadNow_(), S_OK);

    // The factory outlived its last reference under the live service; it still serves.
    IClassFactory* again = Factory();
    ASSERT_NE(again, nullptr);
    out = nullptr;
    ASSERT_EQ(again->CreateInstance(nullptr, IID_IUnknown, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(again->Release(), 0u);
}

// Hosts ask for class objects from any thread; final releases race with new requests.
TEST_F(DllEntryTest, ConcurrentRequestsAndReleases) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 3000; ++i) {
                void* out = nullptr;
                if (getClassObject_(kServiceClassId, IID_IClassFactory, &out) != S_OK || !out) {
                    ++failures;
                    continue;
                }
                auto* factory = static_cast<IClassFactory*>(out);
                void* service = nullptr;
                if (factory->CreateInstance(nullptr, IID_IUnknown, &service) != S_OK) ++failures;
                factory->Release();
                if (service) static_cast<IUnknown*>(service)->Release();
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

// Unloading with a factory that outlived its last reference, then loading again.
TEST_F(DllEntryTest, ReloadAfterALingeringFactory) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    void* service = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &service), S_OK);
    factory->Release();
    static_cast<IUnknown*>(service)->Release();
    ASSERT_EQ(canUnloadNow_(), S_OK);
    FreeLibrary(module_);
    module_ = nullptr;

    HMODULE again = LoadLibraryW(LibraryPath().c_str());
    ASSERT_NE(again, nullptr);
    auto canUnload = Export<NoArgFn>(again, "DllCanUnloadNow");
    ASSERT_NE(canUnload, nullptr);
    auto getClassObject = Export<GetClassObjectFn>(again, "DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
    void* out = nullptr;
    EXPECT_EQ(getClassObject(kServiceClassId, IID_IClassFactory, &out), S_OK);
    if (out) {
        EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 0u);
    }
    EXPECT_EQ(canUnload(), S_OK);
    FreeLibrary(again);
}

}  // namespace
