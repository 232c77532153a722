#pragma once
// Signing the finished, checked setup file: with osslsigncode or the
// vendor's own command, into a second temporary file that takes the
// output's name only once the signature and the layout check out.
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

#include "packager/sign/SigningRules.h"
#include "packager/platform/SignalCleanup.h"

namespace sfxpack {

// The signed temporary file beside `target`. It is not created here (the
// signer creates it; osslsigncode refuses to overwrite a file), and it is
// removed, also on SIGINT/SIGTERM, unless committed.
class CSignedOutput {
public:
    explicit CSignedOutput(const std::filesystem::path& unsignedTemp, const std::filesystem::path& target);
    ~CSignedOutput();
    CSignedOutput(const CSignedOutput&) = delete;
    CSignedOutput& operator=(const CSignedOutput&) = delete;
    const std::filesystem::path& TempPath() const { return m_temp; }
    // Renames the signed file to the target.
    void Commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::unique_ptr<CCleanupPath> m_cleanup;
    bool m_committed = false;
};

// Signs `unsignedFile` into `signedFile` and checks the result: the signer
// succeeded and wrote a file; that file is the unsigned one with only a
// signature added (its checksum, its certificate entry, zero padding and a
// certificate table that ends the file); osslsigncode finds the signed
// digest equal to the file's. Throws CPackError naming the step that failed.
// With timestamp servers, the timestamp is added after signing, each failed
// try named on `log`. Returns a line for the log saying how far the
// signature was checked.
std::string SignSetupFile(const SigningOptions& options, const std::filesystem::path& unsignedFile,
                          const std::filesystem::path& signedFile, std::ostream& log);

}  // namespace sfxpack
