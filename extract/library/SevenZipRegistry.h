#pragma once
// Calling this anywhere in the program links the registrations of the 7z
// format and its decoders and the preparation of the CRC table (they happen
// before main, not in this call).
void RequireSevenZipRegistry();
