/* The small package's setup program for bench/run.sh: a minimal GUI program
   (as setup programs are, so that no console is made for it) that records
   when it started (the performance counter, which every process shares) in
   the file BENCH_SETUP_STARTED names, then exits with 0. */
#include <windows.h>

int main(void) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("BENCH_SETUP_STARTED", path, sizeof path);
    if (length == 0 || length >= sizeof path) return 0;
    char digits[24];
    int at = (int)sizeof digits;
    unsigned long long value = (unsigned long long)now.QuadPart;
    do {
        digits[--at] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written;
    WriteFile(file, digits + at, (DWORD)(sizeof digits - at), &written, NULL);
    CloseHandle(file);
    return 0;
}
