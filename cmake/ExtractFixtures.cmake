# Archives and setup-like files for the extraction tests, made at build time by
# the host's 7-Zip command line tool. The unit tests find them in the folder
# "fixtures" beside their own executable.
set(EXTRACT_FIXTURES_DIR ${CMAKE_CURRENT_BINARY_DIR}/fixtures)
set(EXTRACT_FIXTURES_SCRIPT ${CMAKE_SOURCE_DIR}/tests/fixtures/make-extract-fixtures.sh)
add_custom_command(
  OUTPUT ${EXTRACT_FIXTURES_DIR}/setup_lzma2.exe
  COMMAND bash ${EXTRACT_FIXTURES_SCRIPT} ${EXTRACT_FIXTURES_DIR} $<TARGET_FILE:sfxstub>
  DEPENDS ${EXTRACT_FIXTURES_SCRIPT} sfxstub
  COMMENT "Making the extraction test archives with 7zz"
  VERBATIM)
add_custom_target(extract_fixtures ALL DEPENDS ${EXTRACT_FIXTURES_DIR}/setup_lzma2.exe)
