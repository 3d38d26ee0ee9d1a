#include "app/about.h"
#include "net/httpget.h"
#include "tests/support/mainwindowtest.h"
#include "tests/support/scriptedserver.h"
#include "tests/support/webserverprocess.h"
#include "widgets/selbutton.h"

#include "quellanconfig.h"

#include <QFileInfo>

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

constexpr char settled[] = "[quellan]\r\nFirsttime=no\r\n";

class UpdateTest : public MainWindowTest {
protected:
    UpdateTest()
    {
        serverUrl = "http://127.0.0.1:9/";
        adjustSetup = [this](MainSetup &setup) {
            setup.programFile = programFile();
            setup.startProgram = [this](const QString &program, const QStringList &arguments) {
                started << program << arguments;
                return startResult;
            };
            setup.exitProcess = [this](int code) { exitCodes << code; };
        };
        writeProgram("the game");
    }

    QString programFile() const { return folder.filePath("quellan"); }

    void writeProgram(const QByteArray &content) const { writeFile(programFile(), content); }

    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Starts the real web server with these options and points the window at it.
    void startServer(const QStringList &options)
    {
        server = startBuiltWebServer(options);
        if (!server)
            GTEST_SKIP() << "the web server is not built";
        ASSERT_TRUE(server->started());
        serverUrl = server->baseUrl();
    }

    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    // Opens the window and waits until the version check has come back or given up.
    Tmain &openAndCheck(const QByteArray &ini = settled)
    {
        Tmain &main = open(ini);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !child<THTTPGet>("checkupdate")->busy(); }, 5000));
        return main;
    }

    QTemporaryDir serverFolder;
    std::unique_ptr<WebServerProcess> server;
    QStringList started;
    QList<int> exitCodes;
    bool startResult = true;
};

} // namespace

TEST_F(UpdateTest, TheVersionRequestIsOneFreshGet)
{
    ScriptedServer scripted;
    scripted.send(ScriptedServer::reply(200, "OK", "1.0.0"));
    serverUrl = scripted.url("/");
    open(settled);
    ASSERT_TRUE(scripted.waitForRequests(1));
    EXPECT_EQ(scripted.request(0), QString("GET /quellan/quellanversion.txt HTTP/1.0\r\n"
                                           "Accept: */*\r\n"
                                           "User-Agent: Dalvex HTTPGet\r\n"
                                           "Host: 127.0.0.1:%1\r\n"
                                           "Pragma: no-cache\r\n"
                                           "Cache-Control: no-cache\r\n\r\n")
                                       .arg(scripted.port())
                                       .toUtf8());
}

