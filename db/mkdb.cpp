// Makes the empty database at the path given, unless a file is already there.
#include "common/UnitPublic.h"
#include "platform/Errors.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) { std::fprintf(stderr, "usage: mkdb FILE\n"); return 2; }
    try {
        if (EnsureDatabaseFile(QString::fromLocal8Bit(argv[1])))
            std::printf("made %s\n", argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(ErrorText(e)));
        return 1;
    }
    return 0;
}
