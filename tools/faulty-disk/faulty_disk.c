// faulty-disk: a FUSE file system that mirrors a folder, read only, and can
// make its files fail, vanish, read slowly, or sit on one seeking disk head.
// For the tests and benches; tools/faulty-disk/README.md tells how to use it.
//
// Files are opened with direct_io, so the kernel's page cache and
// read-ahead never answer a read: each read the reader makes reaches the
// rules below (the kernel only cuts large ones into requests of at most
// 1 MiB, consecutive within a file). --cached puts them back in front, as
// Linux programs read a real disk.
#define FUSE_USE_VERSION 312
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <mntent.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#define OWNER_NAME "/.faulty-disk-owner"
#define STATS_NAME "/.faulty-disk-stats"
#define FS_TYPE "fuse.faulty-disk"
#define MAX_RULES 256
#define EXIT_UNAVAILABLE 2

struct rule {
  char path[PATH_MAX];  // "/name" inside the mirror, or "*" for every file
  int64_t fail_at;      // EIO for a read reaching this offset; -1: none
  int64_t vanish_after; // gone once a read would pass this many bytes; -1: none
  int vanish_errno;
  int slow_ms;
  _Atomic int64_t served;
  _Atomic int vanished;
};

static struct {
  char source[PATH_MAX];
  struct rule rules[MAX_RULES];
  int rule_count;
  int seek;  // one head for all files
  double bytes_per_second;
  double seek_seconds;
  int owner;  // ends when the owner file's last handle closes
  int lifetime_s;
  int trace;  // every read in the log
  int cached; // the kernel's page cache and read-ahead in front of the rules
  FILE *log;
  // The head: who read last, where that read ended, when it is free again.
  pthread_mutex_t head_lock;
  uint64_t head_file;
  int64_t head_end;
  double head_free_at;
  double head_seconds;  // the head's modelled busy time, all reads together
  _Atomic long long reads, seeks, bytes;
  _Atomic int owner_handles;
  _Atomic int owner_seen;
} disk = {.bytes_per_second = 150e6, .seek_seconds = 0.008, .lifetime_s = 3600,
          .head_lock = PTHREAD_MUTEX_INITIALIZER, .head_end = -1};

static void say(const char *format, ...) {
  if (disk.log == NULL) return;
  va_list args;
  va_start(args, format);
  vfprintf(disk.log, format, args);
  va_end(args);
  fputc('\n', disk.log);
  fflush(disk.log);
}

static double now_seconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void sleep_seconds(double seconds) {
  if (seconds <= 0) return;
  struct timespec t = {(time_t)seconds, (long)((seconds - (double)(time_t)seconds) * 1e9)};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

static struct rule *named_rule(const char *path) {
  for (int i = 0; i < disk.rule_count; ++i)
    if (strcmp(disk.rules[i].path, path) == 0) return &disk.rules[i];
  return NULL;
}

// A file's own rule, else the one for every file.
static struct rule *rule_of(const char *path) {
  struct rule *rule = named_rule(path);
  return rule != NULL ? rule : named_rule("*");
}

// A file's own delay, else the one for every file: "slow *" slows the
// files that fail by rules of their own too.
static int slow_ms_of(const struct rule *rule) {
  if (rule != NULL && rule->slow_ms > 0) return rule->slow_ms;
  const struct rule *every = named_rule("*");
  return every != NULL ? every->slow_ms : 0;
}

static int is_gone(const char *path) {
  const struct rule *rule = rule_of(path);
  return rule != NULL && rule->vanish_after >= 0 && atomic_load(&rule->vanished);
}

static void source_path(char *out, const char *path) {
  snprintf(out, PATH_MAX, "%s%s", disk.source, path);
}

// The stats file's text, made afresh for every read.
static int stats_text(char *out, size_t capacity) {
  pthread_mutex_lock(&disk.head_lock);
  const double head_seconds = disk.head_seconds;
  pthread_mutex_unlock(&disk.head_lock);
  size_t length = (size_t)snprintf(out, capacity, "reads=%lld seeks=%lld bytes=%lld head_ms=%.0f\n",
                                   atomic_load(&disk.reads), atomic_load(&disk.seeks),
                                   atomic_load(&disk.bytes), head_seconds * 1000);
  for (int i = 0; i < disk.rule_count && length < capacity; ++i)
    length += (size_t)snprintf(out + length, capacity - length, "served %s %lld\n", disk.rules[i].path,
                               (long long)atomic_load(&disk.rules[i].served));
  return length < capacity ? (int)length : (int)capacity - 1;
}

static int fs_getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
  (void)fi;
  memset(st, 0, sizeof *st);
  if (strcmp(path, OWNER_NAME) == 0 || strcmp(path, STATS_NAME) == 0) {
    st->st_mode = S_IFREG | 0444;
    st->st_nlink = 1;
    st->st_size = strcmp(path, STATS_NAME) == 0 ? 16384 : 0;
    return 0;
  }
  if (is_gone(path)) return -ENOENT;
  char real[PATH_MAX];
  source_path(real, path);
  if (lstat(real, st) != 0) return -errno;
  st->st_mode &= ~0222;  // read only
  return 0;
}

