#include "packager/archive/ArchiveReader.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
// The library needs the OLE types (BSTR, PROPVARIANT) a lean <windows.h> leaves out.
#include <windows.h>
#include <ole2.h>
#endif
#include "CPP/Common/MyWindows.h"

#include "CPP/Common/MyCom.h"
#include "CPP/Common/MyString.h"
#include "CPP/Common/UTFConvert.h"
#include "CPP/Windows/PropVariant.h"
#include "CPP/7zip/Archive/7z/7zHandler.h"
#include "CPP/7zip/Archive/IArchive.h"
#include "CPP/7zip/Common/FileStreams.h"
#include "CPP/7zip/IPassword.h"

#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"
#include "packager/core/LayoutRules.h"
#include "packager/library/PackerRegistry.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// Names for 7z coder IDs the library of the packager does not register, so
// that a refusal names the method (the library shows such IDs in hex).
const struct {
    const char* hexId;
    const char* name;
} kForeignMethods[] = {
    {"03", "Delta"},       {"0A", "ARM64"},      {"0B", "RISCV"},           {"03030103", "x86"},
    {"03030205", "PPC"},   {"03030401", "IA64"}, {"03030501", "ARM"},       {"03030701", "ARMT"},
    {"03030805", "SPARC"}, {"030401", "PPMD"},   {"040108", "Deflate"},     {"040109", "Deflate64"},
    {"040202", "BZip2"},   {"04F71101", "ZSTD"}, {"06F10101", "ZipCrypto"}, {"06F10303", "RAR3AES"},
};

const char* const kStubMethods[] = {"Copy", "LZMA", "LZMA2", "BCJ", "BCJ2", "7zAES"};

std::string Quote(const std::string& text) { return "'" + text + "'"; }

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string ToUtf8(const UString& text) {
    AString utf8;
    ConvertUnicodeToUTF8(text, utf8);
    return std::string(utf8.Ptr(), utf8.Len());
}

HRESULT PasswordToBstr(const std::string& password, BSTR* out) {
    UString wide;
    ConvertUTF8ToUnicode(AString(password.c_str()), wide);
    return StringToBstr(wide, out);
}

// The open callback: hands out the password for encrypted headers, and
// notes that one was asked for.
Z7_CLASS_IMP_COM_2(COpenCallback, IArchiveOpenCallback, ICryptoGetTextPassword)
public:
explicit COpenCallback(const std::optional<std::string>& password) : m_password(password) {}
bool m_asked = false;

private:
std::optional<std::string> m_password;
};

Z7_COM7F_IMF(COpenCallback::SetTotal(const UInt64*, const UInt64*)) { return S_OK; }
Z7_COM7F_IMF(COpenCallback::SetCompleted(const UInt64*, const UInt64*)) { return S_OK; }
Z7_COM7F_IMF(COpenCallback::CryptoGetTextPassword(BSTR* password)) {
    m_asked = true;
    if (!m_password) return E_ABORT;
    return PasswordToBstr(*m_password, password);
}

// The test callback: writes nothing (the handler checks each CRC itself),
// keeps the first failed item and its result.
Z7_CLASS_IMP_COM_2(CTestCallback, IArchiveExtractCallback, ICryptoGetTextPassword)
Z7_IFACE_COM7_IMP(IProgress)
public:
explicit CTestCallback(const std::optional<std::string>& password) : m_password(password) {}
bool m_passwordMissing = false;
Int32 m_firstResult = NArchive::NExtract::NOperationResult::kOK;
UInt32 m_firstIndex = 0;

private:
std::optional<std::string> m_password;
UInt32 m_current = 0;
};

Z7_COM7F_IMF(CTestCallback::SetTotal(UInt64)) { return S_OK; }
Z7_COM7F_IMF(CTestCallback::SetCompleted(const UInt64*)) { return S_OK; }
Z7_COM7F_IMF(CTestCallback::GetStream(UInt32 index, ISequentialOutStream** out, Int32)) {
    *out = nullptr;
    m_current = index;
    return S_OK;
}
Z7_COM7F_IMF(CTestCallback::PrepareOperation(Int32)) { return S_OK; }
Z7_COM7F_IMF(CTestCallback::SetOperationResult(Int32 result)) {
    if (result != NArchive::NExtract::NOperationResult::kOK &&
        m_firstResult == NArchive::NExtract::NOperationResult::kOK) {
        m_firstResult = result;
        m_firstIndex = m_current;
    }
    return S_OK;
}
Z7_COM7F_IMF(CTestCallback::CryptoGetTextPassword(BSTR* password)) {
    if (!m_password) {
        m_passwordMissing = true;
        return E_ABORT;
    }
    return PasswordToBstr(*m_password, password);
}

