#pragma once
// Call once before using the archive library: it keeps the registrations of
// the coders in the program.
void RequireSevenZipPackerRegistry();
