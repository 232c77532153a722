// The working folder is created by the stub itself, under a name nobody could
// prepare, with a DACL that lets only Administrators and SYSTEM change it.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "dialog/NewWorkingFolder.h"
#include "app/PrepareWorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/PrivateFolder.h"
#include "orelib/win32/ProcessToken.h"
#include "orelib/win32/SecureRandom.h"
#include "orelib/win32/WorkingFolder.h"
#include "tests/unit/DirectoryLink.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

constexpr DWORD kReadExecute = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;  // 0x1200a9

struct CAce {
    std::wstring sid;
    DWORD mask;
    BYTE flags;
};

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    std::wstring result = text;
    LocalFree(text);
    return result;
}

// A folder's security: owner, DACL control bits and entries.
struct CStoredSecurity {
    bool read = false;
    std::wstring owner;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    std::vector<CAce> aces;

    CStoredSecurity() = default;
    // As stored for `path`.
    explicit CStoredSecurity(const std::wstring& path) {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                  &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
            return;
        }
        Read(descriptor, owner, dacl);
        LocalFree(descriptor);
    }

private:
    void Read(PSECURITY_DESCRIPTOR descriptor, PSID owner, PACL dacl) {
        read = true;
        if (owner) this->owner = SidText(owner);
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (!GetAce(dacl, i, &ace)) continue;
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) {
                aces.push_back({L"type " + std::to_wstring(allowed->Header.AceType), 0, 0});
                continue;
            }
            aces.push_back({SidText(&allowed->SidStart), allowed->Mask, allowed->Header.AceFlags});
        }
    }
};

// Wine keeps no security descriptors of files: it answers with one made up
// from the Unix permissions, so what was stored can be read back on Windows only.
bool StoresFileSecurity() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr; }

std::wstring Describe(const std::vector<CAce>& aces) {
    std::wstring text;
    for (const CAce& ace : aces) {
        wchar_t line[160];
        swprintf(line, 160, L"%ls mask=0x%lx flags=0x%x; ", ace.sid.c_str(), ace.mask, ace.flags);
        text += line;
    }
    return text;
}

// The three entries of a private folder, with the inheritance flags expected.
void ExpectPrivateEntries(const std::vector<CAce>& aces, BYTE flags) {
    ASSERT_EQ(aces.size(), 3u) << testing::PrintToString(Describe(aces));
    EXPECT_EQ(aces[0].sid, L"S-1-5-32-544");  // Administrators
    EXPECT_EQ(aces[0].mask, static_cast<DWORD>(FILE_ALL_ACCESS));
    EXPECT_EQ(aces[1].sid, L"S-1-5-18");  // SYSTEM
    EXPECT_EQ(aces[1].mask, static_cast<DWORD>(FILE_ALL_ACCESS));
    EXPECT_EQ(aces[2].sid, L"S-1-3-4");  // OWNER RIGHTS: no write, no WRITE_DAC
    EXPECT_EQ(aces[2].mask, kReadExecute);
    for (const CAce& ace : aces) EXPECT_EQ(ace.flags, flags) << testing::PrintToString(ace.sid);
}

// This process's token for AccessCheck, as it is and with Administrators
// deny-only: what the same user's unelevated programs hold.
class CAccessTokens {
public:
    CAccessTokens() {
        HANDLE own = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own)) return;
        const orelib::CHandle process(own);
        BYTE administrators[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(administrators);
        if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return;
        SID_AND_ATTRIBUTES denyOnly{administrators, 0};
        orelib::CHandle restricted;
        if (!CreateRestrictedToken(process.Get(), 0, 1, &denyOnly, 0, nullptr, 0, nullptr, restricted.Receive()))
            return;
        DuplicateToken(process.Get(), SecurityImpersonation, m_elevated.Receive());
        DuplicateToken(restricted.Get(), SecurityImpersonation, m_unelevated.Receive());
    }
    bool Ready() const { return m_elevated.IsValid() && m_unelevated.IsValid(); }

    // MAXIMUM_ALLOWED of a file object with `sddl`; 0 when nothing is granted.
    DWORD Granted(bool unelevated, const std::wstring& sddl) const {
        const orelib::CSecurityDescriptor descriptor(sddl);
        if (!descriptor.Get()) return 0;
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges{};
        DWORD privilegesSize = sizeof(privileges);
        DWORD granted = 0;
        BOOL status = FALSE;
        if (!AccessCheck(descriptor.Get(), (unelevated ? m_unelevated : m_elevated).Get(), MAXIMUM_ALLOWED,
                         &mapping, &privileges, &privilegesSize, &granted, &status) ||
            !status) {
            return 0;
        }
        return granted;
    }

private:
    orelib::CHandle m_elevated;
    orelib::CHandle m_unelevated;
};

