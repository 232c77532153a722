// A planted uxtheme.dll: marks that it was loaded (see PlantMarker.h).
#include "PlantMarker.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) WritePlantMarker(self);
    return TRUE;
}
