/*
 * Reports of a sibling program to the update program that started it, for programs written in
 * C or C++. The update program passes its window handle on the child's command line
 * (WNDHANDLE=<number>, or wherever the update configuration puts <HANDLE>); the child sends
 * these reports to that number:
 *
 *   updateNotifyProgress(handle, percent)  0x402: percent of the child's own work done
 *   updateNotifyDone(handle, code)         0x403: the settings element succeeded (0) or failed
 *   updateNotifyError(handle, text)        0x404: an error text (at most 254 characters kept)
 *   updateNotifyText(handle, text)         0x4A:  an error of the transfer, or the status text
 *                                                 of the settings update (at most 64 KiB)
 *
 * Each returns 0, or -1 with errno set. Texts are UTF-8. The reports travel as datagrams over
 * the Unix socket update-<handle>.sock in the user's private runtime folder ($XDG_RUNTIME_DIR
 * when it is an absolute folder of the user, else ${TMPDIR:-/tmp}/korvel-<uid>). A datagram is
 * the message number (uint32, little endian), the value (int32, little endian) and, for 0x404
 * and 0x4A, the text (up to an optional zero byte). The update program reads its socket only
 * while it processes pending messages, at least every 500 ms while a child runs; a sender
 * whose reports are not read yet waits until there is room for them.
 *
 * The header needs nothing but the C library: every function is static inline. It uses POSIX
 * and Linux calls (lstat, SOCK_CLOEXEC, MSG_NOSIGNAL): a program built with a strict -std=c99
 * or the like includes it first or defines _DEFAULT_SOURCE itself.
 */
#ifndef KORVEL_UPDATE_NOTIFY_H
#define KORVEL_UPDATE_NOTIFY_H

#if !defined(_DEFAULT_SOURCE) && !defined(_GNU_SOURCE)
#define _DEFAULT_SOURCE 1
#endif

#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

enum {
    kUpdateNotifyProgress = 0x402,       /* WM_USER + 2 */
    kUpdateNotifyElementOutcome = 0x403, /* WM_USER + 3 */
    kUpdateNotifyErrorText = 0x404,      /* WM_USER + 4 */
    kUpdateNotifyCopyData = 0x4A,        /* WM_COPYDATA */
    kUpdateNotifyHeaderSize = 8,
    kUpdateNotifyTextLimit = 65536 /* bytes of text a datagram carries */
};

/* The eight header bytes of a datagram. */
static inline void updateNotifyPutHeader(unsigned char* out, uint32_t message, int32_t value) {
    const uint32_t bits = (uint32_t)value;
    int i;
    for (i = 0; i < 4; ++i) {
        out[i] = (unsigned char)((message >> (8 * i)) & 0xFFu);
        out[4 + i] = (unsigned char)((bits >> (8 * i)) & 0xFFu);
    }
}

/* The number of bytes of text to send: up to the limit, not cutting a UTF-8 character. */
static inline size_t updateNotifyTextLength(const char* text) {
    size_t length = strlen(text);
    size_t lead;
    if (length <= kUpdateNotifyTextLimit) {
        return length;
    }
    length = kUpdateNotifyTextLimit;
    lead = length;
    while (lead > 0 && length - lead < 4 && ((unsigned char)text[lead - 1] & 0xC0u) == 0x80u) {
        --lead;
    }
    if (lead > 0 && ((unsigned char)text[lead - 1] & 0xC0u) == 0xC0u) {
        return lead - 1; /* the character at lead - 1 would not be complete */
    }
    return length;
}

/* The path of the socket of a handle, written to path (size bytes). 0, or -1 with errno set:
 * ENAMETOOLONG, or EPERM when the runtime folder is not a private folder of the user. */
static inline int updateNotifySocketPath(uint32_t handle, char* path, size_t size) {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    const char* temp = getenv("TMPDIR");
    struct stat st;
    size_t length;
    int written;
    if (runtime != NULL && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == geteuid()) {
        written = snprintf(path, size, "%s", runtime);
    } else {
        if (temp == NULL || temp[0] != '/') {
            temp = "/tmp";
        }
        length = strlen(temp);
        while (length > 0 && temp[length - 1] == '/') {
            --length;
        }
        written =
            snprintf(path, size, "%.*s/korvel-%lu", (int)length, temp, (unsigned long)geteuid());
        if (written >= 0 && (size_t)written < size) {
            if (lstat(path, &st) != 0) {
                return -1;
            }
            if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 022) != 0) {
                errno = EPERM;
                return -1;
            }
        }
    }
    if (written < 0 || (size_t)written >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    length = (size_t)written;
    while (length > 1 && path[length - 1] == '/') {
        --length;
    }
    written = snprintf(path + length, size - length, "/update-%lu.sock", (unsigned long)handle);
    if (written < 0 || (size_t)written >= size - length) {
        errno = ENAMETOOLONG;
        return -1;
    }
    return 0;
}

/* Sends one datagram: the header and, when text is not NULL, the text. */
static inline int updateNotifySend(uint32_t handle, uint32_t message, int32_t value,
                                   const char* text) {
    struct sockaddr_un address;
    unsigned char header[kUpdateNotifyHeaderSize];
    struct iovec parts[2];
    struct msghdr datagram;
    int fd;
    int result;
    int saved;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (updateNotifySocketPath(handle, address.sun_path, sizeof address.sun_path) != 0) {
        return -1;
    }
    updateNotifyPutHeader(header, message, value);
    parts[0].iov_base = header;
    parts[0].iov_len = sizeof header;
    parts[1].iov_base = (void*)text;
    parts[1].iov_len = text != NULL ? updateNotifyTextLength(text) : 0;
    memset(&datagram, 0, sizeof datagram);
    datagram.msg_name = &address;
    datagram.msg_namelen = (socklen_t)sizeof address;
    datagram.msg_iov = parts;
    datagram.msg_iovlen = text != NULL ? 2 : 1;
    fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    do {
        result = (int)sendmsg(fd, &datagram, MSG_NOSIGNAL);
    } while (result < 0 && errno == EINTR);
    saved = errno;
    close(fd);
    errno = saved;
    return result < 0 ? -1 : 0;
}

static inline int updateNotifyProgress(uint32_t handle, int32_t percent) {
    return updateNotifySend(handle, kUpdateNotifyProgress, percent, NULL);
}

static inline int updateNotifyDone(uint32_t handle, int32_t code) {
    return updateNotifySend(handle, kUpdateNotifyElementOutcome, code, NULL);
}

static inline int updateNotifyError(uint32_t handle, const char* text) {
    return updateNotifySend(handle, kUpdateNotifyErrorText, 0, text != NULL ? text : "");
}

static inline int updateNotifyText(uint32_t handle, const char* text) {
    return updateNotifySend(handle, kUpdateNotifyCopyData, 0, text != NULL ? text : "");
}

#endif /* KORVEL_UPDATE_NOTIFY_H */