// Names from a list, then from the real generator; counts the calls.
struct CScriptedNames {
    std::vector<std::wstring> names;
    int calls = 0;
    std::wstring operator()() {
        const size_t index = static_cast<size_t>(calls++);
        return index < names.size() ? names[index] : MakeWorkingFolderName();
    }
};

// Names as given, and the user's TEMP as the parent (an unelevated run).
class CNameSourceGuard {
public:
    CNameSourceGuard() {
        SetElevationSource([] { return false; });
    }
    ~CNameSourceGuard() {
        SetWorkingFolderNameSource(nullptr);
        SetElevationSource(nullptr);
    }
};

}  // namespace

TEST(SecureRandom, FillsBuffersOfAnySize) {
    std::vector<unsigned char> a(100000), b(100000);
    ASSERT_TRUE(orelib::FillSecureRandom(a.data(), a.size()));
    ASSERT_TRUE(orelib::FillSecureRandom(b.data(), b.size()));
    EXPECT_NE(a, b);
    size_t zeros = 0;
    for (unsigned char byte : a) zeros += byte == 0;
    EXPECT_LT(zeros, 1000u);  // about 390 expected; an unfilled buffer has 100000
}

// What Windows grants from the working folder's descriptor, computed by
// AccessCheck against this process's token as it is (elevated, with
// Administrators) and as the same user's unelevated programs have it
// (Administrators deny-only). Nothing of the elevated run's folder may be
// changed unelevated, whoever the policy makes its owner; the unelevated
// run's folder lets its user extract into it and delete it.
TEST(PrivateFolder, DescriptorGrantsEachTokenWhatItNeedsAndNoMore) {
    constexpr DWORD kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                               FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
    constexpr DWORD kExtractAndDelete = FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE |
                                        FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE | SYNCHRONIZE;
    CAccessTokens tokens;
    ASSERT_TRUE(tokens.Ready());
    const std::wstring user = orelib::SidText(orelib::ProcessTokenSid(TokenUser));
    ASSERT_FALSE(user.empty());
    struct Case {
        const char* what;
        std::wstring owner;
        std::wstring creator;  // PrivateFolderSddl's argument
        bool unelevated;       // the token asking
        DWORD mustHave;
        DWORD mustLack;
        bool ownerRightsMatter;  // Wine gives an owner WRITE_DAC whatever OWNER RIGHTS says
    };
    const Case cases[] = {
        {"elevated folder, owned by Administrators, unelevated token", L"BA", L"", true, 0, kChanges, false},
        {"elevated folder, owned by the user (object creator policy), unelevated token", user, L"", true, 0, kChanges,
         true},
        {"elevated folder, elevated token", L"BA", L"", false, FILE_ALL_ACCESS, 0, false},
        {"unelevated folder, its user", user, user, true, kExtractAndDelete, 0, false},
        {"unelevated folder, its user may not change the rights", user, user, true, 0, WRITE_DAC | WRITE_OWNER, true},
    };
    for (const Case& c : cases) {
        if (c.ownerRightsMatter && testlink::RunsOnWine()) continue;  // shown on Windows only
        const DWORD granted =
            tokens.Granted(c.unelevated, L"O:" + c.owner + L"G:SY" + orelib::PrivateFolderSddl(c.creator));
        EXPECT_EQ(granted & c.mustHave, c.mustHave) << c.what << std::hex << " granted 0x" << granted;
        EXPECT_EQ(granted & c.mustLack, 0u) << c.what << std::hex << " granted 0x" << granted;
    }
}

