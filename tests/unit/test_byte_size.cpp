// The size formatting tests again in the stub's own build (16-bit wchar_t,
// the cross compiler's printf) under Wine.
#include "tests/native/test_byte_size.cpp"
