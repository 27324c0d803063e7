#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The current product of a KALIX installation: the name of the first file in its marker
// folder. Read for every file name a pass composes, so the folder is listed again only when
// its status says it may have changed: another device, inode, size, link count, or time of
// modification or status change. A listing taken within a moment of the folder's last
// change is not trusted past its call, as a second change in the same tick of the file
// system's clock would leave the status as it was.
class product_marker {
public:
    QString read(const QString& kalix_path);

private:
    struct folder_status {
        std::uint64_t device = 0, inode = 0, links = 0;
        std::int64_t size = 0;
        std::int64_t modified_ns = 0, changed_ns = 0;
        bool operator==(const folder_status&) const = default;
    };
    // The KALIX path of the last listing and its marker folder as the system names it.
    QString root_;
    QByteArray encoded_;
    folder_status status_;
    QString name_;
    bool trusted_ = false;
};
