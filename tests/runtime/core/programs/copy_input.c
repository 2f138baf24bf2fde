/* Copies standard input to standard output until the input ends. Exits with 3 when reading
 * fails (as it would on a non-blocking input with nothing in it yet) and 4 when writing fails. */
#include <errno.h>
#include <unistd.h>

int main(void) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(0, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return 3;
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = write(1, buffer + done, (size_t)(got - done));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return 4;
            done += written;
        }
    }
}
