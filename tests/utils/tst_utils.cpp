#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

#include "KXErrorReport.h"
#include "KXFileIOManager.h"
#include "KXManagedFile.h"
#include "KXPathElement.h"
#include "messagecapture.h"

// Sends one report and returns the text it must have.
using Report = std::function<QString()>;
Q_DECLARE_METATYPE(Report)

namespace {
const QString ThisFile = QStringLiteral("../tests/utils/tst_utils.cpp");
const QString Built = QStringLiteral("Build date=" __DATE__ ", time=" __TIME__ ".");
} // namespace

class TestUtils : public QObject
{
    Q_OBJECT

private slots:
    void errorReport_data()
    {
        QTest::addColumn<Report>("report");
        QTest::newRow("failure") << Report([] {
            const int line = __LINE__ + 1;
            VORN_REPORT(QStringLiteral("Open fail. \"quoted\" %1 text\\"));
            return Built + QStringLiteral(" Line=%1, file=\"").arg(line) + ThisFile
                + QStringLiteral("\". Open fail. \"quoted\" %1 text\\");
        });
        QTest::newRow("exception") << Report([] {
            const int line = __LINE__ + 1;
            VORN_REPORT_EXCEPTION(std::runtime_error("bad \"thing\""));
            return Built + QStringLiteral(" Unexpected exception: line=%1, file=\"").arg(line) + ThisFile
                + QStringLiteral("\". Exception content:\"bad \"thing\"\"");
        });
        QTest::newRow("unknown exception") << Report([] {
            const int line = __LINE__ + 1;
            VORN_REPORT_UNKNOWN_EXCEPTION();
            return Built + QStringLiteral(" Unexpected unknown exception: line=%1, file=\"").arg(line) + ThisFile
                + '"';
        });
    }

