# The stub is made by clang and lld (cmake/toolchain-i686-mingw32-clang.cmake)
# in a build tree of its own, below this one: a tree has one C++ compiler,
# and this one's is GCC. The tests, the test tools and the Windows packager
# stay with GCC because they use GCC's C++ library beyond the few parts the
# stub takes (GoogleTest's streams among them), and code built by clang must
# not share functions with that library (cmake/StubCode.cmake says why).
# They test the stub's code built by GCC from the same sources; the
# end-to-end tests run the stub itself.
include(ExternalProject)
set(SFX_STUB_TREE_DIR ${CMAKE_BINARY_DIR}/stub)
ExternalProject_Add(sfxstub_tree
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${SFX_STUB_TREE_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-i686-mingw32-clang.cmake
             -DCMAKE_BUILD_TYPE=MinSizeRel -DSFX_STUB_TREE=ON
             -DSFX_DEPS_DIR=${SFX_DEPS_DIR} -DSFX_DIST_DIR=${SFX_DIST_DIR}
             -DSFX_ALLOW_UNPINNED_TOOLCHAIN=${SFX_ALLOW_UNPINNED_TOOLCHAIN}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${SFX_STUB_TREE_DIR}/sfxstub.exe ${SFX_STUB_TREE_DIR}/sfxstub.map)

add_executable(sfxstub IMPORTED GLOBAL)
set_target_properties(sfxstub PROPERTIES IMPORTED_LOCATION ${SFX_STUB_TREE_DIR}/sfxstub.exe)
add_dependencies(sfxstub sfxstub_tree)
