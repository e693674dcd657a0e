#pragma once

#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QTest>

#include <functional>

#include <sys/stat.h>

namespace klipo::test {

// Counts the posts of one notification that name `object` as their sender.
class NotificationCounter {
public:
    NotificationCounter(const QString& name, QObject* object)
    {
        platform::NotificationCenter::shared().observe(name, &m_context, [this, object](const QVariantMap& info) {
            if (info.value(QStringLiteral("object")).value<QObject*>() == object) ++m_count;
        });
    }
    int count() const { return m_count; }

private:
    QObject m_context;
    int m_count = 0;
};

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The permission bits of a file or folder.
inline unsigned modeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Lets queued main-thread work run until `done` holds (at most 10 s).
inline bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

}  // namespace klipo::test
