#include "orelib/WorkingFolderParent.h"

#include "orelib/NoCaseLess.h"
#include "orelib/Path.h"

namespace orelib {

namespace {

// "C:\..." or "\\server\share...": a temporary folder relative to whatever
// the current folder happens to be is no place for an elevated run.
bool IsAbsoluteFolder(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return true;
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

class CCandidateList {
public:
    void Add(const std::wstring& path, bool usersOwn) {
        if (!IsAbsoluteFolder(path)) return;
        const std::wstring key = WithoutTrailingSeparators(path);
        for (const CParentCandidate& known : m_list) {
            if (EqualsNoCase(WithoutTrailingSeparators(known.path), key)) return;
        }
        m_list.push_back({path, usersOwn});
    }
    std::vector<CParentCandidate> Take() { return std::move(m_list); }

private:
    std::vector<CParentCandidate> m_list;
};

}  // namespace

bool ExpandVariables(const std::wstring& text, const std::vector<CVariable>& variables, std::wstring* expanded) {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(L'%', at);
        if (open == std::wstring::npos) break;
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) return false;
        out.append(text, at, open - at);
        if (close == open + 1) {
            out += L"%%";
        } else {
            const std::wstring name = text.substr(open + 1, close - open - 1);
            const CVariable* found = nullptr;
            for (const CVariable& variable : variables) {
                if (EqualsNoCase(name, variable.name)) found = &variable;
            }
            if (!found) return false;
            out += found->value;
        }
        at = close + 1;
    }
    out.append(text, at, std::wstring::npos);
    *expanded = std::move(out);
    return true;
}

std::vector<CParentCandidate> WorkingFolderParents(const CTempFolderFacts& facts) {
    CCandidateList list;
    if (!facts.elevated && !facts.isSystem) {
        list.Add(facts.userTemp, true);
        return list.Take();
    }
    const std::wstring windowsDir = WithoutTrailingSeparators(facts.windowsDir);
    const bool haveWindows = IsAbsoluteFolder(windowsDir);
    // The system's own variables, from the system's Windows folder.
    std::vector<CVariable> systemVariables;
    if (haveWindows) {
        systemVariables = {{L"SystemRoot", windowsDir}, {L"windir", windowsDir}};
        if (windowsDir[1] == L':') systemVariables.push_back({L"SystemDrive", windowsDir.substr(0, 2)});
    }
    if (facts.isSystem && haveWindows) list.Add(CombinePath(windowsDir, L"SystemTemp"), false);
    for (const std::wstring* machine : {&facts.machineTmp, &facts.machineTemp}) {
        std::wstring expanded;
        if (ExpandVariables(*machine, systemVariables, &expanded)) list.Add(expanded, false);
    }
    if (haveWindows) list.Add(CombinePath(windowsDir, L"Temp"), false);
    return list.Take();
}

}  // namespace orelib
