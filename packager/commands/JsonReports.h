#pragma once
// The --json documents of build, check, inspect and verify, made from the
// same facts the text reports print. docs/json.md describes every field.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "packager/core/Diagnostics.h"
#include "packager/core/Json.h"
#include "packager/commands/SetupReport.h"
#include "packager/commands/VerifySetup.h"

namespace sfxpack {

constexpr int kJsonSchemaVersion = 1;

// {"schema_version", "command", "ok", "exit_code"}; the last two are set by FinishJsonDocument.
CJson StartJsonDocument(const std::string& command);
void FinishJsonDocument(CJson* document, int exitCode, const std::vector<Diagnostic>& diagnostics);

CJson DiagnosticJson(const Diagnostic& diagnostic);
// {"path", "size", "sha256"}
CJson FileJson(const std::filesystem::path& path, uint64_t size);
CJson VersionJson(const BrandingFacts& branding);
// {"path", "valid_utf8", "text", "effective"}: the text as it is and the
// values the stub uses per culture; "path" only when `path` is not empty.
CJson ConfigurationJson(const std::string& text, const std::string& path = std::string());

// Adds the facts of a finished setup file to `document` (inspect, and build for its output).
void AddSetupFactsJson(const SetupFacts& facts, CJson* document);
// What inspect reports as problems: a missing block or archive (errors), a failing size check (warning).
std::vector<Diagnostic> GetInspectDiagnostics(const SetupFacts& facts);

void AddVerifyFactsJson(const std::filesystem::path& path, const VerifyFacts& facts, CJson* document);

}  // namespace sfxpack