// The signature header says where the archive's headers end: an archive
// shorter than that was cut off.
void CheckWhole(const fs::path& file, uint64_t offset) {
    const std::vector<uint8_t> head = ReadFileHead(file, offset + kSevenZipHeaderSize, "archive");
    if (!IsSevenZipHeaderAt(head.data(), head.size(), static_cast<size_t>(offset))) {
        throw CPackError("no 7z archive starts at offset " + std::to_string(offset) + " of " + Quote(file.string()),
                         kExitFailure, DiagCode::ArchiveCannotOpen);
    }
    auto le64 = [&](size_t at) {
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | head[offset + at + i];
        return v;
    };
    const uint64_t needed = kSevenZipHeaderSize + le64(12) + le64(20);
    const uint64_t have = GetFileSizeOrThrow(file, "archive") - offset;
    if (have < needed) {
        throw CPackError("the archive in " + Quote(file.string()) + " is truncated: it needs " +
                             std::to_string(needed) + " bytes, the file holds " + std::to_string(have),
                         kExitFailure, DiagCode::ArchiveCannotOpen);
    }
}

std::string MethodName(const std::string& token) {
    const std::string name = token.substr(0, token.find(':'));
    for (const auto& foreign : kForeignMethods) {
        if (name == foreign.hexId) return foreign.name;
    }
    return name;
}

}  // namespace

struct CArchiveReader::CState {
    CMyComPtr<IInArchive> archive;
    std::string fileName;
};

CArchiveReader::CArchiveReader(const fs::path& file, uint64_t offset, const std::optional<std::string>& password)
    : m_state(std::make_unique<CState>()) {
    RequireSevenZipPackerRegistry();
    m_state->fileName = file.string();
    CheckWhole(file, offset);

    CInFileStream* streamSpec = new CInFileStream;
    CMyComPtr<IInStream> stream = streamSpec;
    if (!streamSpec->Open(file.c_str())) {
        throw CPackError("cannot open " + Quote(file.string()), kExitFailure, DiagCode::ArchiveCannotOpen);
    }
    // The handler takes the stream's position as the archive's start.
    UInt64 position = 0;
    if (stream->Seek(static_cast<Int64>(offset), STREAM_SEEK_SET, &position) != S_OK || position != offset) {
        throw CPackError("cannot seek to offset " + std::to_string(offset) + " of " + Quote(file.string()),
                         kExitFailure, DiagCode::ArchiveCannotOpen);
    }
    m_state->archive = new NArchive::N7z::CHandler;
    COpenCallback* openSpec = new COpenCallback(password);
    CMyComPtr<IArchiveOpenCallback> openCallback = openSpec;
    const UInt64 noScan = 0;
    const HRESULT hr = m_state->archive->Open(stream, &noScan, openCallback);
    if (openSpec->m_asked && !password) {
        m_info.headersEncrypted = true;
        return;
    }
    if (hr != S_OK) {
        if (openSpec->m_asked) {
            throw CPackError("wrong password for the archive's encrypted headers", kExitFailure,
                             DiagCode::PasswordWrong);
        }
        throw CPackError("cannot read the 7z archive at offset " + std::to_string(offset) + " of " +
                             Quote(file.string()) +
                             (hr == S_FALSE ? ": its headers are damaged" : " (error " + HresultText(hr) + ")"),
                         kExitFailure, DiagCode::ArchiveCannotOpen);
    }
    m_info.headersEncrypted = openSpec->m_asked;

    NWindows::NCOM::CPropVariant prop;
    if (m_state->archive->GetArchiveProperty(kpidErrorFlags, &prop) == S_OK && prop.vt == VT_UI4 && prop.ulVal != 0) {
        throw CPackError("the archive in " + Quote(file.string()) + " is damaged (error flags " +
                             HresultText(static_cast<HRESULT>(prop.ulVal)) + ")",
                         kExitFailure, DiagCode::ArchiveDamaged);
    }
    prop.Clear();
    if (m_state->archive->GetArchiveProperty(kpidPhySize, &prop) == S_OK && prop.vt == VT_UI8) {
        m_info.physicalSize = prop.uhVal.QuadPart;
    }
    prop.Clear();
    if (m_state->archive->GetArchiveProperty(kpidMethod, &prop) == S_OK && prop.vt == VT_BSTR) {
        const std::string list = ToUtf8(UString(prop.bstrVal));
        size_t start = 0;
        while (start < list.size()) {
            size_t end = list.find(' ', start);
            if (end == std::string::npos) end = list.size();
            if (end > start) {
                const std::string name = MethodName(list.substr(start, end - start));
                if (std::find(m_info.methods.begin(), m_info.methods.end(), name) == m_info.methods.end()) {
                    m_info.methods.push_back(name);
                }
            }
            start = end + 1;
        }
    }

    UInt32 count = 0;
    m_state->archive->GetNumberOfItems(&count);
    m_info.itemCount = count;
    for (UInt32 i = 0; i < count; ++i) {
        NWindows::NCOM::CPropVariant value;
        m_state->archive->GetProperty(i, kpidPath, &value);
        std::string path = value.vt == VT_BSTR ? ToUtf8(UString(value.bstrVal)) : std::string();
#ifdef _WIN32
        // The library gives Windows separators on Windows; the packager's paths use '/'.
        std::replace(path.begin(), path.end(), '\\', '/');
#endif
        m_info.paths.push_back(path);
        value.Clear();
        m_state->archive->GetProperty(i, kpidSize, &value);
        if (value.vt == VT_UI8) m_info.unpackedSize += value.uhVal.QuadPart;
        value.Clear();
        m_state->archive->GetProperty(i, kpidEncrypted, &value);
        if (value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE) m_info.dataEncrypted = true;
    }
}

