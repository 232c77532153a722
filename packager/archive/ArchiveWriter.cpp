#include "packager/archive/ArchiveWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>

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

#include "packager/core/PackError.h"
#include "packager/platform/SignalCleanup.h"
#include "packager/library/PackerRandom.h"
#include "packager/library/PackerRegistry.h"

// The library's switch for comparing file names (Common/Wildcard.cpp).
extern bool g_CaseSensitive;

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) { return "'" + text + "'"; }

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

UString ToWide(const std::string& utf8) {
    UString wide;
    ConvertUTF8ToUnicode(AString(utf8.c_str()), wide);
    return wide;
}

// A file's bytes and size and nothing else. The library's own file stream
// would also report the file's times and Unix mode, which the handler would
// then store in place of the item's clamped time and Windows attributes.
// The size matters: the BCJ2 encoder converts branches best when it knows
// where each file ends.
Z7_CLASS_IMP_COM_2(CPlainFileStream, ISequentialInStream, IStreamGetSize)
public:
// `size` is the file's size as the folder listing found it.
bool Open(const fs::path& path, uint64_t size) {
    m_size = size;
    m_in.open(path, std::ios::binary);
    return m_in.is_open();
}

private:
std::ifstream m_in;
uint64_t m_size = 0;
};

Z7_COM7F_IMF(CPlainFileStream::Read(void* data, UInt32 size, UInt32* processed)) {
    if (processed) *processed = 0;
    if (StopRequested()) return E_ABORT;
    // At the end of the file (eof and fail set) a read gives zero bytes.
    m_in.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    if (m_in.bad()) return E_FAIL;
    if (processed) *processed = static_cast<UInt32>(m_in.gcount());
    return S_OK;
}

Z7_COM7F_IMF(CPlainFileStream::GetSize(UInt64* size)) {
    *size = m_size;
    return S_OK;
}

// The archive's bytes, written into an existing file from `base` on. The
// first failure's system reason is kept for the message.
Z7_CLASS_IMP_COM_1(CPlacedOutStream, IOutStream)
Z7_IFACE_COM7_IMP(ISequentialOutStream)
public:
bool Open(const fs::path& path, uint64_t base) {
    m_path = path;
    m_base = base;
    errno = 0;
    m_file.open(path, std::ios::binary | std::ios::in | std::ios::out);
    if (m_file) m_file.seekp(static_cast<std::streamoff>(base));
    if (!m_file) Fail();
    return static_cast<bool>(m_file);
}
HRESULT Close() {
    errno = 0;
    m_file.close();
    if (m_file.fail()) Fail();
    return m_error.empty() ? S_OK : E_FAIL;
}
uint64_t Size() const { return m_end; }
const std::string& Error() const { return m_error; }

private:
void Fail() {
    if (m_error.empty()) m_error = errno != 0 ? std::strerror(errno) : "write error";
}

std::fstream m_file;
fs::path m_path;
uint64_t m_base = 0;
uint64_t m_pos = 0;  // from m_base
uint64_t m_end = 0;
std::string m_error;
};

Z7_COM7F_IMF(CPlacedOutStream::Write(const void* data, UInt32 size, UInt32* processed)) {
    if (processed) *processed = 0;
    errno = 0;
    m_file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!m_file) {
        Fail();
        return E_FAIL;
    }
    m_pos += size;
    m_end = std::max(m_end, m_pos);
    if (processed) *processed = size;
    return S_OK;
}

Z7_COM7F_IMF(CPlacedOutStream::Seek(Int64 offset, UInt32 origin, UInt64* newPosition)) {
    const int64_t from = origin == STREAM_SEEK_SET   ? 0
                         : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(m_pos)
                                                     : static_cast<int64_t>(m_end);
    if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    if (from + offset < 0) return HRESULT_WIN32_ERROR_NEGATIVE_SEEK;
    m_pos = static_cast<uint64_t>(from + offset);
    m_file.seekp(static_cast<std::streamoff>(m_base + m_pos));
    if (!m_file) {
        Fail();
        return E_FAIL;
    }
    if (newPosition) *newPosition = m_pos;
    return S_OK;
}

Z7_COM7F_IMF(CPlacedOutStream::SetSize(UInt64 size)) {
    m_file.flush();
    std::error_code ec;
    fs::resize_file(m_path, m_base + size, ec);
    if (ec) {
        if (m_error.empty()) m_error = ec.message();
        return E_FAIL;
    }
    m_end = size;
    return S_OK;
}

