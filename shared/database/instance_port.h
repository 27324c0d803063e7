#pragma once

#include <QString>

namespace database {

// UDP port of the browser service that names the ports of a server's instances.
constexpr int browser_port = 1434;

// The TCP port of `instance` on `host`, asked from the server's browser service, waiting
// at most `wait_ms` for the answer. 0 when there is none; `failure` then says why. The TDS
// library asks the same question itself, but waits far longer than the login timeout when
// no browser answers.
int instance_port(const QString& host, const QString& instance, int wait_ms, QString& failure,
                  int service_port = browser_port);

} // namespace database
