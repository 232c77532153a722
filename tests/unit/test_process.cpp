// Starting real programs both ways, the working-directory rule, the own
// arguments and argument quoting through the system's parser, and the
// platform queries with their run-time lookups.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ExtractHarness.h"
#include "TempFolder.h"
#include "orelib/CommandLine.h"
#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/Process.h"

using extracttest::ExeFolder;

namespace {

std::vector<std::wstring> Split(const std::wstring& text) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L'\x01', start);
        fields.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) return fields;
        start = end + 1;
    }
}

// Starts the probe, waits for it, and returns its report split in fields.
std::vector<std::wstring> Launch(const std::wstring& file, const std::wstring& report,
                                 const std::wstring& moreArguments, const wchar_t* directory, uint32_t flags,
                                 DWORD* exitCode = nullptr) {
    std::wstring parameters;
    orelib::AppendArgument(parameters, report);
    if (!moreArguments.empty()) orelib::AppendRawArguments(parameters, moreArguments);
    PROCESS_INFORMATION info = {};
    if (!orelib::LaunchProcess(nullptr, file.c_str(), parameters.c_str(), &info, directory, SW_HIDE, flags)) {
        ADD_FAILURE() << "launch failed: " << GetLastError();
        return {};
    }
    EXPECT_NE(info.hProcess, nullptr);
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    if (exitCode) *exitCode = code;
    CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    std::string bytes;
    if (!extracttest::ReadWholeFile(report, &bytes)) return {};
    return Split(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
}

std::wstring Probe() { return ExeFolder() + L"launchprobe.exe"; }

std::wstring WithoutBackslash(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

class LaunchMethod : public testing::TestWithParam<uint32_t> {};

TEST_P(LaunchMethod, AbsoluteFileStartsInItsOwnFolder) {
    CTempFolder temp;
    DWORD exitCode = 0;
    const auto fields = Launch(Probe(), temp / L"report.bin", L"/x", nullptr, GetParam(), &exitCode);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(WithoutBackslash(fields[0]), WithoutBackslash(ExeFolder()));
    EXPECT_EQ(fields[2], L"/x");
    EXPECT_EQ(exitCode, 3u);
}

TEST_P(LaunchMethod, GivenWorkingDirectoryIsUsed) {
    CTempFolder temp;
    const auto fields = Launch(Probe(), temp / L"report.bin", L"", temp.Path().c_str(), GetParam());
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(WithoutBackslash(fields[0]), WithoutBackslash(temp.Path()));
}

TEST_P(LaunchMethod, RelativeFileInheritsTheCurrentDirectory) {
    CTempFolder temp;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(ExeFolder().c_str()));
    const auto fields = Launch(L"launchprobe.exe", temp / L"report.bin", L"", nullptr, GetParam());
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(WithoutBackslash(fields[0]), WithoutBackslash(ExeFolder()));
}

// 1: CreateProcessW always; 0: the shell on Windows 6.0 and later.
INSTANTIATE_TEST_SUITE_P(Both, LaunchMethod, testing::Values(orelib::kLaunchAlwaysCreateProcess, 0u));

TEST(LaunchProcess, MissingFileFailsBothWays) {
    CTempFolder temp;
    const std::wstring missing = temp / L"missing.exe";
    EXPECT_FALSE(orelib::LaunchProcess(nullptr, missing.c_str(), nullptr, nullptr, nullptr, SW_HIDE, 1));
    EXPECT_NE(GetLastError(), 0u);
    PROCESS_INFORMATION info;
    info.hProcess = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(orelib::LaunchProcess(nullptr, missing.c_str(), nullptr, &info, nullptr, SW_HIDE, 0));
    EXPECT_EQ(info.hProcess, nullptr);
}

TEST(CommandLine, QuotedArgumentsRoundTripThroughTheSystemParser) {
    const std::vector<std::wstring> samples = {L"plain",
                                               L"",
                                               L"with blank",
                                               L"tab\there",
                                               L"quote\"inside",
                                               L"\"quoted\"",
                                               L"trailing\\",
                                               L"blank and trailing\\",
                                               L"blank and two\\\\",
                                               L"C:\\Program Files\\x\\",
                                               L"back\\\"quote",
                                               L"back\\\\\"quote with blank",
                                               L"\\\\server\\share",
                                               L"line\r\nbreak"};
    std::wstring line = L"\"C:\\dl dir\\setup.exe\"";
    for (const auto& sample : samples) orelib::AppendArgument(line, sample);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(args, nullptr);
    ASSERT_EQ(count, static_cast<int>(samples.size()) + 1);
    EXPECT_STREQ(args[0], L"C:\\dl dir\\setup.exe");
    for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(args[i + 1], samples[i]) << i;
    LocalFree(args);
}

TEST(CommandLine, OwnArgumentsOfAStartedProgramAreExactlyAsTyped) {
    CTempFolder temp;
    const std::wstring report = temp / L"report.bin";
    std::wstring tail;
    orelib::AppendArgument(tail, L"a b\\");
    orelib::AppendArgument(tail, L"say \"hi\"");
    orelib::AppendRawArguments(tail, L"/q  /l de-DE");
    const auto fields = Launch(Probe(), report, tail, nullptr, orelib::kLaunchAlwaysCreateProcess);
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[1], orelib::QuoteArgument(report) + L" " + tail);
    EXPECT_EQ(fields[2], L"a b\\");
    EXPECT_EQ(fields[3], L"say \"hi\"");
    EXPECT_EQ(fields[4], L"/q");
    EXPECT_EQ(fields[6], L"de-DE");
}

TEST(Platform, QueriesOfTheRunningSystem) {
    // A 32-bit program under a 64-bit Wine prefix.
    EXPECT_TRUE(orelib::IsWow64());
    EXPECT_GE(orelib::GetOsVersionNumber(), orelib::kWindowsVistaVersion);
    EXPECT_EQ(&orelib::GetOsVersion(), &orelib::GetOsVersion());
    EXPECT_EQ(orelib::GetOsVersion().dwOSVersionInfoSize, sizeof(OSVERSIONINFOEXW));

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(orelib::GetSystemDir(), system);
    EXPECT_FALSE(orelib::GetSystemDir().empty());
}

TEST(DynamicCalls, SystemLibrariesAndTheirFunctions) {
    HMODULE shell = orelib::LoadSystemLibrary(L"shell32.dll");
    ASSERT_NE(shell, nullptr);
    FreeLibrary(shell);
    EXPECT_EQ(orelib::LoadSystemLibrary(L"no-such-library-sfx.dll"), nullptr);

    LCID lcid = 0;
    EXPECT_EQ(orelib::CallRfc1766ToLcidW(&lcid, L"en-US"), S_OK);
    EXPECT_EQ(LANGIDFROMLCID(lcid), 0x0409);
    EXPECT_EQ(orelib::CallRfc1766ToLcidW(&lcid, L"de"), S_OK);
    EXPECT_EQ(LANGIDFROMLCID(lcid), 0x0407);
}

}  // namespace
