// MyExtractCallback on its own: its COM identity, the item results, the
// free-space test's edges and the password hand-over.
#include <gtest/gtest.h>

#include "extract/ExtractCallback.h"

#include "CPP/Common/MyCom.h"

#include <cstdint>

#include "ExtractHarness.h"
#include "TempFolder.h"
#include "Layers.h"

using namespace extracttest;

namespace {

// A thread object whose parameters are set by a finished (failed) run.
class CCallbackTest : public testing::Test {
protected:
    void SetUp() override { Prepare(m_temp / L"out"); }

    void Prepare(const std::wstring& target) {
        ExtractParams params;
        params.archivePath = m_temp / L"missing.exe";
        params.targetFolder = target;
        ASSERT_TRUE(m_owner.StartExtraction(params));
        m_owner.WaitForEnd();
        m_callback = new MyExtractCallback(m_owner);
        Com()->AddRef();
    }
    void TearDown() override {
        if (m_callback) Com()->Release();
    }
    // Its IUnknown, which the archive library's helpers keep to interfaces.
    IFolderArchiveExtractCallback* Com() const { return m_callback; }

    CTempFolder m_temp;
    CExtractThread m_owner;
    MyExtractCallback* m_callback = nullptr;
};

TEST_F(CCallbackTest, QueryInterfaceAnswersItsTwoInterfaces) {
    IFolderArchiveExtractCallback* primary = m_callback;
    void* out = nullptr;
    ASSERT_EQ(Com()->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(primary));
    EXPECT_EQ(Com()->Release(), 1u);

    ASSERT_EQ(Com()->QueryInterface(IID_IFolderArchiveExtractCallback, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(primary));
    EXPECT_EQ(Com()->Release(), 1u);

    ASSERT_EQ(Com()->QueryInterface(IID_ICryptoGetTextPassword, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(static_cast<ICryptoGetTextPassword*>(m_callback)));
    // Its IUnknown operations count on the same object.
    EXPECT_EQ(static_cast<ICryptoGetTextPassword*>(out)->AddRef(), 3u);
    EXPECT_EQ(static_cast<ICryptoGetTextPassword*>(out)->Release(), 2u);
    EXPECT_EQ(Com()->Release(), 1u);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(Com()->QueryInterface(IID_IProgress, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Com()->QueryInterface(IID_IFolderArchiveExtractCallback2, &out), E_NOINTERFACE);
}

TEST_F(CCallbackTest, ItemResultsMapToHresults) {
    EXPECT_EQ(m_callback->SetOperationResult(0, 0), S_OK);
    EXPECT_EQ(m_callback->SetOperationResult(1, 0), E_NOTIMPL);
    EXPECT_EQ(m_callback->SetOperationResult(2, 1), static_cast<HRESULT>(0x8007000D));
    EXPECT_EQ(m_callback->SetOperationResult(3, 0), static_cast<HRESULT>(0x80070017));
    EXPECT_EQ(m_callback->SetOperationResult(4, 0), E_UNEXPECTED);
    EXPECT_EQ(m_callback->SetOperationResult(9, 1), E_UNEXPECTED);
    EXPECT_EQ(m_callback->SetOperationResult(-1, 0), E_UNEXPECTED);
}

TEST_F(CCallbackTest, MessageErrorKeepsTheLastTextAndFails) {
    EXPECT_TRUE(m_callback->LastMessage().empty());
    EXPECT_EQ(m_callback->MessageError(L"first"), E_FAIL);
    EXPECT_EQ(m_callback->MessageError(L"Cannot open output file : C:\\x"), E_FAIL);
    EXPECT_EQ(m_callback->LastMessage(), L"Cannot open output file : C:\\x");
}

TEST_F(CCallbackTest, PrepareOperationRecordsTheItem) {
    EXPECT_EQ(m_callback->PrepareOperation(L"dir\\item.txt", 0, 0, nullptr), S_OK);
    EXPECT_EQ(m_owner.CurrentPath(), L"dir\\item.txt");
}

TEST_F(CCallbackTest, FreeSpaceTestRefusesHugeTotalsWithoutWrapping) {
    // total + 1 MiB would wrap around to a small number in 64 bits.
    EXPECT_EQ(m_callback->SetTotal(UINT64_MAX), static_cast<HRESULT>(0x80070070));
    EXPECT_EQ(m_owner.TotalBytes(), UINT64_MAX);
    EXPECT_EQ(m_callback->SetTotal(UINT64_MAX - 0x80000), static_cast<HRESULT>(0x80070070));
    EXPECT_EQ(m_callback->SetTotal(0), S_OK);
    EXPECT_EQ(m_owner.TotalBytes(), 0u);
}

TEST(ExtractCallback, FreeSpaceQueryFailureIsItsError) {
    CTempFolder temp;
    CExtractThread owner;
    ExtractParams params;
    params.archivePath = temp / L"missing.exe";
    params.targetFolder = L"Q:\\no such drive";
    ASSERT_TRUE(owner.StartExtraction(params));
    owner.WaitForEnd();
    auto* callback = new MyExtractCallback(owner);
    const CMyComPtr<IFolderArchiveExtractCallback> reference(callback);
    const HRESULT hr = callback->SetTotal(10);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32);
    EXPECT_EQ(owner.TotalBytes(), 10u);
}

TEST_F(CCallbackTest, PasswordSetOnceIsReusedWithoutAsking) {
    BSTR password = nullptr;
    // No window: the request counts as cancelled.
    EXPECT_EQ(m_callback->CryptoGetTextPassword(&password), E_ABORT);
    EXPECT_EQ(m_callback->SetPassword(UString(L"known")), S_OK);
    ASSERT_EQ(m_callback->CryptoGetTextPassword(&password), S_OK);
    ASSERT_NE(password, nullptr);
    EXPECT_STREQ(password, L"known");
    SysFreeString(password);
}

TEST_F(CCallbackTest, OpenAndExtractResultsPassThrough) {
    CArchiveLink link;
    EXPECT_EQ(m_callback->OpenResult(nullptr, link, L"C:\\setup.exe", S_FALSE), S_FALSE);
    EXPECT_EQ(m_callback->OpenResult(nullptr, link, L"C:\\setup.exe", S_OK), S_OK);
    EXPECT_EQ(m_callback->ExtractResult(E_ABORT), E_ABORT);
    EXPECT_EQ(m_callback->BeforeOpen(L"C:\\setup.exe", false), S_OK);
    EXPECT_EQ(m_callback->ThereAreNoFiles(), S_OK);
}

}  // namespace
