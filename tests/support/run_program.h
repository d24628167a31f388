#pragma once

// Runs a program of the project as a user runs it from a terminal: what it
// printed on each stream and how it ended.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace lexivoce::test {

struct TProgramRun
{
    int Exit = -1; // -1: it crashed or did not end in time
    QString Out;
    QString Err;
};

inline TProgramRun RunProgram(const QString &program, const QStringList &arguments,
                              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                              int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(timeoutMs)) << program.toStdString() << " did not end in time";
    const bool ended = process.exitStatus() == QProcess::NormalExit && process.state() == QProcess::NotRunning;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace lexivoce::test