// Hands the items to the handler: names, kinds, sizes, times, attributes
// and file streams (also for the handler's look at executables' headers),
// and the password.
Z7_CLASS_IMP_COM_3(CUpdateCallback, IArchiveUpdateCallback, IArchiveUpdateCallbackFile, ICryptoGetTextPassword2)
Z7_IFACE_COM7_IMP(IProgress)
public:
CUpdateCallback(const std::vector<PackItem>& items, const ArchiveSettings& settings)
    : m_items(items), m_settings(settings) {}
// The first file that could not be opened, for the error message.
std::string m_failedPath;

private:
HRESULT OpenItem(UInt32 index, ISequentialInStream** stream);

const std::vector<PackItem>& m_items;
const ArchiveSettings& m_settings;
}
;

Z7_COM7F_IMF(CUpdateCallback::SetTotal(UInt64)) { return S_OK; }
Z7_COM7F_IMF(CUpdateCallback::SetCompleted(const UInt64*)) { return StopRequested() ? E_ABORT : S_OK; }

Z7_COM7F_IMF(CUpdateCallback::GetUpdateItemInfo(UInt32, Int32* newData, Int32* newProps, UInt32* indexInArchive)) {
    if (newData) *newData = 1;
    if (newProps) *newProps = 1;
    if (indexInArchive) *indexInArchive = static_cast<UInt32>(-1);
    return S_OK;
}

Z7_COM7F_IMF(CUpdateCallback::GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value)) {
    if (index >= m_items.size()) return E_INVALIDARG;
    const PackItem& item = m_items[index];
    NWindows::NCOM::CPropVariant prop;
    switch (propID) {
    case kpidPath:
        prop = ToWide(item.path);
        break;
    case kpidIsDir:
        prop = item.isFolder;
        break;
    case kpidSize:
        prop = static_cast<UInt64>(item.size);
        break;
    case kpidAttrib:
        prop = static_cast<UInt32>(item.attributes);
        break;
    case kpidIsAnti:
        prop = false;
        break;
    case kpidMTime: {
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(item.fileTime);
        time.dwHighDateTime = static_cast<DWORD>(item.fileTime >> 32);
        prop.SetAsTimeFrom_FT_Prec(time, k_PropVar_TimePrec_Base + 7);
        break;
    }
    default:
        break;  // no creation or access time, no Unix owner or mode
    }
    prop.Detach(value);
    return S_OK;
}

HRESULT CUpdateCallback::OpenItem(UInt32 index, ISequentialInStream** stream) {
    *stream = nullptr;
    if (index >= m_items.size()) return E_INVALIDARG;
    const PackItem& item = m_items[index];
    if (item.isFolder) return S_OK;
    if (m_settings.onFile) m_settings.onFile(item);
    CPlainFileStream* spec = new CPlainFileStream;
    CMyComPtr<ISequentialInStream> owner = spec;
    if (!spec->Open(item.source, item.size)) {
        if (m_failedPath.empty()) m_failedPath = item.path;
        return E_FAIL;
    }
    *stream = owner.Detach();
    return S_OK;
}

Z7_COM7F_IMF(CUpdateCallback::GetStream(UInt32 index, ISequentialInStream** stream)) { return OpenItem(index, stream); }
Z7_COM7F_IMF(CUpdateCallback::GetStream2(UInt32 index, ISequentialInStream** stream, UInt32)) {
    return OpenItem(index, stream);
}
Z7_COM7F_IMF(CUpdateCallback::ReportOperation(UInt32, UInt32, UInt32)) { return S_OK; }
Z7_COM7F_IMF(CUpdateCallback::SetOperationResult(Int32)) { return S_OK; }

Z7_COM7F_IMF(CUpdateCallback::CryptoGetTextPassword2(Int32* passwordIsDefined, BSTR* password)) {
    *passwordIsDefined = m_settings.password.empty() ? 0 : 1;
    return StringToBstr(ToWide(m_settings.password), password);
}

// One handler property, as the command line's -m switches would set it.
struct Property {
    const wchar_t* name;
    NWindows::NCOM::CPropVariant value;
};

}  // namespace

bool ParseCompression(const std::string& name, Compression* level) {
    const struct {
        const char* name;
        Compression level;
    } kLevels[] = {{"fast", Compression::Fast},
                   {"normal", Compression::Normal},
                   {"max", Compression::Max},
                   {"store", Compression::Store}};
    for (const auto& entry : kLevels) {
        if (name == entry.name) {
            *level = entry.level;
            return true;
        }
    }
    return false;
}

