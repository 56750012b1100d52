// The fuzz targets built as plain programs: each argument is a seed file or a
// folder of them (searched recursively), and every seed is run through the
// target once. A property that does not hold aborts, so the test fails.

#include "FuzzInput.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool replay(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qUtf8Printable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int seeds = 0;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(argument).isDir()) {
            if (!replay(argument))
                return 1;
            ++seeds;
            continue;
        }
        QDirIterator it(argument, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (!replay(it.next()))
                return 1;
            ++seeds;
        }
    }
    if (seeds == 0) {
        std::fprintf(stderr, "no seeds given\n");
        return 1;
    }
    std::printf("%d seeds replayed\n", seeds);
    return 0;
}
