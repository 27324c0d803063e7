#include "shared/database/instance_port.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>

#include <algorithm>

#ifndef Q_OS_WIN
#include <cerrno>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace database {

#ifndef Q_OS_WIN
namespace {

// The answer lists "key;value;" pairs per instance: ServerName, InstanceName, IsClustered,
// Version, tcp, np, ...; an instance ends with ";;".
int port_in_answer(const QByteArray& answer, const QString& instance) {
    // 0x05, then the length of the text in two bytes (little endian).
    if (answer.size() < 3 || static_cast<unsigned char>(answer[0]) != 0x05)
        return 0;
    const QString text = QString::fromLatin1(answer.mid(3));
    for (const QString& entry : text.split(QStringLiteral(";;"))) {
        const QStringList fields = entry.split(u';');
        QString name;
        QString port;
        for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
            if (fields[i].compare(u"InstanceName", Qt::CaseInsensitive) == 0)
                name = fields[i + 1];
            else if (fields[i].compare(u"tcp", Qt::CaseInsensitive) == 0)
                port = fields[i + 1];
        }
        if (name.compare(instance, Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const int number = port.toInt(&ok);
        return ok && number > 0 && number < 65536 ? number : 0;
    }
    return 0;
}

} // namespace
#endif

int instance_port(const QString& host, const QString& instance, int wait_ms, QString& failure,
                  int service_port) {
    const QString no_answer =
        QStringLiteral("The server %1 does not name the port of its instance %2: no answer from "
                       "its browser service (UDP port %3). Give the port in the connection "
                       "string (host,port).")
            .arg(host, instance)
            .arg(service_port);
#ifdef Q_OS_WIN
    Q_UNUSED(wait_ms);
    failure = no_answer;
    return 0;
#else
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* addresses = nullptr;
    const QByteArray service = QByteArray::number(service_port);
    if (::getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &addresses) != 0 ||
        !addresses) {
        failure = QStringLiteral("The server name %1 is not known.").arg(host);
        return 0;
    }
    const int socket = ::socket(addresses->ai_family, addresses->ai_socktype | SOCK_CLOEXEC,
                                addresses->ai_protocol);
    // Connected, so a host without the service answers at once (port unreachable).
    const bool connected =
        socket >= 0 && ::connect(socket, addresses->ai_addr, addresses->ai_addrlen) == 0;
    ::freeaddrinfo(addresses);
    if (!connected) {
        if (socket >= 0)
            ::close(socket);
        failure = no_answer;
        return 0;
    }
    // One instance asked by name: 0x04 and the name.
    const QByteArray request = QByteArray(1, '\x04') + instance.toLatin1();
    const QDeadlineTimer deadline(wait_ms);
    // UDP may lose the request: it is sent again every half second.
    constexpr int resend_ms = 500;
    int port = 0;
    bool refused = false;
    while (!deadline.hasExpired() && port == 0 && !refused) {
        if (::send(socket, request.constData(), static_cast<size_t>(request.size()), 0) < 0 &&
            errno == ECONNREFUSED)
            break;
        const QDeadlineTimer resend(std::min<qint64>(resend_ms, deadline.remainingTime()));
        while (!resend.hasExpired()) {
            pollfd waiting{socket, POLLIN, 0};
            if (::poll(&waiting, 1, static_cast<int>(resend.remainingTime())) <= 0)
                continue;
            char buffer[65536];
            const ssize_t size = ::recv(socket, buffer, sizeof buffer, 0);
            if (size < 0) {
                refused = errno == ECONNREFUSED;
                break;
            }
            port = port_in_answer(QByteArray(buffer, static_cast<qsizetype>(size)), instance);
            if (port != 0)
                break;
        }
    }
    ::close(socket);
    if (port == 0)
        failure = no_answer;
    return port;
#endif
}

} // namespace database
