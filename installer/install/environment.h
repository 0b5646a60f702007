// What the install, registration and removal steps take from the machine, behind one seam:
// folders, the Windows version, program launches, questions to the user, operations left
// for the next restart, progress and log lines, and the framework's profile objects. The
// steps use the machine's own one; tests replace parts of it.
#pragma once
#include <windows.h>
#include <msctf.h>

#include <string>

struct InstallEnvironment {
    virtual ~InstallEnvironment() = default;

    // Folders, each with a trailing '\' (empty when unknown).
    virtual std::wstring SystemFolder();       // 64-bit system folder
    virtual std::wstring SystemWow64Folder();  // 32-bit system folder
    virtual std::wstring CommonAppData();      // the machine's application data
    virtual std::wstring CommonPrograms();     // the Start menu's common Programs folder
    virtual std::wstring ProgramFiles();
    virtual std::wstring WindowsFolder();
    virtual std::wstring FontsFolder();
    virtual std::wstring TempFolder();
    virtual std::wstring DesktopFolder();
    virtual std::wstring InternetCache();
    virtual std::wstring DocumentsFolder();  // the user's, created when missing

    // The family's registry key under HKEY_LOCAL_MACHINE, where every product has its key.
    virtual std::wstring FamilyKey();

    // Windows version as major * 0x100 + minor (0x0601 for 6.1, 0x0602 for 6.2).
    virtual unsigned WindowsVersion();

    // Starts file with parameters ("open", shown or hidden); false when it cannot start.
    virtual bool Launch(const wchar_t* file, const wchar_t* parameters, bool shown);
    // A message box answer (IDYES, IDNO, IDOK ...).
    virtual int Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

    // Renames from to to at the next restart; a null to deletes from then.
    virtual bool ScheduleAtRestart(const wchar_t* from, const wchar_t* to);

    // Progress position 0..100 and an optional log line ("\r\n" appended by the log).
    virtual void Progress(int position, const wchar_t* line);
    // A line shown for a moment while a file is copied.
    virtual void TransientLine(const wchar_t* line);

    // The framework's profile and category objects (CoCreateInstance on the machine).
    virtual HRESULT CreateProfiles(ITfInputProcessorProfiles** out);
    virtual HRESULT CreateCategoryMgr(ITfCategoryMgr** out);

    // Tells every top-level window that the keyboard layout list changed.
    virtual void BroadcastLayoutChange();
};

// The machine itself (one per process).
InstallEnvironment& MachineEnvironment();

constexpr unsigned kWindows8 = 0x0602;
