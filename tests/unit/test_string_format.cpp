// Placeholder substitution again in the stub's own build under Wine.
#include "tests/native/test_string_format.cpp"
