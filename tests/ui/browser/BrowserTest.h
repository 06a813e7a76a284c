#pragma once

#include "browser/CurrentDirectory.h"
#include "browser/ErrorBox.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

struct RecordingErrors : sf::ErrorBox {
    void showError(const std::string &text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// A fresh directory tree for each test, the current directory at first, so
// the start-up directory of the lists a test makes; the one the test
// started in is restored afterwards.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override { m_root = QDir(QString::fromStdString(m_tmp.path().string())).canonicalPath(); }

    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }
    // The same path as the file system holds it.
    QByteArray bytes(const QString &relative) const { return QFile::encodeName(path(relative)); }

    void makeDirs(const QStringList &relatives) const
    {
        for (const QString &r : relatives)
            ASSERT_TRUE(QDir().mkpath(path(r))) << r.toStdString();
    }

    void makeFiles(const QStringList &relatives) const
    {
        for (const QString &r : relatives) {
            QFile file(path(r));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << r.toStdString();
        }
    }

    // Makes `relative` the current directory, where the next lists start.
    void enter(const QString &relative) const { ASSERT_EQ(::chdir(bytes(relative).constData()), 0); }

    // The path of the directory a window or list holds open, as it is now.
    static QByteArray heldPath(int fd) { return QByteArray::fromStdString(sf::directoryPath(fd)); }

    QString m_root;

private:
    sf::test::ScopedTempCwd m_tmp;
};
