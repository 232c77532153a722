#include "orelib/win32/OwnFile.h"

#include <psapi.h>

#include <cstring>

#include "orelib/ImagePath.h"
#include "orelib/SetupLayout.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "orelib/win32/Result.h"

namespace orelib {

namespace {

// The longest path the system hands out.
constexpr size_t kLongPathChars = 32768;

// Resources of the stub lie far below this; the file may be much longer.
constexpr uint64_t kImageWindow = 100u * 1024 * 1024;

// The loaded image's header bytes, or null when they do not look like PE32.
const uint8_t* LoadedHeaders(HMODULE image, size_t* size, size_t* imageBaseOffset) {
    const auto* base = reinterpret_cast<const uint8_t*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        return nullptr;
    }
    *size = nt->OptionalHeader.SizeOfHeaders;
    *imageBaseOffset = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                       offsetof(IMAGE_OPTIONAL_HEADER32, ImageBase);
    return base;
}

// The bytes of an RT_RCDATA resource of the loaded `image`; null when absent.
const uint8_t* LoadedResource(HMODULE image, const char16_t* name16, DWORD* size) {
    std::wstring name;
    for (const char16_t* c = name16; *c; ++c) name += static_cast<wchar_t>(*c);
    HRSRC found = FindResourceW(image, name.c_str(), MAKEINTRESOURCEW(kStubResourceType));
    HGLOBAL data = found ? LoadResource(image, found) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    *size = bytes ? SizeofResource(image, found) : 0;
    return static_cast<const uint8_t*>(bytes);
}

// The native name the system mapped the program's image by
// ("\Device\HarddiskVolume3\..."); "" on failure.
std::wstring MappedImageName() {
    std::wstring name(kLongPathChars, L'\0');
    const DWORD length = K32GetMappedFileNameW(GetCurrentProcess(), GetModuleHandleW(nullptr), &name[0],
                                               static_cast<DWORD>(name.size()));
    name.resize(length < name.size() ? length : 0);
    return name;
}

}  // namespace

HRESULT COwnFile::OpenRunningImage() {
    const std::wstring path = GetModulePath(nullptr);
    if (path.empty()) return FailureFromLastError();
    return OpenRunningImage(path);
}

HRESULT COwnFile::OpenRunningImage(const std::wstring& path) {
    HRESULT hr = Open(path);
    if (FAILED(hr) && hr != HresultFromWin32(ERROR_SHARING_VIOLATION)) {
        // Started from a drive letter the user mapped, which the elevated
        // process's logon session does not have, or through a junction the
        // redirection-trust policy does not follow: the name the image was
        // mapped by leads to the same file. The check below holds either way.
        const std::wstring mapped = OpenableImagePath(MappedImageName());
        if (!mapped.empty() && SUCCEEDED(Open(mapped))) {
            hr = S_OK;
        } else {
            m_path = path;
        }
    }
    RETURN_IF_FAILED(hr);
    return CheckMatchesImage(GetModuleHandleW(nullptr));
}

HRESULT COwnFile::Open(const std::wstring& path) {
    m_file.Reset();
    m_path = path;
    // Read sharing only: no writer, and no rename or delete while it is held.
    return OpenFileWithRetry(m_file.Receive(), path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

HRESULT COwnFile::CheckMatchesImage(HMODULE image) const {
    CMappedView view;
    RETURN_IF_FAILED(view.MapFileStart(m_file.Get(), kImageWindow));

    size_t headerSize = 0;
    size_t imageBaseOffset = 0;
    const uint8_t* loaded = LoadedHeaders(image, &headerSize, &imageBaseOffset);
    if (!loaded || headerSize > view.Size() || imageBaseOffset + 4 > headerSize) return kOwnFileReplaced;
    // The loader writes the address it chose into ImageBase; every other
    // header byte stays as in the file.
    if (std::memcmp(loaded, view.Data(), imageBaseOffset) != 0 ||
        std::memcmp(loaded + imageBaseOffset + 4, view.Data() + imageBaseOffset + 4,
                    headerSize - imageBaseOffset - 4) != 0) {
        return kOwnFileReplaced;
    }

    // The recorded size tells setup files built from the same stub apart.
    DWORD loadedSize = 0;
    const uint8_t* loadedBytes = LoadedResource(image, kSizeResourceName, &loadedSize);
    if (!loadedBytes) return kOwnFileReplaced;

    size_t offset = 0;
    uint32_t size = 0;
    if (!FindSizeResource(view.Data(), view.Size(), &offset, &size) || size != loadedSize ||
        std::memcmp(view.Data() + offset, loadedBytes, size) != 0) {
        return kOwnFileReplaced;
    }
    return S_OK;
}

bool COwnFile::LoadPayloadDigest(HMODULE image) {
    DWORD size = 0;
    const uint8_t* bytes = LoadedResource(image, kDigestResourceName, &size);
    return bytes && DecodePayloadDigest(bytes, size, &m_payload);
}

int64_t COwnFile::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file.Get(), &size)) return -1;
    return size.QuadPart;
}

}  // namespace orelib
