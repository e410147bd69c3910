/* A child program written in C that reports through the header: progress PERCENT to HANDLE. */
#include "platform/os/UpdateNotify.h"

#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    return updateNotifyProgress((uint32_t)strtoul(argv[1], NULL, 10),
                                (int32_t)strtol(argv[2], NULL, 10)) == 0
               ? 0
               : 1;
}
