# The archive library, built from the fetched source as a static library of
# 7z decoders only. Filled in with the extraction work; until then empty.
set(SFX_ARCHIVE_LIBRARY "")
