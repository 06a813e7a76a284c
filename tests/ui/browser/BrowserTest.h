#pragma once

#include "browser/CurrentDirectory.h"
#include "calc/RunHost.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

struct RecordingErrors : sf::ErrorBox {
    void showError(const std::string &text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// A fresh directory tree for each test; the current directory the test
// started in is restored afterwards, since the browser changes it.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = sf::currentDirectory();
        ASSERT_TRUE(m_tmp.isValid());
        m_root = QDir(m_tmp.path()).canonicalPath();
    }

    void TearDown() override { sf::enterDirectory(m_saved); }

    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }

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

    void enter(const QString &relative) const { ASSERT_EQ(sf::enterDirectory(path(relative)), 0); }

    QString m_root;

private:
    QTemporaryDir m_tmp;
    QString m_saved;
};
