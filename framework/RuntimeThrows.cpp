// The C++ library's throw helpers, our own. The library keeps all of them in
// one object together with every standard exception class, and those classes
// bring the old reference-counted std::string with them: about 50 KB of the
// stub for messages nobody reads. Nothing here catches the standard classes
// by type; the extraction thread maps std::bad_alloc to "out of memory" and
// anything else to "unexpected".
#include <bits/functexcept.h>

#include <exception>
#include <new>

namespace {

// A misuse of a standard container or string (a position past the end, a
// null pointer for a string): a fault of this program. The text is the
// library's own message, its format left unexpanded.
class CLibraryMisuse final : public std::exception {
public:
    explicit CLibraryMisuse(const char* text) noexcept : m_text(text ? text : "") {}
    const char* what() const noexcept override { return m_text; }

private:
    const char* m_text;
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }

void __throw_bad_array_new_length() { throw bad_array_new_length(); }

// A length beyond max_size() is a request that no allocation can meet.
void __throw_length_error(const char*) { throw bad_alloc(); }

void __throw_logic_error(const char* text) { throw CLibraryMisuse(text); }

void __throw_out_of_range_fmt(const char* format, ...) { throw CLibraryMisuse(format); }

}  // namespace std