CArchiveReader::~CArchiveReader() {
    if (m_state && m_state->archive) m_state->archive->Close();
}

void CArchiveReader::TestAll(const std::optional<std::string>& password) {
    if (m_info.headersEncrypted && m_info.itemCount == 0) {
        throw CPackError("the archive's headers are encrypted; it cannot be tested without the password", kExitFailure,
                         DiagCode::PasswordMissing);
    }
    if (password && password->empty()) {
        throw CPackError("the password is empty", kExitFailure, DiagCode::PasswordInvalid);
    }
    CTestCallback* spec = new CTestCallback(password);
    CMyComPtr<IArchiveExtractCallback> callback = spec;
    const HRESULT hr = m_state->archive->Extract(nullptr, static_cast<UInt32>(-1), 1, callback);
    if (spec->m_passwordMissing) {
        throw CPackError("the archive's file data is encrypted; give the password to test it", kExitFailure,
                         DiagCode::PasswordMissing);
    }
    if (hr != S_OK) {
        throw CPackError(
            "testing the archive in " + Quote(m_state->fileName) + " failed (error " + HresultText(hr) + ")",
            kExitFailure, DiagCode::ArchiveDamaged);
    }
    using namespace NArchive::NExtract::NOperationResult;
    const Int32 result = spec->m_firstResult;
    if (result == kOK) return;
    const std::string item =
        spec->m_firstIndex < m_info.paths.size() ? Quote(m_info.paths[spec->m_firstIndex]) : "an item";
    switch (result) {
    case kUnsupportedMethod:
        throw CPackError(item + " uses a method sfxpack cannot decode", kExitFailure, DiagCode::ArchiveUnfitForStub);
    case kWrongPassword:
        throw CPackError("wrong password (at " + item + ")", kExitFailure, DiagCode::PasswordWrong);
    case kDataError:
    case kCRCError:
        if (m_info.dataEncrypted && password) {
            throw CPackError("wrong password, or damaged data (" + std::string(result == kCRCError ? "CRC" : "data") +
                                 " error at " + item + ")",
                             kExitFailure, DiagCode::ArchiveDamaged);
        }
        throw CPackError(
            std::string(result == kCRCError ? "CRC" : "data") + " error at " + item + ": the archive is damaged",
            kExitFailure, DiagCode::ArchiveDamaged);
    case kUnavailable:
    case kUnexpectedEnd:
        throw CPackError("the archive is truncated (at " + item + ")", kExitFailure, DiagCode::ArchiveDamaged);
    default:
        throw CPackError("testing " + item + " failed (result " + std::to_string(result) + ")", kExitFailure,
                         DiagCode::ArchiveDamaged);
    }
}

bool IsStubMethod(const std::string& name) {
    return std::find(std::begin(kStubMethods), std::end(kStubMethods), name) != std::end(kStubMethods);
}

std::optional<std::string> CheckArchiveForStub(const ArchiveInfo& info) {
    if (info.headersEncrypted) {
        return "the archive's headers are encrypted; the stub can only open archives whose "
               "headers are not (encrypt the file data only)";
    }
    for (const std::string& method : info.methods) {
        if (!IsStubMethod(method)) {
            return "the archive uses the method " + method +
                   ", which the stub cannot decode (it has Copy, LZMA, LZMA2, BCJ, BCJ2, 7zAES)";
        }
    }
    return std::nullopt;
}

}  // namespace sfxpack
