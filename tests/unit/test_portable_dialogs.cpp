// The dialog look's portable helpers, tested again in the stub's own build
// (16-bit wchar_t, the cross compiler's library) under Wine.
#include "tests/native/test_vista_colors.cpp"
#include "tests/native/test_percent_format.cpp"
#include "tests/native/test_dialog_template.cpp"
