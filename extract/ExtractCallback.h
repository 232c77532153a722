#pragma once
// The archive library's extract callback: turns the library's events into
// messages to the dialog, refuses to begin on a disk that is too small,
// honours the stop flag, keeps the library's error text and supplies the
// archive password; hands the library's callback the run's held folders.
// Used on the extraction thread only.
#include "extract/SevenZip.h"

#include <string>

#include "CPP/7zip/IPassword.h"
#include "CPP/7zip/UI/Common/IFileExtractCallback.h"
#include "extract/library/HeldFolders.h"
#include "orelib/ProgressThrottle.h"

namespace extract {

class CExtractThread;

// Counted without locking: used on one thread only.
class MyExtractCallback final : public IFolderArchiveExtractCallback,
                                public ICryptoGetTextPassword,
                                public IExtractCallbackUI,
                                public IHeldFolders,
                                public CMyUnknownImp {
    Z7_COM_UNKNOWN_IMP_3(IFolderArchiveExtractCallback, ICryptoGetTextPassword, IHeldFolders)

public:
    // Without `folders` the library's callback can write nothing.
    explicit MyExtractCallback(CExtractThread& owner, orelib::CFolderTree* folders = nullptr);

    Z7_IFACE_COM7_IMP(IProgress)
    Z7_IFACE_COM7_IMP(IFolderArchiveExtractCallback)
    Z7_IFACE_COM7_IMP(ICryptoGetTextPassword)
    Z7_IFACE_IMP(IExtractCallbackUI)
    orelib::CFolderTree* HeldFolders() override { return m_folders; }

    // The text of the last MessageError; empty until then.
    const std::wstring& LastMessage() const { return m_lastMessage; }

private:
    ~MyExtractCallback();  // through Release only

    CExtractThread& m_owner;
    orelib::CFolderTree* m_folders;
    std::wstring m_lastMessage;
    std::wstring m_password;
    orelib::CProgressThrottle m_progress;
};

}  // namespace extract
