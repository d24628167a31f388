#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lexivoce::test {

// Runs each test inside a fresh temporary directory that is also the current
// directory: the program names its files relative to the current directory.
class TempDirTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Absolute path of name inside the temporary directory.
    QString PathOf(const QString &name) const;
    void WriteFile(const QString &name, const QByteArray &bytes) const;
    QByteArray ReadFile(const QString &name) const;

    QTemporaryDir m_dir;

private:
    QString m_previousDir;
};

// Bytes of a file under tests/data.
QByteArray TestData(const QString &relativePath);

} // namespace lexivoce::test
