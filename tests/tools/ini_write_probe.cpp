// ini_write_probe: one write through the ini-file object or the localizer,
// for the tests that run it on a nearly full file system.
//
//   ini_write_probe ini FILE SECTION KEY VALUE        TIniFile::WriteString
//   ini_write_probe localize FILE SECTION KEY DEFAULT TLocalize::ReadString,
//                                                     which writes a missing
//                                                     key's default back and
//                                                     reports a failure to
//                                                     OnWriteBackFailed
//
// Exit status 0, or one line on stderr and 1; 2 for a wrong call.
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    using namespace lexivoce;
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6 || (args[1] != QLatin1String("ini") && args[1] != QLatin1String("localize"))) {
        std::fputs("usage: ini_write_probe ini|localize FILE SECTION KEY VALUE\n", stderr);
        return 2;
    }
    try {
        if (args[1] == QLatin1String("ini")) {
            lang::TIniFile(args[2]).WriteString(args[3], args[4], args[5]);
        } else {
            lang::TLocalize localize(args[2]);
            QString failure;
            localize.OnWriteBackFailed = [&](const QString &message) { failure = message; };
            // The default comes back whatever happens to the file.
            if (localize.ReadString(args[3], args[4], args[5]) != args[5])
                throw Error(QStringLiteral("the default was not returned"));
            if (!failure.isEmpty())
                throw Error(failure);
        }
    } catch (const Error &error) {
        std::fprintf(stderr, "ini_write_probe: %s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
