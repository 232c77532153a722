// The two-stage extraction against the handler called directly: the callback
// must see the same calls in the same order, and a failure must stop both
// the handler and every later call, whatever call fails.
#include "extract/SevenZip.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "CPP/7zip/IPassword.h"
#include "CPP/7zip/UI/Common/OpenArchive.h"
#include "ExtractHarness.h"
#include "extract/HandleInStream.h"
#include "extract/OpenCallback.h"
#include "extract/PipelinedExtract.h"
#include "extract/library/SevenZipRegistry.h"
#include "orelib/win32/Handle.h"
#include "Layers.h"

using namespace extracttest;

namespace {

// Records every call as a line, a file's data as its length and checksum at
// its result. Fails the call numbered `failAt` (from 0) with `failWith`.
class CRecorder final : public IArchiveExtractCallback,
                        public IArchiveExtractCallbackMessage2,
                        public ICryptoGetTextPassword,
                        public ISequentialOutStream {
public:
    std::vector<std::string> log;
    int failAt = -1;
    HRESULT failWith = E_FAIL;
    std::set<UInt32> noStreamFor;  // items given no stream
    std::wstring password = L"Pa55 w\u00f6rd";

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveExtractCallback) {
            *out = static_cast<IArchiveExtractCallback*>(this);
        } else if (iid == IID_IArchiveExtractCallbackMessage2) {
            *out = static_cast<IArchiveExtractCallbackMessage2*>(this);
        } else if (iid == IID_ICryptoGetTextPassword) {
            *out = static_cast<ICryptoGetTextPassword*>(this);
        } else if (iid == IID_ISequentialOutStream) {
            *out = static_cast<ISequentialOutStream*>(this);
        } else {
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // Lives on the test's stack.
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }

    STDMETHOD(SetTotal)(UInt64 total) noexcept override { return Record("total " + std::to_string(total)); }
    STDMETHOD(SetCompleted)(const UInt64* done) noexcept override {
        return Record("completed " + (done ? std::to_string(*done) : std::string("-")));
    }
    STDMETHOD(GetStream)(UInt32 index, ISequentialOutStream** stream, Int32 mode) noexcept override {
        *stream = nullptr;
        const HRESULT hr = Record("stream " + std::to_string(index) + " " + std::to_string(mode));
        if (hr == S_OK && noStreamFor.count(index) == 0) *stream = this;
        m_size = 0;
        m_sum = 0;
        return hr;
    }
    STDMETHOD(PrepareOperation)(Int32 mode) noexcept override { return Record("prepare " + std::to_string(mode)); }
    STDMETHOD(SetOperationResult)(Int32 result) noexcept override {
        return Record("result " + std::to_string(result) + " data " + std::to_string(m_size) + "/" +
                      std::to_string(m_sum));
    }
    STDMETHOD(ReportExtractResult)(UInt32 type, UInt32 index, Int32 result) noexcept override {
        return Record("report " + std::to_string(type) + " " + std::to_string(index) + " " + std::to_string(result));
    }
    STDMETHOD(CryptoGetTextPassword)(BSTR* out) noexcept override {
        *out = SysAllocString(password.c_str());
        return Record("password");
    }
    STDMETHOD(Write)(const void* data, UInt32 size, UInt32* processed) noexcept override {
        if (processed) *processed = 0;
        RINOK(Record("write " + std::to_string(size)))
        for (UInt32 i = 0; i < size; ++i) m_sum = m_sum * 31 + static_cast<const unsigned char*>(data)[i];
        m_size += size;
        if (processed) *processed = size;
        return S_OK;
    }

private:
    HRESULT Record(const std::string& line) {
        const bool fail = m_calls++ == failAt;
        log.push_back(fail ? line + " FAILED" : line);
        return fail ? failWith : S_OK;
    }

    int m_calls = 0;
    UInt64 m_size = 0;
    UInt32 m_sum = 0;
};