uint64_t WriteArchive(const std::vector<PackItem>& items, const fs::path& file, uint64_t offset,
                      const ArchiveSettings& settings) {
    RequireSevenZipPackerRegistry();
    // The handler sorts items by name, ignoring case where the library was
    // built for Windows. Case-sensitive order everywhere makes the Windows
    // build write the same bytes as the Linux one.
    g_CaseSensitive = true;
    unsigned threads = settings.threads;
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // A 32-bit process has 2 GiB of address space, and each LZMA2 block
    // thread at level 9 needs about 700 MiB: one block thread (with its two
    // match-finder threads) is all that fits.
    if (sizeof(void*) < 8) threads = std::min(threads, 2u);

    // -mx=9 -m0=LZMA2 -ms=on -mhe=off -mmt=N: the library then adds BCJ2 or
    // BCJ for files it takes for x86 executables, and groups by type. Store
    // is -mx=0 without a method: the library then copies the files.
    const UInt32 kLevels[] = {1, 5, 9, 0};
    const bool store = settings.compression == Compression::Store;
    Property properties[] = {
        {L"x", NWindows::NCOM::CPropVariant(kLevels[static_cast<int>(settings.compression)])},
        {L"s", NWindows::NCOM::CPropVariant(true)},
        {L"he", NWindows::NCOM::CPropVariant(false)},
        {L"mt", NWindows::NCOM::CPropVariant(static_cast<UInt32>(threads))},
        {L"0", NWindows::NCOM::CPropVariant(L"LZMA2")},
    };
    const unsigned count = sizeof properties / sizeof properties[0] - (store ? 1 : 0);
    const wchar_t* names[count];
    PROPVARIANT values[count];
    for (unsigned i = 0; i < count; ++i) {
        names[i] = properties[i].name;
        values[i] = properties[i].value;
    }

    NArchive::N7z::CHandler* handlerSpec = new NArchive::N7z::CHandler;
    CMyComPtr<IOutArchive> handler = handlerSpec;
    CMyComPtr<ISetProperties> setProperties;
    handler.QueryInterface(IID_ISetProperties, &setProperties);
    HRESULT hr = setProperties ? setProperties->SetProperties(names, values, count) : E_NOINTERFACE;
    if (hr != S_OK) {
        throw CPackError("internal error: the archive settings were refused (" + HresultText(hr) + ")", kExitFailure,
                         DiagCode::Internal);
    }

    CPlacedOutStream* outSpec = new CPlacedOutStream;
    CMyComPtr<IOutStream> out = outSpec;
    const auto writeError = [&] {
        return CPackError("cannot write the archive into " + Quote(file.u8string()) + ": " + outSpec->Error(),
                          kExitFailure, DiagCode::OutputUnwritable);
    };
    if (!outSpec->Open(file, offset)) throw writeError();
    CUpdateCallback* callbackSpec = new CUpdateCallback(items, settings);
    CMyComPtr<IArchiveUpdateCallback> callback = callbackSpec;

    std::unique_ptr<CArchiveIvScope> ivScope;
    if (settings.ivSeed) ivScope = std::make_unique<CArchiveIvScope>(*settings.ivSeed);
    hr = handler->UpdateItems(out, static_cast<UInt32>(items.size()), callback);
    ivScope.reset();
    if (hr == S_OK) hr = outSpec->Close();
    if (hr != S_OK) {
        ThrowIfStopRequested();
        if (!outSpec->Error().empty()) throw writeError();
        if (!callbackSpec->m_failedPath.empty()) {
            throw CPackError("cannot read " + Quote(callbackSpec->m_failedPath) + " while packing", kExitFailure,
                             DiagCode::InputUnreadable);
        }
        if (hr == E_OUTOFMEMORY) {
            throw CPackError("out of memory while packing (try fewer threads)", kExitFailure, DiagCode::PackFailed);
        }
        throw CPackError("packing failed (error " + HresultText(hr) + ")", kExitFailure, DiagCode::PackFailed);
    }
    return outSpec->Size();
}

void WriteArchive(const std::vector<PackItem>& items, const fs::path& archive, const ArchiveSettings& settings) {
    std::error_code ec;
    errno = 0;
    std::ofstream created;
    if (!fs::exists(archive, ec)) created.open(archive, std::ios::binary);
    if (!created.is_open()) {
        throw CPackError("cannot create the archive " + Quote(archive.u8string()) + ": " +
                             (errno != 0 ? std::strerror(errno) : "it exists"),
                         kExitFailure, DiagCode::OutputUnwritable);
    }
    created.close();
    WriteArchive(items, archive, 0, settings);
}

}  // namespace sfxpack