TEST_F(UpdateTest, WithTheMarkOffNothingIsAsked)
{
    ScriptedServer scripted;
    serverUrl = scripted.url("/");
    open("[quellan]\r\nFirsttime=no\r\nUpdate=false\r\n");
    // The check would have started as the window showed.
    EXPECT_FALSE(child<THTTPGet>("checkupdate")->busy());
    QCoreApplication::processEvents();
    EXPECT_EQ(scripted.connectionCount(), 0);
    // Choosing the item turns the check on for the next start and writes the settings.
    action("updatecheck")->trigger();
    EXPECT_TRUE(action("updatecheck")->isChecked());
    QFile ini(folder.filePath("quellan.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("Update=true\r\n"));
}

TEST_F(UpdateTest, AnInstalledCopyNeverChecksYetKeepsTheSetting)
{
    ScriptedServer scripted;
    serverUrl = scripted.url("/");
    adjustSetup = [this](MainSetup &setup) {
        setup.programFile = programFile();
        setup.selfUpdate = false;
    };
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\nUpdate=false\r\n");
    EXPECT_FALSE(action("updatecheck")->isVisible());
    EXPECT_FALSE(child<THTTPGet>("checkupdate")->busy());
    main.close();
    EXPECT_TRUE(iniText().contains("Update=false\r\n"));
    window.reset();
    open("[quellan]\r\nFirsttime=no\r\nUpdate=true\r\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(scripted.connectionCount(), 0);
}

TEST_F(UpdateTest, OnlyTheSameVersionTextIsNoUpdate)
{
    startServer({"--version-text", "1.0.0"});
    openAndCheck();
    EXPECT_FALSE(child<TFlatPanel>("panel_update")->isVisible());
    window.reset();
    startServer({"--version-text", "1.0.0\r\n"});
    openAndCheck();
    EXPECT_TRUE(child<TFlatPanel>("panel_update")->isVisible());
    window.reset();
    startServer({"--version-text", "0.9.9"});
    openAndCheck();
    ASSERT_TRUE(child<TFlatPanel>("panel_update")->isVisible());
    EXPECT_EQ(child<QLabel>("Label15")->text(), "Update Available");
    QTest::mouseClick(child<TSelButton>("button_updatecancel"), Qt::LeftButton);
    EXPECT_FALSE(child<TFlatPanel>("panel_update")->isVisible());
}

TEST_F(UpdateTest, AMissingInstallerAbortsAndTheProgramFileComesBack)
{
    startServer({"--version-text", "2.0.0"});
    openAndCheck();
    ASSERT_TRUE(child<TFlatPanel>("panel_update")->isVisible());
    QTest::mouseClick(child<TSelButton>("button_updateyes"), Qt::LeftButton);
    EXPECT_EQ(child<QLabel>("label_update")->text(), "Download Aborted");
    EXPECT_FALSE(child<TSelButton>("button_updateyes")->isVisible());
    EXPECT_FALSE(child<TSelButton>("button_updatecancel")->isVisible());
    EXPECT_EQ(fileBytes(programFile()), "the game");
    EXPECT_FALSE(QFile::exists(folder.filePath("quellan.BAK")));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(exitCodes.isEmpty());
}

TEST_F(UpdateTest, TheInstallerIsDownloadedStartedAndTheProgramEnds)
{
    const QString installer = serverFolder.filePath("setup.sh");
    writeFile(installer, "#!/bin/sh\necho installed\n");
    startServer({"--version-text", "2.0.0", "--installer", installer});
    writeFile(folder.filePath("quellan.BAK"), "an old backup");
    openAndCheck();
    ASSERT_TRUE(child<TFlatPanel>("panel_update")->isVisible());
    QTest::mouseClick(child<TSelButton>("button_updateyes"), Qt::LeftButton);
    const QString downloaded = folder.filePath("qlnsetup.exe");
    EXPECT_EQ(fileBytes(downloaded), "#!/bin/sh\necho installed\n");
    EXPECT_TRUE(QFileInfo(downloaded).isExecutable());
    EXPECT_EQ(started, (QStringList{downloaded, "/SP-", "/silent", "/noicons"}));
    EXPECT_EQ(exitCodes, QList<int>{0});
    EXPECT_EQ(child<QLabel>("label_update")->text(), "Installing");
    EXPECT_EQ(fileBytes(folder.filePath("quellan.BAK")), "the game");
    EXPECT_FALSE(QFile::exists(programFile()));
}

TEST_F(UpdateTest, AnInstallerThatDoesNotStartIsReportedAndTheProgramFileComesBack)
{
    const QString installer = serverFolder.filePath("setup.sh");
    writeFile(installer, "data");
    startServer({"--version-text", "2.0.0", "--installer", installer});
    startResult = false;
    openAndCheck();
    QTest::mouseClick(child<TSelButton>("button_updateyes"), Qt::LeftButton);
    EXPECT_EQ(dialogs.informations,
              QStringList{"There was an error in the update process. Please download QUELLAN "
                          "manually from http://" +
                          QString::fromUtf8(quellan::webSite) + "."});
    EXPECT_TRUE(exitCodes.isEmpty());
    EXPECT_EQ(fileBytes(programFile()), "the game");
    EXPECT_EQ(child<QLabel>("label_update")->text(), "Installing");
}

TEST_F(UpdateTest, AStartedInstallerEndsTheProcessWithoutWritingAnything)
{
    const QString marker = folder.filePath("marker");
    const QString installer = serverFolder.filePath("setup.sh");
    writeFile(installer, QString("#!/bin/sh\nprintf '%s|' \"$@\" > '%1'\n").arg(marker).toUtf8());
    startServer({"--version-text", "2.0.0", "--installer", installer});
    writeFile(folder.filePath("quellan.ini"), settled);
    QProcess harness;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    harness.setProcessEnvironment(env);
    harness.start(QUELLAN_UPDATE_HARNESS, {serverUrl, folder.path(), programFile()});
    ASSERT_TRUE(harness.waitForFinished(20000));
    EXPECT_EQ(harness.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(harness.exitCode(), 0);
    // The installer runs on after the game has ended: wait for what it writes.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return fileBytes(marker) == "/SP-|/silent|/noicons|"; }, 5000))
        << fileBytes(marker).toStdString();
    // Neither the settings nor the tally were written on the way out.
    EXPECT_EQ(fileBytes(folder.filePath("quellan.ini")), settled);
    EXPECT_FALSE(QFile::exists(folder.filePath("quellantally.tld")));
}
