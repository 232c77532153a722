// CryptoAPI implementation of SignedData.h (crypt32).
#ifdef _WIN32

#include "packager/sign/SignedData.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <memory>
#include <vector>

#include "packager/core/WideText.h"
#include "packager/platform/Win32Support.h"

namespace sfxpack {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct CloseMessage {
    void operator()(void* message) const { CryptMsgClose(message); }
};
struct CloseStore {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
struct FreeCertificate {
    void operator()(const CERT_CONTEXT* certificate) const { CertFreeCertificateContext(certificate); }
};

// A parameter of the decoded message; empty when it has none.
std::vector<BYTE> GetParam(HCRYPTMSG message, DWORD type, DWORD index) {
    DWORD size = 0;
    if (!CryptMsgGetParam(message, type, index, nullptr, &size) || size == 0) return {};
    std::vector<BYTE> value(size);
    if (!CryptMsgGetParam(message, type, index, value.data(), &size)) return {};
    value.resize(size);
    return value;
}

std::string Reason(DWORD error) {
    if (error == static_cast<DWORD>(CRYPT_E_HASH_VALUE)) return kSignedDigestFailure;
    if (error == static_cast<DWORD>(NTE_BAD_SIGNATURE)) return kSignatureFailure;
    return SystemErrorText(error);
}

SignedDataCheck Fail(const std::string& problem, const std::string& signer = std::string()) {
    SignedDataCheck check;
    check.problem = problem;
    check.signer = signer;
    return check;
}

std::string SubjectName(const CERT_CONTEXT* certificate) {
    const DWORD flags = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    CERT_NAME_BLOB* subject = &certificate->pCertInfo->Subject;
    const DWORD length = CertNameToStrW(kEncoding, subject, flags, nullptr, 0);
    if (length <= 1) return std::string();
    std::wstring name(length, L'\0');
    CertNameToStrW(kEncoding, subject, flags, &name[0], length);
    name.resize(length - 1);
    return ToUtf8(name);
}

}  // namespace

SignedDataCheck CheckSignedData(const DerElement& pkcs7, const DerElement& content) {
    if (pkcs7.size > MAXDWORD) return Fail("the signature is too large");
    const std::unique_ptr<void, CloseMessage> message(CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr));
    if (!message || !CryptMsgUpdate(message.get(), pkcs7.start, static_cast<DWORD>(pkcs7.size), TRUE)) {
        return Fail("CryptoAPI cannot read the PKCS#7 SignedData: " + SystemErrorText(GetLastError()));
    }
    const std::vector<BYTE> type = GetParam(message.get(), CMSG_TYPE_PARAM, 0);
    if (type.size() != sizeof(DWORD) || *reinterpret_cast<const DWORD*>(type.data()) != CMSG_SIGNED) {
        return Fail("the PKCS#7 message is not SignedData");
    }
    // For a content type other than data, CryptoAPI gives the inner content
    // whole; it must be the one the caller read the digest from.
    const std::vector<BYTE> inner = GetParam(message.get(), CMSG_CONTENT_PARAM, 0);
    if (inner.size() != content.size || std::memcmp(inner.data(), content.start, content.size) != 0) {
        return Fail("CryptoAPI reads other signed content than sfxpack");
    }
    const std::vector<BYTE> count = GetParam(message.get(), CMSG_SIGNER_COUNT_PARAM, 0);
    const DWORD signers = count.size() == sizeof(DWORD) ? *reinterpret_cast<const DWORD*>(count.data()) : 0;
    if (signers != 1) return Fail("the signature has " + std::to_string(signers) + " signers, not one");
    const std::vector<BYTE> attributes = GetParam(message.get(), CMSG_SIGNER_AUTH_ATTR_PARAM, 0);
    if (attributes.size() < sizeof(CRYPT_ATTRIBUTES) ||
        reinterpret_cast<const CRYPT_ATTRIBUTES*>(attributes.data())->cAttr == 0) {
        return Fail("the signer has no signed attributes");
    }
    const std::vector<BYTE> signerInfo = GetParam(message.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0);
    const std::unique_ptr<void, CloseStore> store(CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, message.get()));
    if (signerInfo.size() < sizeof(CERT_INFO) || !store)
        return Fail("the signer's certificate is not in the signature");
    const std::unique_ptr<const CERT_CONTEXT, FreeCertificate> certificate(CertGetSubjectCertificateFromStore(
        store.get(), kEncoding, reinterpret_cast<CERT_INFO*>(const_cast<BYTE*>(signerInfo.data()))));
    if (!certificate) return Fail("the signer's certificate is not in the signature");
    const std::string name = SubjectName(certificate.get());
    // Checks the messageDigest attribute against the content and the
    // signature over the attributes; no chain, no trust.
    if (!CryptMsgControl(message.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE, certificate->pCertInfo)) {
        return Fail(Reason(GetLastError()), name);
    }
    SignedDataCheck check;
    check.valid = true;
    check.signer = name;
    return check;
}

}  // namespace sfxpack

#endif  // _WIN32
