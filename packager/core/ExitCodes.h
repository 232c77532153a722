#pragma once
// sfxpack's exit codes, one per class of failure, so that scripts can tell
// a broken configuration from a damaged setup file. Listed in --help.
namespace sfxpack {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,         // the job could not be done: unreadable or refused input, write error
    kExitUsage = 2,           // wrong command line
    kExitConfiguration = 3,   // the configuration has errors (warnings too with --strict)
    kExitSetupMissing = 4,    // a setup program the configuration names is not in the package
    kExitLayout = 5,          // block or archive not where the stub looks, or the size check fails
    kExitArchiveDamaged = 6,  // the archive fails its CRCs, or uses what the stub cannot decode
    kExitSignature = 7,       // the Authenticode signature does not match the file or does not verify
};

}  // namespace sfxpack
