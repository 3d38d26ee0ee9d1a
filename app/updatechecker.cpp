#include "app/updatechecker.h"

#include "net/httpaddress.h"
#include "net/httpcli.h"
#include "net/httpget.h"

#include "quellanconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QStringList installerArguments{"/SP-", "/silent", "/noicons"};
const QString shortName = QString::fromLatin1(quellan::shortName);

} // namespace

UpdateChecker::UpdateChecker(const MainSetup &setup, QObject *parent)
    : QObject(parent), m_setup(setup), checkupdate(new THTTPGet(this)),
      getupdate(new THttpCli(this))
{
    checkupdate->setObjectName("checkupdate");
    getupdate->setObjectName("getupdate");
    connect(checkupdate, &THTTPGet::OnDone, this, [this](QObject *, int, const QByteArray &body) {
        // Only an answer with a body counts, whatever its status.
        if (!body.isEmpty())
            checkupdateDoneString(body);
    });
}

void UpdateChecker::check()
{
    checkupdate->setURL(
        http::joinAddress(m_setup.serverUrl, QString::fromUtf8(quellan::versionPath)));
    checkupdate->Fetch();
}

void UpdateChecker::checkupdateDoneString(const QByteArray &Result)
{
    // Any difference in the bytes is an update: an older version on the server, a line end
    // or a byte-order mark around the version, even an error page.
    if (Result != QByteArrayView(quellan::versionText))
        emit updateAvailable();
}

QString UpdateChecker::backupFileName() const
{
    const QFileInfo program(m_setup.programFile);
    return program.dir().filePath(program.completeBaseName() + ".BAK");
}

void UpdateChecker::install()
{
    emit statusChanged("Updating. Please Wait...");
    QFile::remove(backupFileName());
    QFile::rename(m_setup.programFile, backupFileName());
    downloadit();
}

void UpdateChecker::restoreProgramFile()
{
    if (!QFile::exists(m_setup.programFile))
        QFile::rename(backupFileName(), m_setup.programFile);
}

void UpdateChecker::downloadit()
{
    const QString address =
        http::joinAddress(m_setup.serverUrl, QString::fromUtf8(quellan::setupPath));
    getupdate->setURL(address);
    const QString installer = QDir(m_setup.programFolder).filePath(address.section('/', -1, -1));
    QFile file(installer);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        restoreProgramFile();
        throw std::runtime_error(QString("Cannot create file \"%1\". %2")
                                     .arg(installer, file.errorString())
                                     .toStdString());
    }
    getupdate->setRcvdStream(&file);
    bool aborted = false;
    try {
        getupdate->Get();
        emit statusChanged(QString("Received %1 bytes").arg(file.size()));
    } catch (const EHttpException &) {
        emit statusChanged("Download Aborted");
        aborted = true;
    } catch (...) {
        file.close();
        getupdate->setRcvdStream(nullptr);
        restoreProgramFile();
        throw;
    }
    file.close();
    getupdate->setRcvdStream(nullptr);
    if (aborted) {
        restoreProgramFile();
        return;
    }
    emit statusChanged("Installing");
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (m_setup.startProgram(installer, installerArguments)) {
        m_setup.exitProcess(0);
        return;
    }
    restoreProgramFile();
    emit installerFailed(
        QString("There was an error in the update process. Please download %1 manually "
                "from http://%2.")
            .arg(shortName.toUpper(), QString::fromUtf8(quellan::webSite)));
}