    void errorReport()
    {
        QFETCH(Report, report);
        MessageCapture capture;
        const QString expected = report();
        const QList<MessageCapture::Message> messages = capture.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().text, expected);
        QCOMPARE(messages.first().type, QtDebugMsg);
        QCOMPARE(messages.first().category, QStringLiteral("default"));
        QVERIFY(!messages.first().hasContext);
    }

    void reportTexts()
    {
        QCOMPARE(KXErrorReport::ExceptionText("d", "t", 1, "f", nullptr),
            QStringLiteral("Build date=d, time=t. Unexpected exception: line=1, file=\"f\". Exception content:\"\""));
        const QString root = QStringLiteral(VORN_SOURCE_DIR "/history");
        QCOMPARE(KXErrorReport::SourcePath(qPrintable(root + "/src/vornundostack.cpp")),
            QStringLiteral("src/vornundostack.cpp"));
        QCOMPARE(KXErrorReport::SourcePath(qPrintable(root + "/../image/include/KXImage.h")),
            QStringLiteral("../image/include/KXImage.h"));
        // As a compiler cache hands them over: relative to a build folder.
        QCOMPARE(KXErrorReport::SourcePath("../../history/src/vornundostack.cpp"), QStringLiteral("src/vornundostack.cpp"));
        QCOMPARE(KXErrorReport::SourcePath("../image/include/KXImage.h"), QStringLiteral("../image/include/KXImage.h"));
        QCOMPARE(KXErrorReport::SourcePath("src/./x/../y.cpp"), QStringLiteral("src/y.cpp"));
    }

    void temporaryPath()
    {
        const QString path = KXFileIOManager::GetTemporaryPath();
        QVERIFY(QDir::isAbsolutePath(path));
        QVERIFY(KXFileIOManager::IsPrivateDirectory(path));
        QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("proc-%1-").arg(getpid())));
        QCOMPARE(KXFileIOManager::GetTemporaryPath(), path);
    }

    // The per-user folder is used only when it is a private directory of the
    // user's; otherwise a fresh private folder takes its place.
    void privateFolder_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("used");
        QTest::newRow("absent") << "" << true;
        QTest::newRow("private") << "0700" << true;
        QTest::newRow("open to others") << "0777" << false;
        QTest::newRow("readable by the group") << "0740" << false;
        QTest::newRow("a link to a private folder") << "link" << false;
        QTest::newRow("a file") << "file" << false;
    }
    void privateFolder()
    {
        QFETCH(QString, existing);
        QFETCH(bool, used);
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString user = base.filePath(QStringLiteral("vornhistory-%1").arg(getuid()));
        if (existing == QLatin1String("link")) {
            QVERIFY(QDir().mkdir(base.filePath(QStringLiteral("elsewhere"))));
            QVERIFY(QFile::setPermissions(base.filePath(QStringLiteral("elsewhere")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QVERIFY(QFile::link(base.filePath(QStringLiteral("elsewhere")), user));
        } else if (existing == QLatin1String("file")) {
            QFile file(user);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (!existing.isEmpty()) {
            QVERIFY(QDir().mkdir(user));
            QCOMPARE(chmod(QFile::encodeName(user).constData(), mode_t(existing.toUInt(nullptr, 8))), 0);
        }
        const QString folder = KXFileIOManager::PrivateFolder(base.path());
        QVERIFY(KXFileIOManager::IsPrivateDirectory(folder));
        QVERIFY(KXFileIOManager::IsPrivateDirectory(QFileInfo(folder).path()));
        QCOMPARE(QFileInfo(folder).path() == user, used);
        QVERIFY(KXFileIOManager::PrivateFolder(base.path()) != folder); // a fresh one each time

        // A record file made there is the owner's alone.
        KXManagedFile file(QDir(folder).filePath(QStringLiteral("record")), 1);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Truncate));
        struct stat info;
        QCOMPARE(stat(QFile::encodeName(file.fileName()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
    }

    // Folders of processes that no longer run are removed with their files;
    // those of running processes (and anything else) stay.
    void staleFoldersRemoved()
    {
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QDir user(base.filePath(QStringLiteral("vornhistory-%1").arg(getuid())));
        QVERIFY(QDir().mkdir(user.path()));
        QVERIFY(QFile::setPermissions(user.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString stale = QStringLiteral("proc-%1-abcdef").arg(0x7ffffff0);
        const QString running = QStringLiteral("proc-%1-abcdef").arg(getppid());
        for (const QString& name : {stale, running, QStringLiteral("other")}) {
            QVERIFY(user.mkdir(name));
            QFile file(user.filePath(name + QStringLiteral("/~nuboltmp.1_0")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(!KXFileIOManager::PrivateFolder(base.path()).isEmpty());
        QVERIFY(!user.exists(stale));
        QVERIFY(user.exists(running));
        QVERIFY(user.exists(QStringLiteral("other")));
    }

    void managedFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        KXManagedFile file(dir.filePath(QStringLiteral("f")), 3);
        QVERIFY(!file.seek(0)); // closed
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write("abcdef"), 6LL);
        QVERIFY(!file.seek(-1));
        QVERIFY(file.seek(3));
        QCOMPARE(file.pos(), 3LL);
        QCOMPARE(file.read(2), QByteArray("de"));
        file.close();
        QVERIFY(!file.seek(1));
        QCOMPARE(file.size(), 6LL);
    }

    // Written as type (qint32) and point (two doubles), big-endian; a bad type or a
    // short read leaves the element as it was.
    void pathElementStream_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        const int ok = QDataStream::Ok;
        QTest::newRow("move") << 0 << QPointF(0, 0)
                              << QByteArray::fromHex("00000000 0000000000000000 0000000000000000") << ok;
        QTest::newRow("line") << 1 << QPointF(1, 2)
                              << QByteArray::fromHex("00000001 3ff0000000000000 4000000000000000") << ok;
        QTest::newRow("curve") << 2 << QPointF(1.5, -2)
                               << QByteArray::fromHex("00000002 3ff8000000000000 c000000000000000") << ok;
        QTest::newRow("curve data") << 3 << QPointF(-0.5, 1e300)
                                    << QByteArray::fromHex("00000003 bfe0000000000000 7e37e43c8800759c") << ok;
        QTest::newRow("type 4") << -1 << QPointF() << QByteArray::fromHex("00000004 3ff0000000000000 4000000000000000")
                                << int(QDataStream::ReadCorruptData);
        QTest::newRow("type -1") << -1 << QPointF() << QByteArray::fromHex("ffffffff 3ff0000000000000 4000000000000000")
                                 << int(QDataStream::ReadCorruptData);
        QTest::newRow("cut short") << -1 << QPointF() << QByteArray::fromHex("00000001 3ff0000000000000 40000000")
                                   << int(QDataStream::ReadPastEnd);
    }
    void pathElementStream()
    {
        QFETCH(int, type);
        QFETCH(QPointF, point);
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        const KXPathElement old(KXPathElement::CurveTo, QPointF(7, 8));
        const KXPathElement element = type < 0 ? old : KXPathElement(KXPathElement::Type(type), point);
        if (type >= 0) {
            QByteArray written;
            QDataStream out(&written, QIODevice::WriteOnly);
            out << element;
            QCOMPARE(written.toHex(), bytes.toHex());
        }
        QDataStream in(bytes);
        KXPathElement back = old;
        in >> back;
        QCOMPARE(int(in.status()), status);
        QVERIFY(back == element);
    }

    void pathConversions()
    {
        QPainterPath path;
        path.moveTo(1, 2);
        path.lineTo(10, 2);
        path.cubicTo(12, 4, 14, 6, 16, 20);
        path.closeSubpath();
        path.moveTo(30, 30);
        path.lineTo(40, 35);

        const QList<KXPathElement> elements = ConvertTo(path);
        const QList<KXPathElement> expectedStart = {
            { KXPathElement::MoveTo, { 1, 2 } },
            { KXPathElement::LineTo, { 10, 2 } },
            { KXPathElement::CurveTo, { 12, 4 } },
            { KXPathElement::CurveToData, { 14, 6 } },
            { KXPathElement::CurveToData, { 16, 20 } },
        };
        QCOMPARE(elements.mid(0, expectedStart.size()), expectedStart);
        QCOMPARE(ConvertFrom(elements), path);
        QCOMPARE(ConvertTo(ConvertFrom(elements)), elements);

        QList<KXPathElement> moved = elements;
        const QTransform transform = QTransform::fromScale(2, 3).translate(1, -1);
        TransformPath(moved, transform);
        QCOMPARE(ConvertFrom(moved), transform.map(path));

        // A curve missing its data elements ends the path.
        const QList<KXPathElement> cut = elements.mid(0, 4);
        QCOMPARE(ConvertFrom(cut), ConvertFrom(elements.mid(0, 2)));
        QVERIFY(ConvertFrom({}).isEmpty());
    }
};

QTEST_MAIN(TestUtils)
#include "tst_utils.moc"
