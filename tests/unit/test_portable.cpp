// The portable helpers' tests, run again in the stub's own build (16-bit
// wchar_t, the cross compiler's library) under Wine.
#include "tests/native/test_aes.cpp"
