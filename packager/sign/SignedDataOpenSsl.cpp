// OpenSSL implementation of SignedData.h (libcrypto, linked statically).
#ifndef _WIN32

#include "packager/sign/SignedData.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <climits>
#include <memory>

namespace sfxpack {

namespace {

struct FreePkcs7 {
    void operator()(PKCS7* p) const { PKCS7_free(p); }
};
struct FreeBio {
    void operator()(BIO* p) const { BIO_free(p); }
};
// PKCS7_get0_signers gives a stack of certificates the message still owns.
struct FreeSignerStack {
    void operator()(STACK_OF(X509) * p) const { sk_X509_free(p); }
};

// OpenSSL reports through a per-thread queue; nothing is left in it for the
// next check to misread.
class CErrorQueue {
public:
    CErrorQueue() { ERR_clear_error(); }
    ~CErrorQueue() { ERR_clear_error(); }
    CErrorQueue(const CErrorQueue&) = delete;
    CErrorQueue& operator=(const CErrorQueue&) = delete;
    // Why OpenSSL refused: one of the two ways a signature fails when it
    // names one (with the first, lower-level reason), else that reason.
    static std::string Reason() {
        std::string first, failure;
        for (unsigned long code; (code = ERR_get_error()) != 0;) {
            if (ERR_GET_LIB(code) == ERR_LIB_PKCS7 && ERR_GET_REASON(code) == PKCS7_R_DIGEST_FAILURE) {
                failure = kSignedDigestFailure;
            } else if (ERR_GET_LIB(code) == ERR_LIB_PKCS7 && ERR_GET_REASON(code) == PKCS7_R_SIGNATURE_FAILURE) {
                failure = kSignatureFailure;
            } else if (first.empty()) {
                const char* text = ERR_reason_error_string(code);
                first = text ? text : "error " + std::to_string(code);
            }
        }
        if (failure.empty()) return first.empty() ? "no reason given" : first;
        return first.empty() ? failure : failure + " (" + first + ")";
    }
};

// "CN=Acme Ltd, O=Acme", most specific first, as CryptoAPI writes it.
std::string SubjectName(X509* certificate) {
    const std::unique_ptr<BIO, FreeBio> text(BIO_new(BIO_s_mem()));
    const unsigned long flags = (XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB & ~XN_FLAG_SEP_MASK) | XN_FLAG_SEP_CPLUS_SPC;
    if (!text || X509_NAME_print_ex(text.get(), X509_get_subject_name(certificate), 0, flags) < 0) return std::string();
    char* data = nullptr;
    const long size = BIO_get_mem_data(text.get(), &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

SignedDataCheck Fail(const std::string& problem, const std::string& signer = std::string()) {
    SignedDataCheck check;
    check.problem = problem;
    check.signer = signer;
    return check;
}

}  // namespace

SignedDataCheck CheckSignedData(const DerElement& pkcs7, const DerElement& content) {
    const CErrorQueue errors;
    if (pkcs7.size > LONG_MAX || content.contentsSize > INT_MAX) return Fail("the signature is too large");
    const unsigned char* p = pkcs7.start;
    const std::unique_ptr<PKCS7, FreePkcs7> message(d2i_PKCS7(nullptr, &p, static_cast<long>(pkcs7.size)));
    if (!message || !PKCS7_type_is_signed(message.get())) {
        return Fail("OpenSSL cannot read the PKCS#7 SignedData: " + CErrorQueue::Reason());
    }
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(message.get());
    const int count = infos ? sk_PKCS7_SIGNER_INFO_num(infos) : 0;
    if (count != 1) return Fail("the signature has " + std::to_string(count) + " signers, not one");
    const STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_signed_attributes(sk_PKCS7_SIGNER_INFO_value(infos, 0));
    if (!attributes || sk_X509_ATTRIBUTE_num(attributes) <= 0) {
        return Fail("the signer has no signed attributes");
    }
    const std::unique_ptr<STACK_OF(X509), FreeSignerStack> signers(PKCS7_get0_signers(message.get(), nullptr, 0));
    if (!signers || sk_X509_num(signers.get()) != 1) return Fail("the signer's certificate is not in the signature");
    const std::string name = SubjectName(sk_X509_value(signers.get(), 0));

    // The content octets, without the SEQUENCE's identifier and length, are
    // what PKCS#7 digests for a content type other than data.
    const std::unique_ptr<BIO, FreeBio> data(BIO_new_mem_buf(content.contents, static_cast<int>(content.contentsSize)));
    if (!data) return Fail("out of memory", name);
    // No store and PKCS7_NOVERIFY: the signatures are checked, not the chain.
    if (PKCS7_verify(message.get(), nullptr, nullptr, data.get(), nullptr, PKCS7_NOVERIFY) != 1) {
        return Fail(CErrorQueue::Reason(), name);
    }
    SignedDataCheck check;
    check.valid = true;
    check.signer = name;
    return check;
}

}  // namespace sfxpack

#endif  // !_WIN32
