/* exit_with <status> [after-input]
 * Exits with <status>, or is killed by SIGKILL when <status> is "signal". With "after-input" it
 * first reads standard input to its end, so the caller decides when it ends. */
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (argc > 2 && strcmp(argv[2], "after-input") == 0) {
        char buffer[256];
        while (read(0, buffer, sizeof buffer) > 0) {
        }
    }
    if (strcmp(argv[1], "signal") == 0) raise(SIGKILL);
    return atoi(argv[1]);
}
