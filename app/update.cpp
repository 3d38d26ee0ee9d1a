// The update check at the first showing, and the download and start of a new installer.
#include "app/about.h"
#include "app/main.h"
#include "net/httpaddress.h"
#include "net/httpcli.h"
#include "net/httpget.h"
#include "widgets/dialogs.h"
#include "widgets/flatpanel.h"
#include "widgets/selbutton.h"

#include "quellanconfig.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

const QStringList installerArguments{"/SP-", "/silent", "/noicons"};

} // namespace

void Tmain::buildUpdateTransfers()
{
    checkupdate = new THTTPGet(this);
    checkupdate->setObjectName("checkupdate");
    connect(checkupdate, &THTTPGet::OnDoneString, this,
            [this](QObject *sender, const QString &result) {
                guarded([&] { checkupdateDoneString(sender, result); });
            });
    getupdate = new THttpCli(this);
    getupdate->setObjectName("getupdate");
}

void Tmain::FormShow()
{
    if (!updatecheck->isChecked())
        return;
    checkupdate->setURL(
        http::joinAddress(m_setup.serverUrl, QString::fromUtf8(quellan::versionPath)));
    checkupdate->Fetch();
}

void Tmain::checkupdateDoneString(QObject *, const QString &Result)
{
    const QString version =
        about ? about->version->text() : QString::fromUtf8(quellan::versionText);
    if (Result != version)
        panel_update->showInFront();
}

void Tmain::button_updatecancelClick(QObject *)
{
    panel_update->hide();
}

QString Tmain::backupFileName() const
{
    const QFileInfo program(m_setup.programFile);
    return program.dir().filePath(program.completeBaseName() + ".BAK");
}

void Tmain::button_updateyesClick(QObject *)
{
    button_updateyes->hide();
    button_updatecancel->hide();
    label_update->setText("Updating. Please Wait...");
    QFile::remove(backupFileName());
    QFile::rename(m_setup.programFile, backupFileName());
    downloadit();
}

void Tmain::restoreProgramFile()
{
    // Without its file the game could not be started again.
    if (!QFile::exists(m_setup.programFile))
        QFile::rename(backupFileName(), m_setup.programFile);
}

void Tmain::downloadit()
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
        label_update->setText(QString("Received %1 bytes").arg(file.size()));
    } catch (const EHttpException &) {
        label_update->setText("Download Aborted");
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
    label_update->setText("Installing");
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (m_setup.startProgram(installer, installerArguments)) {
        m_setup.exitProcess(0);
        return;
    }
    restoreProgramFile();
    if (m_setup.dialogs)
        m_setup.dialogs->information(
            this, QString("There was an error in the update process. Please download %1 manually "
                          "from http://%2.")
                      .arg(shortname.toUpper(), QString::fromUtf8(quellan::webSite)));
}