// One fixture archive opened by the library, as the stub opens its own.
class COpenedArchive {
public:
    explicit COpenedArchive(const std::wstring& path)
        : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
        RequireSevenZipRegistry();
        if (m_codecs->Load() != S_OK || !m_file) return;
        CHandleInStream* stream = new CHandleInStream;
        m_stream = stream;
        if (stream->Init(m_file.Get()) != S_OK) return;
        CObjectVector<COpenType> types;
        types.Add(COpenType());
        const CIntVector excluded;
        COpenOptions options;
        options.codecs = m_codecs;
        options.types = &types;
        options.excludedFormats = &excluded;
        options.stream = m_stream;
        options.filePath = path.c_str();
        MyOpenCallback callback;
        m_opened = m_link.Open_Strict(options, &callback) == S_OK && !m_link.Arcs.IsEmpty();
    }
    ~COpenedArchive() { m_link.Close(); }

    IInArchive* Get() const { return m_opened ? static_cast<IInArchive*>(m_link.Arcs.Back().Archive) : nullptr; }

private:
    orelib::CHandle m_file;
    CCodecs* m_codecs = new CCodecs;
    CMyComPtr<IUnknown> m_codecsReference{m_codecs};
    CMyComPtr<IInStream> m_stream;
    CArchiveLink m_link;
    bool m_opened = false;
};

struct CCase {
    const wchar_t* archive;
    size_t maxAhead;  // 1: the handler waits at every write
};

void PrintTo(const CCase& c, std::ostream* out) {
    *out << std::string(c.archive, c.archive + wcslen(c.archive)) << ", " << c.maxAhead << " bytes ahead";
}

class PipelinedExtract : public testing::TestWithParam<CCase> {};

// Every call of a direct run in turn fails, with a result the handler itself
// never makes: the two-stage run must log the direct run's calls up to the
// failing one, nothing after it, and return that failure. With no failure,
// and with files given no stream, both logs are the same.
TEST_P(PipelinedExtract, CallsMatchTheDirectRunUpToTheFirstFailure) {
    const CCase& c = GetParam();
    COpenedArchive archive(Fixture(c.archive));
    ASSERT_NE(archive.Get(), nullptr);
    const UInt32 all = static_cast<UInt32>(static_cast<Int32>(-1));

    for (const bool skipOdd : {false, true}) {
        CRecorder direct, piped;
        if (skipOdd) direct.noStreamFor = piped.noStreamFor = {1, 3, 5, 7};
        const HRESULT directResult = archive.Get()->Extract(nullptr, all, 0, &direct);
        EXPECT_EQ(ExtractPipelined(archive.Get(), &piped, c.maxAhead), directResult);
        EXPECT_EQ(piped.log, direct.log);
    }

    CRecorder whole;
    ASSERT_EQ(archive.Get()->Extract(nullptr, all, 0, &whole), S_OK);
    ASSERT_GT(whole.log.size(), 4u);
    const HRESULT kFailure = HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL);
    for (int at = 0; at < static_cast<int>(whole.log.size()); ++at) {
        for (const HRESULT failure : {kFailure, E_ABORT}) {
            CRecorder direct, piped;
            direct.failAt = piped.failAt = at;
            direct.failWith = piped.failWith = failure;
            archive.Get()->Extract(nullptr, all, 0, &direct);
            EXPECT_EQ(ExtractPipelined(archive.Get(), &piped, c.maxAhead), failure) << "call " << at;
            ASSERT_GT(direct.log.size(), static_cast<size_t>(at));
            direct.log.resize(at + 1);
            EXPECT_EQ(piped.log, direct.log) << "call " << at;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, PipelinedExtract,
                         testing::Values(CCase{L"lzma2.7z", kDefaultMaxAheadBytes}, CCase{L"lzma2.7z", 1},
                                         CCase{L"bcj2.7z", 1}, CCase{L"encrypted.7z", kDefaultMaxAheadBytes},
                                         CCase{L"mixed.7z", 1}, CCase{L"copy.7z", kDefaultMaxAheadBytes}));

}  // namespace
