// The portable helpers' tests, run again in the stub's own build (16-bit
// wchar_t, the cross compiler's library) under Wine.
#include "tests/native/test_aes.cpp"
#include "tests/native/test_path_text.cpp"
#include "tests/native/test_utf8.cpp"
#include "tests/native/test_ini_text.cpp"
#include "tests/native/test_config_block.cpp"
