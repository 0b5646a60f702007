// The shipped data files (ZAN_DATA_DIR, else the build's out/data) installed under a GUID of
// their own, with the engine platform's GUID text pointing at it: Engine::Create opens them.
// Installing it after the test keyboard (FakeKeyboard) keeps that keyboard.
#pragma once
#include <string>

#include "engine/platform.h"
#include "support/installed_ime.h"

namespace tsf_host {

std::wstring ShippedDataFile(const wchar_t* name);

class ShippedInstall {
public:
    ShippedInstall();
    ~ShippedInstall();
    ShippedInstall(const ShippedInstall&) = delete;
    ShippedInstall& operator=(const ShippedInstall&) = delete;

    // False when the shipped files are missing (the caller skips).
    bool ok() const { return ok_; }
    testing_support::InstalledIme ime;

private:
    bool ok_ = false;
    EnginePlatform platform_{};
};

}  // namespace tsf_host
