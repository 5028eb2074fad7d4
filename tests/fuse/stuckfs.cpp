// SPDX-License-Identifier: GPL-3.0-or-later
/* A file system whose reads never answer, like a stalled network share: it lists one
 * picture, "stuck.jpg", holds a file of every other name a link points at (more pictures, a
 * high-score list), answers every question about them, and leaves every read waiting until
 * the reader is interrupted (a reader being killed), as a share mounted to allow that does.
 * Without that, no program could end while its read is sent and unanswered.
 *   stuckfs <mount point>        (stays in the foreground; end it with a signal) */
#define FUSE_USE_VERSION 31
#include <cerrno>
#include <cstring>
#include <fuse.h>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

static const char* kName = "/stuck.jpg";

static int stuck_getattr(const char* path, struct stat* st, struct fuse_file_info* fi)
{
    (void)fi;
    std::memset(st, 0, sizeof *st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (std::strchr(path + 1, '/') == nullptr) {
        st->st_mode = S_IFREG | 0444;
        st->st_nlink = 1;
        st->st_size = 4096;
        return 0;
    }
    return -ENOENT;
}

static int stuck_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                         struct fuse_file_info* fi, enum fuse_readdir_flags flags)
{
    (void)offset;
    (void)fi;
    (void)flags;
    if (std::strcmp(path, "/") != 0)
        return -ENOENT;
    fill(buf, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buf, "..", nullptr, 0, fuse_fill_dir_flags{});
    fill(buf, kName + 1, nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

static int stuck_open(const char* path, struct fuse_file_info* fi)
{
    fi->direct_io = 1; /* every read reaches the file system, none is served from a cache */
    return std::strchr(path + 1, '/') == nullptr ? 0 : -ENOENT;
}

static int stuck_read(const char*, char*, size_t, off_t, struct fuse_file_info*)
{
    while (!fuse_interrupted())
        pause(); /* the share never answers */
    return -EINTR;
}

static void* stuck_init(struct fuse_conn_info*, struct fuse_config* config)
{
    config->intr = 1; /* an interrupted reader wakes the thread that serves it with SIGUSR1 */
    return nullptr;
}

static fuse_operations makeOperations()
{
    fuse_operations ops{};
    ops.getattr = stuck_getattr;
    ops.open = stuck_open;
    ops.read = stuck_read;
    ops.readdir = stuck_readdir;
    ops.init = stuck_init;
    return ops;
}

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    struct sigaction wake {};
    wake.sa_handler = [](int) {}; /* only ends the pause() of the thread serving the read */
    sigaction(SIGUSR1, &wake, nullptr);
    /* Foreground, several threads (a stuck read must not stop the listing), no page cache. */
    static char foreground[] = "-f";
    static char option[] = "-o";
    static char options[] = "auto_unmount";
    char* args[] = {argv[0], foreground, option, options, argv[1], nullptr};
    const fuse_operations operations = makeOperations();
    return fuse_main(5, args, &operations, nullptr);
}
