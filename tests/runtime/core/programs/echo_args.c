/* Reports how it was started: its process id, its parent's, its working directory, the
 * descriptors it holds and its arguments, one per line. The report goes to the file named by
 * ECHO_ARGS_REPORT when that is set (written whole under a temporary name, then renamed, so a
 * reader never sees half of it), otherwise to standard output. */
#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void write_descriptors(FILE* out) {
    DIR* folder = opendir("/proc/self/fd");
    if (!folder) return;
    const int own = dirfd(folder);
    const char* separator = "";
    fputs("fds=", out);
    for (struct dirent* entry = readdir(folder); entry; entry = readdir(folder)) {
        if (entry->d_name[0] == '.' || atoi(entry->d_name) == own) continue;
        fprintf(out, "%s%s", separator, entry->d_name);
        separator = ",";
    }
    fputs("\n", out);
    closedir(folder);
}

static void write_report(FILE* out, int argc, char** argv) {
    char directory[PATH_MAX];
    fprintf(out, "pid=%d\nppid=%d\n", (int)getpid(), (int)getppid());
    fprintf(out, "cwd=%s\n", getcwd(directory, sizeof directory) ? directory : "?");
    write_descriptors(out);
    fprintf(out, "argc=%d\n", argc);
    for (int i = 0; i < argc; ++i)
        fprintf(out, "arg=%s\n", argv[i]);
}

int main(int argc, char** argv) {
    const char* report = getenv("ECHO_ARGS_REPORT");
    if (!report) {
        write_report(stdout, argc, argv);
        return 0;
    }
    char temporary[PATH_MAX];
    snprintf(temporary, sizeof temporary, "%s.partial", report);
    FILE* out = fopen(temporary, "w");
    if (!out) return 2;
    write_report(out, argc, argv);
    if (fclose(out) != 0 || rename(temporary, report) != 0) return 2;
    return 0;
}
