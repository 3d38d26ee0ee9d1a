#include "app/updatechecker.h"

#include "net/httpget.h"
#include "tests/support/scriptedserver.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class UpdateCheckerTest : public ::testing::Test {
protected:
    UpdateCheckerTest()
    {
        setup.programFolder = folder.path();
        setup.programFile = folder.filePath("quellan");
        setup.serverUrl = server.url("/");
        setup.startProgram = [](const QString &, const QStringList &) { return false; };
        QFile program(setup.programFile);
        EXPECT_TRUE(program.open(QIODevice::WriteOnly));
    }

    QTemporaryDir folder;
    ScriptedServer server;
    MainSetup setup;
    QObject owner;
};

} // namespace

TEST_F(UpdateCheckerTest, TheVersionTextMustMatchByteForByte)
{
    for (const QByteArray &version : {QByteArray("1.0.0"), QByteArray("1.0.0\r\n"),
                                      QByteArray("\xEF\xBB\xBF"
                                                 "1.0.0")}) {
        ScriptedServer answering;
        answering.send(ScriptedServer::reply(200, "OK", version));
        setup.serverUrl = answering.url("/");
        UpdateChecker checker(setup, &owner);
        QSignalSpy offered(&checker, &UpdateChecker::updateAvailable);
        checker.check();
        const auto *fetcher = checker.findChild<THTTPGet *>("checkupdate");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !fetcher->busy(); }, 5000));
        EXPECT_EQ(offered.count(), version == "1.0.0" ? 0 : 1) << version.toStdString();
    }
}

TEST_F(UpdateCheckerTest, AFailedDownloadBringsTheProgramFileBack)
{
    server.send(ScriptedServer::reply(404, "Not Found", "gone"));
    UpdateChecker checker(setup, &owner);
    EXPECT_EQ(checker.backupFileName(), folder.filePath("quellan.BAK"));
    QSignalSpy status(&checker, &UpdateChecker::statusChanged);
    checker.install();
    QStringList texts;
    for (const QList<QVariant> &text : status)
        texts << text.at(0).toString();
    EXPECT_EQ(texts, (QStringList{"Updating. Please Wait...", "Download Aborted"}));
    EXPECT_TRUE(QFile::exists(setup.programFile));
    EXPECT_FALSE(QFile::exists(checker.backupFileName()));
}

TEST_F(UpdateCheckerTest, AnInstallerThatDoesNotStartSaysWhereToGetTheGame)
{
    server.send(ScriptedServer::reply(200, "OK", "installer"));
    UpdateChecker checker(setup, &owner);
    QSignalSpy failed(&checker, &UpdateChecker::installerFailed);
    checker.install();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().startsWith(
        "There was an error in the update process. Please download QUELLAN manually from "));
    EXPECT_TRUE(QFile::exists(setup.programFile));
}