static int fs_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags) {
  (void)offset, (void)fi, (void)flags;
  char real[PATH_MAX];
  source_path(real, path);
  DIR *dir = opendir(real);
  if (dir == NULL) return -errno;
  for (struct dirent *entry; (entry = readdir(dir)) != NULL;) {
    char inner[PATH_MAX];
    snprintf(inner, sizeof inner, "%s/%s", strcmp(path, "/") == 0 ? "" : path, entry->d_name);
    if (is_gone(inner)) continue;
    fill(buf, entry->d_name, NULL, 0, 0);
  }
  closedir(dir);
  return 0;
}

static int fs_open(const char *path, struct fuse_file_info *fi) {
  if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  fi->direct_io = !disk.cached;  // every read reaches the rules as the reader made it
  fi->keep_cache = 0;            // cached: what an earlier open read is read again
  if (strcmp(path, OWNER_NAME) == 0) {
    if (disk.owner) {
      atomic_fetch_add(&disk.owner_handles, 1);
      atomic_store(&disk.owner_seen, 1);
    }
    fi->fh = (uint64_t)-1;
    return 0;
  }
  if (strcmp(path, STATS_NAME) == 0) {
    fi->fh = (uint64_t)-1;
    return 0;
  }
  if (is_gone(path)) return -ENOENT;
  char real[PATH_MAX];
  source_path(real, path);
  const int fd = open(real, O_RDONLY);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}

static int fs_release(const char *path, struct fuse_file_info *fi) {
  if (fi->fh != (uint64_t)-1) close((int)fi->fh);
  if (strcmp(path, OWNER_NAME) == 0 && disk.owner && atomic_fetch_sub(&disk.owner_handles, 1) == 1) {
    say("the owner closed its handle: unmounting");
    fuse_exit(fuse_get_context()->fuse);
  }
  return 0;
}

// The modelled head serves reads one after another in the order they come:
// a read waits for the head, costs its bytes at the sequential rate, and a
// seek first unless it starts where the head's last read ended.
// When the head is done with this read.
static double book_head(uint64_t file, int64_t offset, size_t size) {
  pthread_mutex_lock(&disk.head_lock);
  double cost = (double)size / disk.bytes_per_second;
  if (file != disk.head_file || offset != disk.head_end) {
    cost += disk.seek_seconds;
    atomic_fetch_add(&disk.seeks, 1);
  }
  const double start = disk.head_free_at > now_seconds() ? disk.head_free_at : now_seconds();
  disk.head_free_at = start + cost;
  disk.head_seconds += cost;
  disk.head_file = file;
  disk.head_end = offset + (int64_t)size;
  const double done_at = disk.head_free_at;
  pthread_mutex_unlock(&disk.head_lock);
  return done_at;
}

static int fs_read(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
  if (fi->fh == (uint64_t)-1) {
    if (strcmp(path, STATS_NAME) != 0) return 0;
    char text[16384];
    const int length = stats_text(text, sizeof text);
    if (offset >= length) return 0;
    const size_t part = size < (size_t)(length - offset) ? size : (size_t)(length - offset);
    memcpy(buf, text + offset, part);
    return (int)part;
  }
  struct rule *rule = rule_of(path);
  sleep_seconds(slow_ms_of(rule) / 1000.0);
  atomic_fetch_add(&disk.reads, 1);
  if (disk.trace) say("read %s %lld+%zu", path, (long long)offset, size);
  if (rule != NULL && rule->fail_at >= 0 && offset + (int64_t)size > rule->fail_at) return -EIO;
  if (rule != NULL && rule->vanish_after >= 0) {
    if (atomic_load(&rule->vanished)) return -rule->vanish_errno;
    if (atomic_load(&rule->served) + (int64_t)size > rule->vanish_after) {
      atomic_store(&rule->vanished, 1);
      say("%s vanished after %lld bytes", path, (long long)atomic_load(&rule->served));
      return -rule->vanish_errno;
    }
  }
  const ssize_t got = pread((int)fi->fh, buf, size, offset);
  if (got < 0) return -errno;
  // The head moves the bytes there are; the real read above took place
  // within the time it is modelled to take.
  if (disk.seek) sleep_seconds(book_head(fi->fh, offset, (size_t)got) - now_seconds());
  if (rule != NULL) atomic_fetch_add(&rule->served, got);
  atomic_fetch_add(&disk.bytes, got);
  return (int)got;
}

