#pragma once
// The one owner of a run's working folder: it creates the folder, holds it
// open until the end, hands out the path the folder really has, and deletes
// it through its handle. Nothing else creates, locks or deletes it.
#include <windows.h>

#include <functional>
#include <string>

#include "orelib/win32/Handle.h"
#include "orelib/win32/RelativeOpen.h"
#include "orelib/win32/Result.h"

namespace orelib {

// Refusals of CWorkingFolder::Create besides kFolderIsLink and the system's own errors.
constexpr HRESULT kFolderWrongOwner = HresultFromWin32(ERROR_INVALID_OWNER);
constexpr HRESULT kFolderNoAcls = HresultFromWin32(ERROR_NOT_SUPPORTED);

// Used by one thread at a time: start-up and the dialog on the UI thread, a
// worker while the dialog waits for its report.
class CWorkingFolder {
public:
    using NameSource = std::function<std::wstring()>;

    CWorkingFolder() = default;
    ~CWorkingFolder() { Delete(); }  // a folder no run cleaned up is not left behind
    CWorkingFolder(const CWorkingFolder&) = delete;
    CWorkingFolder& operator=(const CWorkingFolder&) = delete;

    // Makes a new folder under `parent`, created and opened in one step
    // (created, never opened when it exists: a taken name draws the next one
    // from `nextName`, at most `maxTries` names) with the private security
    // descriptor, held without delete sharing so that nobody can rename or
    // remove it or a folder above it. Then checked through the handle: a
    // plain folder, owned by this process, on a volume that keeps ACLs; a
    // folder that fails is deleted again. An unelevated process's user may
    // change what is in the folder, as it must to extract into it.
    // `parentIsUsers`: the parent is one the user controls (the user's TEMP, a
    // folder the user picked), refused when it is a link. A folder held
    // before is deleted first.
    HRESULT Create(const std::wstring& parent, bool parentIsUsers, const NameSource& nextName, int maxTries);

    bool IsHeld() const { return m_handle.IsValid(); }
    // The held folder, for opening what is in it relative to it.
    HANDLE Handle() const { return m_handle.Get(); }
    // Where the folder is, links resolved at creation; "" when none is held.
    const std::wstring& Path() const { return m_path; }

    // Deletes the folder with everything in it through the held handle
    // (links inside are removed, never followed) and lets go of it. Nothing
    // is ever deleted by path. True when nothing stayed; a held folder is
    // let go of even when something stayed. Nothing to do when none is held.
    bool Delete();

private:
    HRESULT CheckCreated() const;

    CHandle m_parent;  // the folder it was made in, for its final removal
    CHandle m_handle;  // the folder itself, without delete sharing
    std::wstring m_name;
    std::wstring m_path;
};

}  // namespace orelib
