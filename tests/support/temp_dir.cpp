#include "tests/support/temp_dir.h"

#include <QFile>

namespace lexivoce::test {

void TempDirTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_previousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
}

void TempDirTest::TearDown()
{
    QDir::setCurrent(m_previousDir);
}

QString TempDirTest::PathOf(const QString &name) const
{
    return m_dir.filePath(name);
}

void TempDirTest::WriteFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(PathOf(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray TempDirTest::ReadFile(const QString &name) const
{
    QFile file(PathOf(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray TestData(const QString &relativePath)
{
    QFile file(QStringLiteral(LEXIVOCE_TEST_DATA_DIR "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace lexivoce::test
