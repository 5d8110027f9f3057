/* Prints the console's output code page, which chcp cannot show (it reports
   the input one), after running the command it is given, if any. It outlives
   Ctrl-C, so that it can tell what the command left behind. */
#include <process.h>
#include <stdio.h>
#include <windows.h>
static BOOL WINAPI outlive(DWORD event) {
    (void)event;
    return TRUE;
}
int main(int argc, char **argv) {
    if (argc > 1) {
        SetConsoleCtrlHandler(outlive, TRUE);
        _spawnv(_P_WAIT, argv[1], (const char *const *)argv + 1);
    }
    printf("code page %u\n", GetConsoleOutputCP());
    return 0;
}
