#include "packager/config/ConfigCheck.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "orelib/ConfigKeys.h"
#include "orelib/Cultures.h"
#include "orelib/IniText.h"
#include "orelib/SetupFileName.h"
#include "packager/config/ConfigValues.h"
#include "packager/core/WideText.h"

namespace sfxpack {

namespace {

using orelib::ConfigKeyInfo;
using orelib::ConfigKeyType;
using orelib::EqualsNoCase;

constexpr wchar_t kByteOrderMark = 0xFEFF;

std::string Q(const std::wstring& text) { return "'" + ToUtf8(text) + "'"; }
std::string Section(const std::wstring& name) { return "[" + ToUtf8(name) + "]"; }

bool IsLanguageSection(const std::wstring& name) { return orelib::GetLanguageSectionCultures({name}).size() == 1; }

std::wstring CultureOf(const std::wstring& section) { return orelib::GetLanguageSectionCultures({section}).front(); }

bool IsKnownCulture(const std::wstring& culture) { return !orelib::GetCultureDisplayName(culture).empty(); }

// The closest of `candidates` to `name`, when close enough to be a slip.
std::wstring NearestName(const std::wstring& name, const std::vector<std::wstring>& candidates) {
    const size_t allowed = name.size() <= 3 ? 1 : 2;
    std::wstring best;
    size_t bestDistance = allowed + 1;
    for (const std::wstring& candidate : candidates) {
        const size_t distance = NameDistance(name, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string DidYouMean(const std::wstring& suggestion, bool asSection) {
    if (suggestion.empty()) return {};
    return " (did you mean " + (asSection ? Section(suggestion) : Q(suggestion)) + "?)";
}

bool IsWholeInteger(const std::wstring& value) {
    size_t i = value[0] == L'+' || value[0] == L'-' ? 1 : 0;
    if (i == value.size()) return false;
    for (; i < value.size(); ++i) {
        if (value[i] < L'0' || value[i] > L'9') return false;
    }
    return true;
}

class CChecker {
public:
    CChecker(const std::wstring& text, const ConfigCheckOptions& options) : m_options(options) {
        m_config.Parse(text, &m_lines);
        if (!text.empty() && text[0] == kByteOrderMark) {
            // Harmless before a comment or a blank line; a header or key there is lost.
            const std::wstring first = text.substr(1, text.find_first_of(L"\r\n") - 1);
            const size_t start = first.find_first_not_of(L" \t");
            const bool harmless = start == std::wstring::npos || first[start] == L';';
            Add(DiagCode::ConfigByteOrderMark, harmless ? Severity::Warning : Severity::Error, 1,
                "the configuration starts with a byte-order mark, which the stub keeps as part of its first line" +
                    std::string(harmless ? "" : ", so it does not read that line") + "; save it as UTF-8 without one");
        }
    }

    std::vector<ConfigFinding> Run() {
        CollectSections();
        if (m_hasKeys.empty()) {
            Add(DiagCode::ConfigEmpty, Severity::Error, 0,
                "the configuration sets no key: the stub would run with every default");
        }
        CheckSections();
        CheckKeys();
        CheckSetupFiles();
        CheckBitnessSplit();
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const ConfigFinding& a, const ConfigFinding& b) { return a.line < b.line; });
        return m_findings;
    }

private:
    void Add(DiagCode code, Severity severity, size_t line, const std::string& message,
             FindingClass kind = FindingClass::Configuration) {
        ConfigFinding finding;
        finding.code = code;
        finding.severity = severity;
        finding.kind = kind;
        finding.line = line;
        finding.message = message;
        m_findings.push_back(finding);
    }

    void CollectSections() {
        for (const orelib::IniLine& line : m_lines) {
            if (line.isHeader) {
                m_firstHeader.emplace(line.section, line.number);
            } else {
                m_hasKeys.insert(line.section);
                m_lastLine[line.section + L'\n' + line.key] = line.number;
            }
        }
    }

    void CheckSections() {
        std::vector<std::wstring> sectionNames{orelib::kMainSection};
        for (const orelib::CultureDisplayName& entry : orelib::kCultureDisplayNames) {
            sectionNames.push_back(orelib::LanguageSectionName(entry.culture));
        }
        std::vector<std::wstring> cultures;
        for (const orelib::CultureDisplayName& entry : orelib::kCultureDisplayNames) {
            cultures.push_back(entry.culture);
        }
        for (const auto& header : m_firstHeader) {
            const std::wstring& name = header.first;
            const size_t line = header.second;
            if (EqualsNoCase(name, orelib::kMainSection)) continue;
            if (!IsLanguageSection(name)) {
                Add(DiagCode::ConfigUnknownSection, Severity::Error, line,
                    "unknown section " + Section(name) + ": the stub reads only [main] and [LANG_<culture>]" +
                        DidYouMean(NearestName(name, sectionNames), true));
                continue;
            }
            const std::wstring culture = CultureOf(name);
            if (!IsKnownCulture(culture)) {
                const std::wstring near = NearestName(culture, cultures);
                Add(DiagCode::ConfigUnknownCulture, Severity::Error, line,
                    "section " + Section(name) + " names the culture " + Q(culture) +
                        ", which is not in the stub's table: the language dialog shows an empty line for it" +
                        (near.empty() ? " (cultures look like 'de-DE')"
                                      : DidYouMean(orelib::LanguageSectionName(near), true)));
            }
            if (m_hasKeys.count(name) == 0) {
                Add(DiagCode::ConfigEmptySection, Severity::Error, line,
                    "section " + Section(name) +
                        " has no key: the stub knows a section only from its "
                        "first key, so this language is not offered");
            }
        }
    }

    void CheckKeys() {
        std::vector<std::wstring> keyNames;
        for (const ConfigKeyInfo& key : orelib::kConfigKeys) keyNames.push_back(key.name);

        for (const orelib::IniLine& line : m_lines) {
            if (line.isHeader) continue;
            const bool inMain = EqualsNoCase(line.section, orelib::kMainSection);
            const bool inLanguage = !inMain && IsLanguageSection(line.section);
            if (!inMain && !inLanguage) {
                // Keys of unknown sections are covered by the section's finding.
                if (line.section.empty()) {
                    Add(DiagCode::ConfigKeyBeforeSection, Severity::Error, line.number,
                        "key " + Q(line.key) + " comes before any section header; the stub ignores it");
                }
                continue;
            }
            const ConfigKeyInfo* info = orelib::FindConfigKey(line.key);
            if (!info) {
                std::string hint = DidYouMean(NearestName(line.key, keyNames), false);
                if (!line.key.empty() && line.key[0] == L';') {
                    hint = " (a comment starts only with a ';' in the first column)";
                } else if (!line.key.empty() && line.key[0] == kByteOrderMark) {
                    hint = " (it starts with the file's byte-order mark)";
                }
                Add(DiagCode::ConfigUnknownKey, Severity::Error, line.number,
                    "unknown key " + Q(line.key) + " in " + Section(line.section) + ": the stub does not read it" +
                        hint);
                continue;
            }
            if (inMain && !(info->scope & orelib::kInMain)) {
                Add(DiagCode::ConfigKeyNotInMain, Severity::Error, line.number,
                    "key " + Q(info->name) + " is read only in [LANG_<culture>] sections, not in [main]");
                continue;
            }
            if (inLanguage && !(info->scope & orelib::kInLanguage)) {
                Add(DiagCode::ConfigKeyNotInLanguage, Severity::Error, line.number,
                    "key " + Q(info->name) + " is read only in [main], not in " + Section(line.section));
                continue;
            }
            const size_t last = m_lastLine[line.section + L'\n' + line.key];
            if (last != line.number) {
                Add(DiagCode::ConfigDuplicateKey, Severity::Warning, line.number,
                    "key " + Q(info->name) + " in " + Section(line.section) + " is given again on line " +
                        std::to_string(last) + ", whose value wins");
                continue;
            }
            if (line.value.find(L';') != std::wstring::npos) {
                Add(DiagCode::ConfigSemicolonInValue, Severity::Error, line.number,
                    "the value of " + Q(info->name) + " holds a ';', which the stub keeps: it reads " + Q(line.value) +
                        " (a comment is a line of its own that starts with ';')");
                continue;
            }
            if (info->type == ConfigKeyType::Integer && !line.value.empty()) CheckInteger(line, *info);
        }
    }

    void CheckInteger(const orelib::IniLine& line, const ConfigKeyInfo& info) {
        const int32_t read = m_config.GetInt(line.section, info.name, 0);
        if (!IsWholeInteger(line.value)) {
            Add(DiagCode::ConfigNotANumber, Severity::Error, line.number,
                "key " + Q(info.name) + " takes a number, but its value " + Q(line.value) +
                    " is not one: the stub reads it as " + std::to_string(read));
        } else if (read < info.minValue || read > info.maxValue) {
            Add(DiagCode::ConfigValueOutOfRange, Severity::Error, line.number,
                "key " + Q(info.name) + " has the value " + std::to_string(read) + "; only " +
                    std::to_string(info.minValue) + " to " + std::to_string(info.maxValue) + " mean something" +
                    (info.maxValue == 1 ? " (1 turns it on, anything else off)" : ""));
        }
    }

    void CheckSetupFiles() {
        // "main" decides for a run in a culture the package has no section for.
        std::vector<std::wstring> sections{orelib::kMainSection};
        std::vector<std::wstring> names;
        m_config.GetSectionNames(names);
        for (const std::wstring& culture : orelib::GetLanguageSectionCultures(names)) {
            sections.push_back(orelib::LanguageSectionName(culture));
        }
        // One finding per name, listing the sections that use it.
        struct Use {
            size_t line;
            std::string sections;
        };
        std::map<std::pair<const wchar_t*, std::wstring>, Use> uses;
        std::vector<std::pair<const wchar_t*, std::wstring>> order;
        for (const std::wstring& section : sections) {
            for (const wchar_t* keyName : {orelib::kKeySetupFileName, orelib::kKeySetupFileName64}) {
                const ConfigKeyInfo& key = *orelib::FindConfigKey(keyName);
                const EffectiveValue effective = GetEffectiveValue(m_config, m_lines, section, key);
                const size_t line = effective.line;
                const std::wstring& value = effective.text;
                if (keyName == orelib::kKeySetupFileName64 && value.empty()) continue;
                const auto id = std::make_pair(keyName, value);
                auto found = uses.find(id);
                if (found == uses.end()) {
                    uses.emplace(id, Use{line, Section(section)});
                    order.push_back(id);
                } else {
                    found->second.sections += ", " + Section(section);
                }
            }
        }
        for (const auto& id : order) {
            const Use& use = uses[id];
            const std::wstring& name = id.second;
            const std::string where =
                ToUtf8(id.first) + " " + Q(name) + (use.line ? "" : ", the default,") + " (for " + use.sections + ")";
            if (!orelib::IsSafeSetupFileName(name)) {
                Add(DiagCode::SetupUnsafeName, Severity::Error, use.line,
                    where + (name.empty() ? " is empty" : " is not a plain relative name inside the package") +
                        ": the stub refuses to start it");
                continue;
            }
            if (m_options.package && !m_options.package->HasFile(name) &&
                !m_options.package->HasFile(L"product\\" + name)) {
                Add(DiagCode::SetupMissing, m_options.allowMissingSetup ? Severity::Warning : Severity::Error, use.line,
                    where +
                        " is not in the package (neither at its root nor under product\\): "
                        "the stub would fail to start it",
                    FindingClass::SetupMissing);
            }
            if (orelib::IsShellStartedSetupFile(name)) {
                if (m_options.mayRunElevated) {
                    Add(DiagCode::SetupNotExeOrMsi, Severity::Error, use.line,
                        where +
                            " is neither an .exe, an .msi, a .bat nor a .cmd: with administrator rights "
                            "the stub refuses to start it through file associations the user can "
                            "override (start it from an .exe or .cmd, or build a per-user package "
                            "with --execution-level user)");
                } else {
                    Add(DiagCode::SetupNotExeOrMsi, Severity::Warning, use.line,
                        where +
                            " is neither an .exe, an .msi, a .bat nor a .cmd: the stub starts it "
                            "through the file associations of the user's system");
                }
            }
        }
    }

    // A language section that names one of the two setup programs while the
    // other still comes from [main]: on systems of the other bitness that
    // language runs [main]'s program.
    void CheckBitnessSplit() {
        const ConfigKeyInfo& key32 = *orelib::FindConfigKey(orelib::kKeySetupFileName);
        const ConfigKeyInfo& key64 = *orelib::FindConfigKey(orelib::kKeySetupFileName64);
        std::vector<std::wstring> names;
        m_config.GetSectionNames(names);
        for (const std::wstring& culture : orelib::GetLanguageSectionCultures(names)) {
            const std::wstring section = orelib::LanguageSectionName(culture);
            const EffectiveValue v32 = GetEffectiveValue(m_config, m_lines, section, key32);
            const EffectiveValue v64 = GetEffectiveValue(m_config, m_lines, section, key64);
            const bool own32 = !v32.from.empty() && !EqualsNoCase(v32.from, orelib::kMainSection);
            const bool own64 = !v64.from.empty() && !EqualsNoCase(v64.from, orelib::kMainSection);
            if (own32 && !own64 && !v64.text.empty()) {
                Add(DiagCode::SetupSplitByBitness, Severity::Error, v32.line,
                    Section(section) + " sets SetupFileName " + Q(v32.text) +
                        ", but on 64-bit Windows [main]'s SetupFileName64 " + Q(v64.text) + " (line " +
                        std::to_string(v64.line) + ") wins; give " + Section(section) + " its own SetupFileName64");
            } else if (own64 && !own32 && !v64.text.empty()) {
                Add(DiagCode::SetupSplitByBitness, Severity::Error, v64.line,
                    Section(section) + " sets SetupFileName64 " + Q(v64.text) + ", but on 32-bit Windows it runs " +
                        (v32.line ? "[main]'s" : "the default") + " SetupFileName " + Q(v32.text) + "; give " +
                        Section(section) + " its own SetupFileName");
            }
        }
    }

    const ConfigCheckOptions& m_options;
    orelib::CIniText m_config;
    std::vector<orelib::IniLine> m_lines;
    std::map<std::wstring, size_t, orelib::NoCaseLess> m_firstHeader;
    std::set<std::wstring, orelib::NoCaseLess> m_hasKeys;
    std::map<std::wstring, size_t, orelib::NoCaseLess> m_lastLine;  // "section\nkey" -> line
    std::vector<ConfigFinding> m_findings;
};

}  // namespace

std::vector<ConfigFinding> CheckConfiguration(const std::wstring& text, const ConfigCheckOptions& options) {
    return CChecker(text, options).Run();
}

std::string FormatFinding(const ConfigFinding& finding, const std::string& fileName, bool strict) {
    const bool error = strict || finding.severity == Severity::Error;
    return fileName + (finding.line ? ":" + std::to_string(finding.line) : std::string()) +
           (error ? ": error: " : ": warning: ") + finding.message;
}

size_t NameDistance(const std::wstring& a, const std::wstring& b) {
    const auto same = [](wchar_t x, wchar_t y) {
        return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
    };
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = same(a[i - 1], b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace sfxpack
