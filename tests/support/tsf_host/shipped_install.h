// The shipped data files (ZAN_DATA_DIR, else the build's out/data) installed under a GUID of
// their own, with the engine platform's GUID text pointing at it: Engine::Create opens them.
// Installing it after the test keyboard (FakeKeyboard) keeps that keyboard.
#pragma once
#include <string>

#include "engine/platform.h"
#include "support/installed_ime.h"
#include "support/shipped_data.h"

namespace tsf_host {

using testing_support::ShippedDataFile;

class ShippedInstall {
public:
    ShippedInstall();
    ~ShippedInstall();
    ShippedInstall(const ShippedInstall&) = delete;
    ShippedInstall& operator=(const ShippedInstall&) = delete;

    // False when the shipped files are missing (the caller skips).
    bool ok() const { return ok_; }
    // Points the platform in force (keeping its other calls, such as a test keyboard's) at
    // this installation: engines created next open its files.
    void Use();
    testing_support::InstalledIme ime;

private:
    bool ok_ = false;
    EnginePlatform platform_{};
};

}  // namespace tsf_host
