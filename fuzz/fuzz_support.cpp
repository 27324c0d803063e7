#include "fuzz/fuzz_support.h"

#include "shared/platform/code_page.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace fuzz {
namespace {

// Answers every question with the cautious answer and writes nothing anywhere.
class silent_operator final : public platform::log_operator {
public:
    void show_message(const QString&) override {}
    bool ask_yes_no(const QString&, const QString&) override { return false; }
    QString input_box(const QString&, const QString&, const QString& preset) override {
        return preset;
    }
};

QTemporaryDir* scratch_dir() {
    // Lives for the whole run; removed at normal exit.
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return &dir;
}

} // namespace

void set_up() {
    static const bool done = [] {
        platform::install_operator(std::make_unique<silent_operator>());
        scratch_dir();
        return true;
    }();
    (void)done;
}

QString scratch_file(const QByteArray& bytes) {
    set_up();
    const QString path = scratch_dir()->filePath(QStringLiteral("input.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

QStringList lines_of(const QByteArray& bytes) {
    return platform::split_lines(platform::decode_text(bytes));
}

QByteArray bytes_of(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QList<QByteArray> parts_of(const QByteArray& bytes, int count) {
    QList<QByteArray> parts;
    qsizetype start = 0;
    for (int i = 0; i < count; ++i) {
        if (i == count - 1 || start > bytes.size()) {
            parts.append(start <= bytes.size() ? bytes.mid(start) : QByteArray());
            start = bytes.size() + 1;
            continue;
        }
        const qsizetype end = bytes.indexOf('\0', start);
        if (end < 0) {
            parts.append(bytes.mid(start));
            start = bytes.size() + 1;
        } else {
            parts.append(bytes.mid(start, end - start));
            start = end + 1;
        }
    }
    return parts;
}

} // namespace fuzz
