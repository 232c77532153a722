// Number texts again in the stub's own build, against the cross compiler's printf.
#include "tests/native/test_number_text.cpp"
