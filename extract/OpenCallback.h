#pragma once
// The archive library's open callback: fixed answers, no state. The archive
// is opened without a password, so encrypted headers fail to open and no
// question is ever shown during the open.
#include "extract/SevenZip.h"

#include "CPP/7zip/UI/Common/ArchiveOpenCallback.h"

namespace extract {

class MyOpenCallback final : public IOpenCallbackUI {
public:
    Z7_IFACE_IMP(IOpenCallbackUI)
};

}  // namespace extract
