#pragma once
// The archive library's extract callback: turns the library's events into
// messages to the dialog, refuses to begin on a disk that is too small,
// honours the stop flag, keeps the library's error text and supplies the
// archive password. Used on the extraction thread only.
#include "extract/SevenZip.h"

#include <string>

#include "CPP/7zip/IPassword.h"
#include "CPP/7zip/UI/Common/IFileExtractCallback.h"
#include "orelib/ProgressThrottle.h"

namespace extract {

class CExtractThread;

// Counted without locking: used on one thread only.
class MyExtractCallback final : public IFolderArchiveExtractCallback,
                                public ICryptoGetTextPassword,
                                public IExtractCallbackUI,
                                public CMyUnknownImp {
    Z7_COM_UNKNOWN_IMP_2(IFolderArchiveExtractCallback, ICryptoGetTextPassword)

public:
    explicit MyExtractCallback(CExtractThread& owner);

    Z7_IFACE_COM7_IMP(IProgress)
    Z7_IFACE_COM7_IMP(IFolderArchiveExtractCallback)
    Z7_IFACE_COM7_IMP(ICryptoGetTextPassword)
    Z7_IFACE_IMP(IExtractCallbackUI)

    // The text of the last MessageError; empty until then.
    const std::wstring& LastMessage() const { return m_lastMessage; }

private:
    ~MyExtractCallback();  // through Release only

    CExtractThread& m_owner;
    std::wstring m_lastMessage;
    std::wstring m_password;
    orelib::CProgressThrottle m_progress;
};

}  // namespace extract
