// file_holder <file> [last line]: opens the file for appending as a measurement writer
// does, says "ready", and holds it until its standard input ends; then appends the last
// line, if given, and closes. The same child on every platform, so the tests see the same
// sharing rules the programs meet (on Windows: no delete sharing, so no rename).
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    QFile file(arguments[1]);
    if (!file.open(QIODevice::Append))
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
    if (arguments.size() > 2)
        file.write(arguments[2].toUtf8() + '\n');
    return file.flush() ? 0 : 1;
}
