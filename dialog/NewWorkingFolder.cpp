#include "dialog/NewWorkingFolder.h"

#include <utility>

#include "orelib/RandomName.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/SecureRandom.h"

namespace dialog {

namespace {
const wchar_t kNameAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomChars = 8;
// A fresh name collides with an existing folder about once in 2.8e12 draws:
// this many collisions in a row mean someone is in the way.
constexpr int kMaxNameTries = 16;

WorkingFolderNameSource& NameSource() {
    static WorkingFolderNameSource source;
    return source;
}

// Why a folder that could be made was not used.
const wchar_t* RefusalReason(HRESULT hr) {
    if (hr == orelib::kFolderIsLink) return L"The temporary folder is a link to another place.";
    if (hr == orelib::kFolderWrongOwner) return L"The new folder is not owned by the one who made it.";
    if (hr == orelib::kFolderNoAcls) return L"The drive of the temporary folder keeps no access rights.";
    return nullptr;
}
}  // namespace

uint32_t ErrorCodeOf(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<uint32_t>(hr);
}

std::wstring MakeWorkingFolderName() {
    return orelib::MakeRandomName(L"ktv", kNameAlphabet, kRandomChars, orelib::FillSecureRandom);
}

void SetWorkingFolderNameSource(WorkingFolderNameSource source) { NameSource() = std::move(source); }

HRESULT CreateWorkingFolder(orelib::CWorkingFolder& owner, const std::wstring& parent, bool usersTemp) {
    const WorkingFolderNameSource& source = NameSource();
    return owner.Create(parent, usersTemp, source ? source : WorkingFolderNameSource(MakeWorkingFolderName),
                        kMaxNameTries);
}

std::wstring CreateFolderErrorText(HRESULT hr) {
    std::wstring text = L"Could not create a temporary folder for the installation files.\n\n";
    if (const wchar_t* reason = RefusalReason(hr)) text += std::wstring(reason) + L"\n\n";
    return text + orelib::FormatErrorText(ErrorCodeOf(hr));
}

std::wstring CreateFolderErrorText(const std::vector<CFolderAttempt>& attempts) {
    if (attempts.size() == 1) return CreateFolderErrorText(attempts[0].result);
    std::wstring text = L"Could not create a temporary folder for the installation files in any of these places:\n";
    for (const CFolderAttempt& attempt : attempts) {
        text += L"\n" + attempt.parent + L"\n";
        if (const wchar_t* reason = RefusalReason(attempt.result)) text += std::wstring(reason) + L" ";
        text += orelib::FormatErrorText(ErrorCodeOf(attempt.result)) + L"\n";
    }
    return text;
}

}  // namespace dialog
