#include "extract/PayloadHash.h"

#include "C/Sha256.h"
#include "extract/ExtractParams.h"
#include "orelib/win32/Files.h"

namespace extract {

namespace {
// Large reads keep the hash ahead of the extraction without holding much memory.
constexpr DWORD kChunk = 1u << 20;
}  // namespace

CPayloadHash::~CPayloadHash() {
    if (!m_thread) return;
    m_stop = true;
    WaitForSingleObject(m_thread.Get(), INFINITE);
}

HRESULT CPayloadHash::Start(HANDLE file, const orelib::PayloadDigest& expected) {
    m_file = file;
    m_expected = expected;
    m_buffer.resize(kChunk);
    m_thread.Reset(CreateThread(nullptr, 0, &CPayloadHash::ThreadMain, this, 0, nullptr));
    return m_thread ? S_OK : orelib::FailureFromLastError();
}

HRESULT CPayloadHash::Finish() {
    if (!m_thread) return E_UNEXPECTED;
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    return m_result;
}

DWORD WINAPI CPayloadHash::ThreadMain(void* self) {
    auto* hash = static_cast<CPayloadHash*>(self);
    hash->m_result = hash->Hash();
    return 0;
}

HRESULT CPayloadHash::Hash() {
    CSha256 state;
    Sha256_Init(&state);
    uint64_t position = m_expected.offset;
    uint64_t left = m_expected.size;
    while (left != 0) {
        if (m_stop) return E_ABORT;
        const DWORD want = left < kChunk ? static_cast<DWORD>(left) : kChunk;
        // Positioned reads: the extraction's reads through the same handle
        // never see this thread move a file pointer.
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD read = 0;
        if (!ReadFile(m_file, m_buffer.data(), want, &read, &at) && GetLastError() != ERROR_HANDLE_EOF) {
            return orelib::FailureFromLastError();
        }
        // The file is shorter than the image says: not the file it was built as.
        if (read == 0) return static_cast<HRESULT>(kExtractCodePayloadChanged);
        Sha256_Update(&state, m_buffer.data(), read);
        position += read;
        left -= read;
    }
    uint8_t digest[SHA256_DIGEST_SIZE];
    Sha256_Final(&state, digest);
    for (size_t i = 0; i < sizeof digest; ++i) {
        if (digest[i] != m_expected.sha256[i]) return static_cast<HRESULT>(kExtractCodePayloadChanged);
    }
    return S_OK;
}

}  // namespace extract
