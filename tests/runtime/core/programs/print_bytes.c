/* print_bytes <count> [<descriptor>] [<exit status>]
 * Writes <count> bytes of a fixed pattern (byte i is i % 251) to the descriptor (default 1) in
 * pieces of 4,000 bytes, then exits with the status (default 0). */
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

static int write_all(int descriptor, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return 0;
        bytes += written;
        size -= (size_t)written;
    }
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const long count = atol(argv[1]);
    const int descriptor = argc > 2 ? atoi(argv[2]) : 1;
    const int status = argc > 3 ? atoi(argv[3]) : 0;
    unsigned char piece[4000];
    for (long done = 0; done < count;) {
        size_t size = 0;
        for (; size < sizeof piece && done < count; ++size, ++done) {
            piece[size] = (unsigned char)(done % 251);
        }
        if (!write_all(descriptor, piece, size)) return 3;
    }
    return status;
}