TEST(PrivateFolder, StoredDaclReadsBackAndIsInherited) {
    CTempFolder scratch;
    orelib::CWorkingFolder owner;
    ASSERT_EQ(owner.Create(
                  scratch.Path(), false, [] { return std::wstring(L"private"); }, 1),
              S_OK);
    const std::wstring folder = owner.Path();
    ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\setup.exe", "MZ"));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    if (!StoresFileSecurity()) GTEST_SKIP() << "this system keeps no security descriptors of files";

    const CStoredSecurity security(folder);
    ASSERT_TRUE(security.read);
    EXPECT_TRUE(security.control & SE_DACL_PROTECTED) << security.control;
    ExpectPrivateEntries(security.aces, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(security.owner, orelib::SidText(orelib::ProcessTokenSid(TokenOwner)));  // the system's default
    // What extraction writes below inherits the same entries.
    ExpectPrivateEntries(CStoredSecurity(folder + L"\\setup.exe").aces, INHERITED_ACE);
    ExpectPrivateEntries(CStoredSecurity(folder + L"\\sub").aces,
                         INHERITED_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

// Created, never opened: a taken name (folder or file) draws the next one;
// another failure ends the search at once.
TEST(PrivateFolder, TakenNamesArePassedOverUpToALimit) {
    CTempFolder scratch;
    ASSERT_TRUE(CreateDirectoryW((scratch / L"a").c_str(), nullptr));
    ASSERT_TRUE(CTempFolder::WriteFile(scratch / L"b", "x"));
    struct Case {
        std::wstring parent;
        std::vector<std::wstring> names;
        HRESULT expected;
        int calls;
        const wchar_t* created;
    };
    const Case cases[] = {
        {scratch.Path(), {L"a", L"b", L"c"}, S_OK, 3, L"c"},
        {scratch.Path(), std::vector<std::wstring>(20, L"a"), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS), 16, nullptr},
        {scratch.Path(), {L""}, E_FAIL, 1, nullptr},
        {scratch / L"missing", {L"x", L"y"}, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), 0, nullptr},
    };
    for (const Case& c : cases) {
        orelib::CWorkingFolder owner;
        int calls = 0;
        const HRESULT hr = owner.Create(
            c.parent, false, [&] { return c.names[static_cast<size_t>(calls++)]; }, 16);
        EXPECT_EQ(hr, c.expected) << testing::PrintToString(c.names[0]);
        EXPECT_EQ(calls, c.calls) << testing::PrintToString(c.names[0]);
        EXPECT_EQ(owner.IsHeld(), c.created != nullptr);
        if (c.created) {
            EXPECT_EQ(lstrcmpiW(owner.Path().c_str(), (scratch / c.created).c_str()), 0);
        }
    }
    // Nothing of what was there was taken over or removed.
    EXPECT_TRUE(CTempFolder::Exists(scratch / L"a"));
    EXPECT_TRUE(CTempFolder::Exists(scratch / L"b"));
    EXPECT_FALSE(CTempFolder::Exists(scratch / L"c"));
}

using WorkingFolderCreation = RunTest;

TEST_F(WorkingFolderCreation, APreparedFolderWithTheDrawnNameIsNeverUsed) {
    CNameSourceGuard restore;
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    // Someone guessed the name and prepared the folder with a file of theirs.
    const std::wstring guessed = orelib::CombinePath(temp, L"ktvguessed1");
    CreateDirectoryW(guessed.c_str(), nullptr);
    ASSERT_TRUE(CTempFolder::WriteFile(guessed + L"\\setup.exe", "planted"));

    CScriptedNames names{{L"ktvguessed1", L"ktvguessed1"}};
    SetWorkingFolderNameSource(std::ref(names));
    ASSERT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
    EXPECT_EQ(names.calls, 3);
    const std::wstring folder = m_settings.m_workingFolder;
    EXPECT_NE(folder, guessed);
    EXPECT_EQ(orelib::GetFileDirPart(folder), orelib::WithBackslash(temp));
    EXPECT_TRUE(CTempFolder::Exists(folder));
    EXPECT_FALSE(CTempFolder::Exists(folder + L"\\setup.exe"));

    // Removing the working folder leaves the prepared one alone.
    EXPECT_TRUE(m_ownedFolder.Delete());
    EXPECT_FALSE(CTempFolder::Exists(folder));
    EXPECT_TRUE(CTempFolder::Exists(guessed + L"\\setup.exe"));
    DeleteFileW((guessed + L"\\setup.exe").c_str());
    RemoveDirectoryW(guessed.c_str());
}

TEST_F(WorkingFolderCreation, EveryNameTakenEndsStartUp) {
    CNameSourceGuard restore;
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring guessed = orelib::CombinePath(temp, L"ktvguessed2");
    CreateDirectoryW(guessed.c_str(), nullptr);

    int calls = 0;
    SetWorkingFolderNameSource([&] {
        ++calls;
        return std::wstring(L"ktvguessed2");
    });
    EXPECT_TRUE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
    EXPECT_EQ(calls, 16);
    EXPECT_TRUE(m_settings.m_workingFolder.empty());
    RemoveDirectoryW(guessed.c_str());
}

TEST(WorkingFolderMessages, CreationFailure) {
    EXPECT_EQ(CreateFolderErrorText(HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)),
              L"Could not create a temporary folder for the installation files.\n\n" +
                  orelib::FormatErrorText(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(CreateFolderErrorText(E_FAIL), L"Could not create a temporary folder for the installation files.\n\n" +
                                                 orelib::FormatErrorText(0x80004005u));
    // A folder that was refused says why before the error.
    EXPECT_EQ(CreateFolderErrorText(orelib::kFolderIsLink),
              L"Could not create a temporary folder for the installation files.\n\n"
              L"The temporary folder is a link to another place.\n\n" +
                  orelib::FormatErrorText(4395));
}
