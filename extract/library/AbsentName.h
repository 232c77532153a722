#pragma once
// The quick answer for the extract callback's check before it makes a file.
// That check asks FindFirstFile, which under Wine reads the whole folder when
// the name is absent, the usual case in a fresh folder: a third of the time
// spent making the files of a folder of 500. One attribute query of the name
// answers that case with one lookup; the stub's copy of the callback asks it
// first and takes its own path only when this is not true.
//
// True only when the system says there is no such file or path. Anything
// else (a file or folder there, access denied, a sharing violation, a bad
// name) leaves the answer to the callback's own check.
bool NameIsSurelyAbsent(const wchar_t* path);