static int fs_statfs(const char *path, struct statvfs *st) {
  (void)path;
  return statvfs(disk.source, st) == 0 ? 0 : -errno;
}

static void *fs_init(struct fuse_conn_info *conn, struct fuse_config *cfg) {
  (void)conn;
  // Names and sizes are asked afresh each time: a vanished file is gone at once.
  cfg->entry_timeout = 0;
  cfg->attr_timeout = 0;
  cfg->negative_timeout = 0;
  cfg->direct_io = !disk.cached;
  return NULL;
}

static const struct fuse_operations operations = {
    .getattr = fs_getattr,
    .readdir = fs_readdir,
    .open = fs_open,
    .release = fs_release,
    .read = fs_read,
    .statfs = fs_statfs,
    .init = fs_init,
};

// ---- set-up

static int parse_rule(char *line) {
  char verb[16], path[PATH_MAX], extra[16] = "";
  long long value = 0;
  const int fields = sscanf(line, "%15s %4095s %lld %15s", verb, path, &value, extra);
  if (fields <= 0 || verb[0] == '#') return 0;
  if (strcmp(verb, "seek") == 0) {
    disk.seek = 1;
    return 0;
  }
  if (fields < 3 || disk.rule_count == MAX_RULES) return -1;
  struct rule *rule = named_rule(path);
  if (rule == NULL) {
    rule = &disk.rules[disk.rule_count++];
    snprintf(rule->path, sizeof rule->path, "%s", path);
    rule->fail_at = rule->vanish_after = -1;
    rule->vanish_errno = ENOENT;
  }
  if (strcmp(verb, "fail") == 0) {
    rule->fail_at = value;
  } else if (strcmp(verb, "vanish") == 0) {
    rule->vanish_after = value;
    if (strcmp(extra, "eio") == 0) rule->vanish_errno = EIO;
  } else if (strcmp(verb, "slow") == 0) {
    rule->slow_ms = (int)value;
  } else {
    return -1;
  }
  return 0;
}

static int read_rules(const char *file) {
  FILE *in = fopen(file, "r");
  if (in == NULL) return -1;
  char line[PATH_MAX + 64];
  int result = 0;
  while (result == 0 && fgets(line, sizeof line, in) != NULL) result = parse_rule(line);
  fclose(in);
  return result;
}

// Mounts of this file system under `root` whose daemon is gone (the kernel
// answers ENOTCONN): left by a run that was killed. Detached.
static int clean_stale(const char *root) {
  FILE *mounts = setmntent("/proc/self/mounts", "r");
  if (mounts == NULL) return 1;
  const size_t length = strlen(root);
  for (struct mntent *m; (m = getmntent(mounts)) != NULL;) {
    if (strcmp(m->mnt_type, FS_TYPE) != 0 || strncmp(m->mnt_dir, root, length) != 0) continue;
    struct stat st;
    if (stat(m->mnt_dir, &st) == 0 || errno != ENOTCONN) continue;
    printf("faulty-disk: detaching the stale mount %s: %s\n", m->mnt_dir,
           umount2(m->mnt_dir, MNT_DETACH) == 0 ? "done" : strerror(errno));
  }
  endmntent(mounts);
  return 0;
}

static void write_status(const char *file, const char *text) {
  if (file == NULL) return;
  char temporary[PATH_MAX];
  snprintf(temporary, sizeof temporary, "%s.tmp", file);
  FILE *out = fopen(temporary, "w");
  if (out == NULL) return;
  fprintf(out, "%s\n", text);
  fclose(out);
  rename(temporary, file);  // whole or not at all for whoever waits for it
}

// Ends a daemon whose owner never came or that outlived its time.
static void *watchdog(void *unused) {
  (void)unused;
  const double start = now_seconds();
  for (;;) {
    sleep_seconds(1);
    const double age = now_seconds() - start;
    const int ownerless = disk.owner && !atomic_load(&disk.owner_seen) && age > 60;
    if (ownerless || (disk.lifetime_s > 0 && age > disk.lifetime_s)) {
      say(ownerless ? "no owner came within 60 s: unmounting" : "lifetime over: unmounting");
      kill(getpid(), SIGTERM);
      return NULL;
    }
  }
}

