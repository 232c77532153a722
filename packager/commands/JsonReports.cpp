#include "packager/commands/JsonReports.h"

#include "packager/config/ConfigValues.h"
#include "packager/platform/FileDigest.h"
#include "packager/core/WideText.h"

namespace sfxpack {

namespace {

CJson SizeCheckJson(const SizeCheck& check, uint64_t actual) {
    CJson json = CJson::Object();
    json.Set("actual", actual);
    json.Set("expected", check.hasExpected ? CJson(check.expected) : CJson());
    json.Set("source", check.hasExpected ? CJson(check.fromCertificate ? "certificate" : "resource") : CJson());
    json.Set("passes", check.passes);
    json.Set("problem", check.passes ? CJson() : CJson(check.problem));
    return json;
}

CJson PayloadJson(const PayloadCheck& check) {
    CJson json = CJson::Object();
    json.Set("recorded", check.recorded);
    json.Set("offset", check.recorded ? CJson(check.digest.offset) : CJson());
    json.Set("size", check.recorded ? CJson(check.digest.size) : CJson());
    json.Set("sha256", check.recorded ? CJson(HexText(check.digest.sha256.data(), check.digest.sha256.size()))
                                      : CJson());
    json.Set("matches", check.matches);
    json.Set("problem", check.matches ? CJson() : CJson(check.problem));
    return json;
}

CJson StringsJson(const std::vector<std::string>& texts) {
    CJson json = CJson::Array();
    for (const std::string& text : texts) json.Push(text);
    return json;
}

void AddArchiveInfoJson(const ArchiveInfo& info, CJson* archive) {
    CJson& json = *archive;
    json.Set("size", info.physicalSize);
    json.Set("methods", StringsJson(info.methods));
    json.Set("items", info.itemCount);
    json.Set("unpacked_size", info.unpackedSize);
    json.Set("headers_encrypted", info.headersEncrypted);
    json.Set("data_encrypted", info.dataEncrypted);
}

CJson TextOrNull(const std::string& text) { return text.empty() ? CJson() : CJson(text); }

CJson SignatureJson(const SignatureFacts& facts) {
    CJson json = CJson::Object();
    json.Set("present", facts.present);
    json.Set("digest_algorithm", TextOrNull(facts.algorithm));
    json.Set("signed_digest", TextOrNull(facts.signedDigest));
    json.Set("file_digest", TextOrNull(facts.fileDigest));
    json.Set("digest_matches", facts.fileDigest.empty() ? CJson() : CJson(facts.digestMatches));
    json.Set("signature_valid", facts.signatureChecked ? CJson(facts.signatureValid) : CJson());
    json.Set("signer", TextOrNull(facts.signer));
    json.Set("chain_checked", false);
    json.Set("valid", facts.Valid());
    return json;
}

Diagnostic MakeDiagnostic(DiagCode code, DiagSeverity severity, const std::string& message) {
    Diagnostic diagnostic;
    diagnostic.code = code;
    diagnostic.severity = severity;
    diagnostic.message = message;
    return diagnostic;
}

}  // namespace

CJson StartJsonDocument(const std::string& command) {
    CJson document = CJson::Object();
    document.Set("schema_version", kJsonSchemaVersion);
    document.Set("command", command);
    document.Set("ok", false);
    document.Set("exit_code", 0);
    return document;
}

void FinishJsonDocument(CJson* document, int exitCode, const std::vector<Diagnostic>& diagnostics) {
    document->Set("ok", exitCode == 0);
    document->Set("exit_code", exitCode);
    CJson list = CJson::Array();
    for (const Diagnostic& diagnostic : diagnostics) list.Push(DiagnosticJson(diagnostic));
    document->Set("diagnostics", list);
}

CJson DiagnosticJson(const Diagnostic& diagnostic) {
    CJson json = CJson::Object();
    json.Set("code", GetDiagCodeName(diagnostic.code));
    json.Set("severity", GetDiagSeverityName(diagnostic.severity));
    json.Set("message", diagnostic.message);
    json.Set("file", diagnostic.file.empty() ? CJson() : CJson(diagnostic.file));
    json.Set("line", diagnostic.line ? CJson(diagnostic.line) : CJson());
    return json;
}

CJson FileJson(const std::filesystem::path& path, uint64_t size) {
    CJson json = CJson::Object();
    json.Set("path", path.u8string());
    json.Set("size", size);
    json.Set("sha256", GetFileSha256Hex(path));
    return json;
}

CJson VersionJson(const BrandingFacts& branding) {
    if (!branding.hasVersion) return CJson();
    CJson json = CJson::Object();
    json.Set("file_version", DottedVersion(branding.version.fileVersion));
    json.Set("product_version", DottedVersion(branding.version.productVersion));
    CJson strings = CJson::Object();
    for (const auto& [key, value] : branding.version.strings) strings.Set(key, value);
    json.Set("strings", strings);
    return json;
}

CJson ConfigurationJson(const std::string& text, const std::string& path) {
    CJson json = CJson::Object();
    if (!path.empty()) json.Set("path", path);
    std::wstring wide;
    const bool valid = FromUtf8(text, &wide);
    json.Set("valid_utf8", valid);
    json.Set("text", text);
    if (!valid) {
        json.Set("effective", CJson());
        return json;
    }
    CJson sections = CJson::Array();
    for (const EffectiveSection& section : GetEffectiveConfiguration(wide)) {
        CJson entry = CJson::Object();
        entry.Set("section", ToUtf8(section.section));
        entry.Set("culture", section.culture.empty() ? CJson() : CJson(ToUtf8(section.culture)));
        CJson values = CJson::Object();
        for (const EffectiveValue& value : section.values) {
            CJson item = CJson::Object();
            if (value.key->type == orelib::ConfigKeyType::Integer) {
                item.Set("value", value.number);
                item.Set("text", ToUtf8(value.text));
            } else {
                item.Set("value", ToUtf8(value.text));
            }
            item.Set("from", value.from.empty() ? CJson() : CJson(ToUtf8(value.from)));
            item.Set("line", value.line ? CJson(value.line) : CJson());
            values.Set(ToUtf8(value.key->name), item);
        }
        entry.Set("values", values);
        sections.Push(entry);
    }
    json.Set("effective", sections);
    return json;
}

void AddSetupFactsJson(const SetupFacts& facts, CJson* document) {
    document->Set("file", FileJson(facts.path, facts.size));

    CJson stub = CJson::Object();
    stub.Set("size", facts.blockFound ? CJson(facts.blockOffset) : CJson());
    stub.Set("version", VersionJson(facts.branding));
    document->Set("stub", stub);

    CJson block = CJson::Object();
    block.Set("found", facts.blockFound);
    block.Set("offset", facts.blockFound ? CJson(facts.blockOffset) : CJson());
    block.Set("size", facts.blockFound ? CJson(facts.blockSize) : CJson());
    block.Set("content_size", facts.blockFound ? CJson(facts.blockContentSize) : CJson());
    document->Set("block", block);

    CJson archive = CJson::Object();
    archive.Set("found", facts.archiveFound);
    archive.Set("offset", facts.archiveFound ? CJson(facts.archiveOffset) : CJson());
    archive.Set("readable", facts.archiveOpened);
    if (facts.archiveOpened) AddArchiveInfoJson(facts.archive, &archive);
    if (facts.archiveFound && !facts.archiveOpened) archive.Set("problem", facts.archiveProblem);
    document->Set("archive", archive);

    CJson certificate = CJson::Object();
    certificate.Set("present", facts.hasCertificate);
    certificate.Set("offset", facts.hasCertificate ? CJson(facts.certificateOffset) : CJson());
    certificate.Set("size", facts.hasCertificate ? CJson(facts.certificateSize) : CJson());
    document->Set("certificate_table", certificate);
    document->Set("signature", SignatureJson(facts.signature));

    CJson recorded = CJson::Object();
    recorded.Set("present", facts.hasRecordedSize);
    recorded.Set("value", facts.hasRecordedSize ? CJson(facts.recordedSize) : CJson());
    recorded.Set("offset", facts.hasRecordedSize ? CJson(facts.recordedSizeOffset) : CJson());
    document->Set("recorded_size", recorded);

    document->Set("size_check", SizeCheckJson(facts.sizeCheck, facts.size));
    document->Set("payload_digest", PayloadJson(facts.payload));

    CJson branding = CJson::Object();
    branding.Set("resources_readable", facts.branding.readable);
    if (facts.branding.hasIcon) {
        CJson icon = CJson::Array();
        for (const IconGroupEntry& entry : facts.branding.icon) {
            CJson image = CJson::Object();
            image.Set("width", entry.width);
            image.Set("height", entry.height);
            image.Set("bit_count", entry.bitCount);
            icon.Push(image);
        }
        branding.Set("icon", icon);
    } else {
        branding.Set("icon", CJson());
    }
    branding.Set("version_info", VersionJson(facts.branding));
    branding.Set("execution_level",
                 facts.branding.executionLevel.empty() ? CJson() : CJson(facts.branding.executionLevel));
    document->Set("branding", branding);

    const std::string text(facts.text.begin(), facts.text.end());
    document->Set("configuration", facts.blockFound ? ConfigurationJson(text) : CJson());
}

std::vector<Diagnostic> GetInspectDiagnostics(const SetupFacts& facts) {
    std::vector<Diagnostic> found;
    if (!facts.blockFound) {
        found.push_back(MakeDiagnostic(DiagCode::LayoutBlockNotFound, DiagSeverity::Error, kNoBlockMessage));
    } else if (!facts.textValid) {
        found.push_back(MakeDiagnostic(DiagCode::LayoutBlockNotUtf8, DiagSeverity::Error, kBlockNotUtf8Message));
    }
    if (!facts.archiveFound) {
        found.push_back(MakeDiagnostic(DiagCode::LayoutArchiveNotFound, DiagSeverity::Error, kNoArchiveMessage));
    } else if (!facts.archiveOpened) {
        found.push_back(MakeDiagnostic(DiagCode::ArchiveCannotOpen, DiagSeverity::Warning,
                                       "the archive cannot be opened: " + facts.archiveProblem));
    }
    for (const SignatureProblem& problem : facts.signature.problems) {
        found.push_back(MakeDiagnostic(problem.code, DiagSeverity::Warning, problem.message));
    }
    if (!facts.sizeCheck.passes) {
        found.push_back(
            MakeDiagnostic(facts.sizeCheck.hasExpected ? DiagCode::SizeMismatch : DiagCode::SizeNoExpectedSize,
                           DiagSeverity::Warning, "size check fails: " + facts.sizeCheck.problem));
    }
    if (!facts.payload.matches) {
        found.push_back(MakeDiagnostic(facts.payload.recorded ? DiagCode::PayloadChanged : DiagCode::PayloadNoDigest,
                                       DiagSeverity::Warning, "payload check fails: " + facts.payload.problem));
    }
    return found;
}

void AddVerifyFactsJson(const std::filesystem::path& path, const VerifyFacts& facts, CJson* document) {
    document->Set("file", FileJson(path, facts.size));
    document->Set("size_check", SizeCheckJson(facts.sizeCheck, facts.size));
    document->Set("payload_digest", facts.payloadChecked ? PayloadJson(facts.payload) : CJson());
    document->Set("signature", facts.signatureChecked ? SignatureJson(facts.signature) : CJson());
    CJson archive = CJson::Object();
    archive.Set("found", facts.archiveFound);
    archive.Set("offset", facts.archiveFound ? CJson(facts.archiveOffset) : CJson());
    archive.Set("methods", StringsJson(facts.archive.methods));
    archive.Set("items", facts.archiveFound ? CJson(facts.archive.items) : CJson());
    archive.Set("unpacked_size", facts.archiveFound ? CJson(facts.archive.unpackedSize) : CJson());
    archive.Set("data_encrypted", facts.archive.dataEncrypted);
    archive.Set("crc_checked", facts.archive.tested);
    document->Set("archive", facts.blockChecked ? archive : CJson());
    CJson block = CJson::Object();
    block.Set("checked", facts.blockChecked);
    block.Set("found", facts.blockChecked ? CJson(facts.blockStatus != orelib::ConfigBlockStatus::NotFound) : CJson());
    block.Set("valid_utf8", facts.blockChecked ? CJson(facts.blockStatus == orelib::ConfigBlockStatus::Ok) : CJson());
    document->Set("block", block);
    const bool decoded = facts.blockChecked && facts.blockStatus == orelib::ConfigBlockStatus::Ok;
    document->Set("configuration", decoded ? ConfigurationJson(facts.configText) : CJson());
}

}  // namespace sfxpack
