#pragma once
// Moves the test process into a network namespace of its own in which only
// the loopback interface exists, up: a server that binds every address can
// then be reached by this process and its children alone. Linux only; call
// it first thing in main, while the process still has one thread (a user
// namespace needs that). Returns why it could not, empty when it did.
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace loopback_namespace_detail {
inline bool writeFile(const char* path, const QByteArray& text) {
    FILE* f = std::fopen(path, "w");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.constData(), 1, size_t(text.size()), f) == size_t(text.size());
    return std::fclose(f) == 0 && ok;
}
} // namespace loopback_namespace_detail

inline QString enterLoopbackNamespace() {
    using loopback_namespace_detail::writeFile;
    if (unshare(CLONE_NEWNET) != 0) {
        // Without the privilege, a user namespace of our own may grant it;
        // our user and group keep their numbers inside it.
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
            return QStringLiteral("no network namespace allowed here (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        writeFile("/proc/self/setgroups", "deny");
        if (!writeFile("/proc/self/uid_map",
                       QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1") ||
            !writeFile("/proc/self/gid_map",
                       QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1"))
            return QStringLiteral("the user namespace could not map our user");
    }
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &ifr) == 0 &&
                    (ifr.ifr_flags |= IFF_UP, ioctl(fd, SIOCSIFFLAGS, &ifr) == 0);
    if (fd >= 0)
        close(fd);
    return up ? QString() : QStringLiteral("the loopback interface could not be brought up");
}