static int usage(void) {
  fprintf(stderr,
          "usage: faulty-disk [--rules FILE] [--seek] [--owner] [--lifetime S] [--status FILE]\n"
          "                   [--log FILE] [--trace] [--cached] SOURCE MOUNTPOINT\n"
          "       faulty-disk --clean ROOT [...]  (first detaches dead mounts under ROOT)\n");
  return 1;
}

int main(int argc, char **argv) {
  const char *status = NULL, *mountpoint = NULL, *source = NULL, *clean = NULL;
  for (int i = 1; i < argc; ++i) {
    const char *a = argv[i];
    const int more = i + 1 < argc;
    if (strcmp(a, "--clean") == 0 && more) {
      clean = argv[++i];
    } else if (strcmp(a, "--rules") == 0 && more) {
      if (read_rules(argv[++i]) != 0) return fprintf(stderr, "faulty-disk: bad rules %s\n", argv[i]), 1;
    } else if (strcmp(a, "--status") == 0 && more) {
      status = argv[++i];
    } else if (strcmp(a, "--log") == 0 && more) {
      disk.log = fopen(argv[++i], "a");
    } else if (strcmp(a, "--lifetime") == 0 && more) {
      disk.lifetime_s = atoi(argv[++i]);
    } else if (strcmp(a, "--seek") == 0) {
      disk.seek = 1;
    } else if (strcmp(a, "--cached") == 0) {
      disk.cached = 1;
    } else if (strcmp(a, "--trace") == 0) {
      disk.trace = 1;
    } else if (strcmp(a, "--owner") == 0) {
      disk.owner = 1;
    } else if (source == NULL) {
      source = a;
    } else if (mountpoint == NULL) {
      mountpoint = a;
    } else {
      return usage();
    }
  }
  if (clean != NULL) clean_stale(clean);
  if (clean != NULL && source == NULL) return 0;
  if (source == NULL || mountpoint == NULL || realpath(source, disk.source) == NULL) return usage();
  if (disk.log == NULL) disk.log = stderr;

  const int probe = open("/dev/fuse", O_RDWR);
  if (probe < 0) {
    char reason[PATH_MAX];
    snprintf(reason, sizeof reason, "unavailable: /dev/fuse: %s", strerror(errno));
    say("%s", reason);
    write_status(status, reason);
    return EXIT_UNAVAILABLE;
  }
  close(probe);

  // auto_unmount: fusermount3 stays behind and unmounts even if this
  // process is killed; without it a signal or the owner still unmounts.
  const int watched = access("/usr/bin/fusermount3", X_OK) == 0;
  char *fuse_argv[] = {argv[0], "-o", watched ? "ro,fsname=faulty-disk,subtype=faulty-disk,auto_unmount"
                                               : "ro,fsname=faulty-disk,subtype=faulty-disk",
                       NULL};
  struct fuse_args args = FUSE_ARGS_INIT(3, fuse_argv);
  struct fuse *fuse = fuse_new(&args, &operations, sizeof operations, NULL);
  if (fuse == NULL || fuse_mount(fuse, mountpoint) != 0) {
    say("unavailable: cannot mount %s", mountpoint);
    write_status(status, "unavailable: the mount was refused");
    return EXIT_UNAVAILABLE;
  }
  struct fuse_session *session = fuse_get_session(fuse);
  fuse_set_signal_handlers(session);
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &old);  // the watchdog takes no signal
  pthread_t dog;
  pthread_create(&dog, NULL, watchdog, NULL);
  pthread_detach(dog);
  pthread_sigmask(SIG_SETMASK, &old, NULL);
  say("mounted %s on %s%s%s", disk.source, mountpoint, disk.seek ? ", one seeking head" : "",
      watched ? ", auto_unmount" : "");
  write_status(status, "ready");

  struct fuse_loop_config *loop = fuse_loop_cfg_create();
  fuse_loop_cfg_set_max_threads(loop, 16);
  const int result = fuse_loop_mt(fuse, loop);
  fuse_loop_cfg_destroy(loop);
  fuse_remove_signal_handlers(session);
  fuse_unmount(fuse);
  fuse_destroy(fuse);
  say("unmounted %s (reads=%lld seeks=%lld bytes=%lld)", mountpoint, atomic_load(&disk.reads),
      atomic_load(&disk.seeks), atomic_load(&disk.bytes));
  write_status(status, "ended");
  return result < 0 ? 1 : 0;  // a signal's number is no failure
}
