# Native build: the packager, the native tests and the fuzzers.

include(cmake/Packager.cmake)
