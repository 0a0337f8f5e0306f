// The installer window against a setup script written by the test: pages,
// option list, the setup run with its bar, and leaving with Exit.
#include "FakeProcessSource.h"
#include "InstallerTexts.h"
#include "ProcFsProcessSource.h"
#include "ProcessWatch.h"
#include "QuorvelIns.h"
#include "PageDocument.h"
#include "RecordingMessageBoxes.h"

#include <QtTest>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>

#include <sys/stat.h>

namespace {

// The test setup: it notes each start with its folder and arguments, runs
// until the file named by its first argument appears, and notes its end.
const char kSetupScript[] = "#!/bin/sh\n"
                            "printf 'start %s' \"$(pwd)\" >> starts.log\n"
                            "for a in \"$@\"; do printf ' [%s]' \"$a\" >> starts.log; done\n"
                            "echo >> starts.log\n"
                            "while [ ! -e \"$1\" ]; do sleep 0.05; done\n"
                            "echo \"ended $1\" >> starts.log\n";

const char kExitQuestion[] = "Attenzione: il processo installazione è attivo !\n"
                             "Uscendo l'intallazione potrebbe terminare in modo non corretto!\n"
                             "Vuoi abbandonare comunque l'installazione ?";

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList logLines()
{
    QFile log(QStringLiteral("starts.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestInstallerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void optionListFollowsSetupId_data();
    void optionListFollowsSetupId();
    void pagesShowIntroAndReadme_data();
    void pagesShowIntroAndReadme();
    void missingIniAndPagesGiveEmptyPagesAndNoFalseRun();
    void exitWithoutRunningSetupClosesAtOnce();
    void setupRunMovesTheBarUntilItEnds();
    void barWrapsAtItsMaximum();
    void answeringNoKeepsTheWindowWithExitCurrent();
    void setupStartedByOtherMeansKeepsTheBarMoving();
    void interpreterSetupIsWatchedByItsScript();
    void pagePicturesComeOnlyFromTheInstallerFolder();
    void iniAsPeopleWriteItStartsTheSetup_data();
    void iniAsPeopleWriteItStartsTheSetup();
    // Last: the catalogues it installs stay for the rest of the run.
    void textsFollowThePcLanguage();

private:
    QString setupName() const;
    void writeSetup(const QByteArray &setupId = "0");
    void startWatched(QuorvelIns &window);
    void finishSetup(const QString &stopFile);

    QScopedPointer<QTemporaryDir> m_dir;
    QString m_previousDir;
};

void TestInstallerWindow::initTestCase()
{
    // Exit closes the window; the test goes on after it.
    QApplication::setQuitOnLastWindowClosed(false);
    m_previousDir = QDir::currentPath();
}

void TestInstallerWindow::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestInstallerWindow::cleanup()
{
    // Whatever a scenario left running ends here.
    for (const char *stop : {"stop installer", "stop other"})
        writeFile(QString::fromLatin1(stop), "");
    QTRY_VERIFY(!isProcessRunning(setupName(), systemProcesses()));
    QVERIFY(QDir::setCurrent(m_previousDir));
    m_dir.reset();
}

// Long enough for the kernel to cut it, unique to this test run.
QString TestInstallerWindow::setupName() const
{
    return QStringLiteral("quorvel-test-setup-") + QString::number(QCoreApplication::applicationPid())
        + QStringLiteral(".sh");
}

void TestInstallerWindow::writeSetup(const QByteArray &setupId)
{
    writeFile(setupName(), kSetupScript);
    QVERIFY(QFile::setPermissions(setupName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner));
    // Named without a folder, as it ships beside the installer, with a quoted argument.
    writeFile(QStringLiteral("QuorvelIns.ini"),
              "SETUPNAME=\"" + setupName().toUtf8() + " \\\"stop installer\\\" -q\"\nSETUPID=" + setupId + '\n');
}

// Clicks the start button and takes over the ticks, so that each tick is the test's.
void TestInstallerWindow::startWatched(QuorvelIns &window)
{
    window.findChild<QPushButton *>(QStringLiteral("butStartSetup"))->click();
    auto *timer = window.findChild<QTimer *>(QStringLiteral("progressTimer"));
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    timer->stop();
}

void TestInstallerWindow::finishSetup(const QString &stopFile)
{
    const int before = logLines().filter(QStringLiteral("ended ") + stopFile).size();
    writeFile(stopFile, "");
    QTRY_COMPARE(logLines().filter(QStringLiteral("ended ") + stopFile).size(), before + 1);
}

void TestInstallerWindow::optionListFollowsSetupId_data()
{
    QTest::addColumn<QByteArray>("setupId");
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<int>("listWidth");
    QTest::addColumn<int>("windowMaxWidth");

    QTest::newRow("compact") << QByteArray("0") << 120 << 160 << 1622;
    QTest::newRow("large") << QByteArray("2") << 160 << 200 << 1662;
}

void TestInstallerWindow::optionListFollowsSetupId()
{
    QFETCH(QByteArray, setupId);
    QFETCH(int, iconSize);
    QFETCH(int, listWidth);
    QFETCH(int, windowMaxWidth);

    writeSetup(setupId);
    QuorvelIns window;
    auto *list = window.findChild<QListWidget *>(QStringLiteral("lswOptions"));
    QCOMPARE(list->iconSize(), QSize(iconSize, iconSize));
    QCOMPARE(list->minimumWidth(), listWidth);
    QCOMPARE(list->maximumWidth(), listWidth);
    QCOMPARE(window.maximumWidth(), windowMaxWidth);
    QCOMPARE(window.maximumHeight(), 800);
    QCOMPARE(list->count(), 4);
    for (int row = 0; row < list->count(); ++row)
        QVERIFY2(!list->item(row)->icon().isNull(), qPrintable(list->item(row)->text()));
    // The pictures come from the bundle compiled into the installer.
    QVERIFY(!window.windowIcon().isNull());
    for (const char *label : {"labIntroP1", "labIntroP2", "labIntroP4"})
        QVERIFY2(!window.findChild<QLabel *>(QString::fromLatin1(label))->pixmap(Qt::ReturnByValue).isNull(), label);
}

void TestInstallerWindow::pagesShowIntroAndReadme_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("readmeShown");

    QTest::newRow("SETUPID 0 leaves x.x.x") << QByteArray("SETUPID=0\nVERSIONENV=3.1.5\n")
                                            << QStringLiteral("Quorvel x.x.x\nNote x.x.x");
    QTest::newRow("SETUPID 1 puts in the version") << QByteArray("SETUPID=1\nVERSIONENV=3.1.5\n")
                                                   << QStringLiteral("Quorvel 3.1.5\nNote 3.1.5");
    QTest::newRow("empty VERSIONENV") << QByteArray("SETUPID=1\nVERSIONENV=\n")
                                      << QStringLiteral("Quorvel \nNote ");
}

void TestInstallerWindow::pagesShowIntroAndReadme()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, readmeShown);

    writeFile(QStringLiteral("QuorvelIns.ini"), ini);
    writeFile(QStringLiteral("Intro.html"), "<h1>Benvenuti</h1><p>Versione x.x.x, più recente</p>");
    writeFile(QStringLiteral("ReadMe.html"), "<h1>Quorvel x.x.x</h1><p>Note x.x.x</p>");
    QuorvelIns window;
    auto *intro = window.findChild<QTextEdit *>(QStringLiteral("edrIntro"));
    auto *readme = window.findChild<QTextEdit *>(QStringLiteral("edrReadme"));
    QCOMPARE(intro->toPlainText(), QStringLiteral("Benvenuti\nVersione x.x.x, più recente"));
    QCOMPARE(readme->toPlainText(), readmeShown);
    QVERIFY(readme->isReadOnly());

    auto *list = window.findChild<QListWidget *>(QStringLiteral("lswOptions"));
    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    window.show();
    for (const int row : {2, 1, 0, 2}) {
        list->setCurrentRow(row);
        QCOMPARE(pages->currentIndex(), row);
    }
    QVERIFY(window.isVisible());
}

void TestInstallerWindow::missingIniAndPagesGiveEmptyPagesAndNoFalseRun()
{
    QuorvelIns window;
    QVERIFY(window.findChild<QTextEdit *>(QStringLiteral("edrIntro"))->toPlainText().isEmpty());
    QVERIFY(window.findChild<QTextEdit *>(QStringLiteral("edrReadme"))->toPlainText().isEmpty());
    QCOMPARE(window.findChild<QListWidget *>(QStringLiteral("lswOptions"))->maximumWidth(), 160);
    QVERIFY(!QFile::exists(QStringLiteral("QuorvelIns.ini")));

    // With no setup named nothing starts and nothing is watched, not even
    // processes whose name cannot be read: one error box says so.
    FakeProcessSource table;
    table.add(2, QByteArray(), QByteArray());
    table.add(3, "kthreadd", QByteArray());
    table.addVanished(4, false);
    window.setProcessSource(&table);
    RecordingMessageBoxes boxes(QMessageBox::No);
    window.setMessageBoxes(&boxes);
    window.show();

    window.findChild<QPushButton *>(QStringLiteral("butStartSetup"))->click();
    QCOMPARE(boxes.errors.size(), 1);
    QVERIFY(boxes.errors.first().text.contains(QStringLiteral("SETUPNAME")));
    QVERIFY(!window.isSetupRunning());
    window.onProgressTimeout();
    QCOMPARE(window.findChild<QProgressBar *>(QStringLiteral("pbarSetup"))->value(), 0);

    window.findChild<QListWidget *>(QStringLiteral("lswOptions"))->setCurrentRow(QuorvelIns::RowExit);
    QVERIFY(boxes.asked.isEmpty());
    QVERIFY(!window.isVisible());
}

void TestInstallerWindow::exitWithoutRunningSetupClosesAtOnce()
{
    writeSetup();
    RecordingMessageBoxes boxes(QMessageBox::No);
    {
        QuorvelIns window;
        window.setMessageBoxes(&boxes);
        window.show();
        window.findChild<QListWidget *>(QStringLiteral("lswOptions"))->setCurrentRow(QuorvelIns::RowExit);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
    }
    {
        // After a run has ended.
        QuorvelIns window;
        window.setMessageBoxes(&boxes);
        window.show();
        startWatched(window);
        finishSetup(QStringLiteral("stop installer"));
        QTRY_VERIFY(!isProcessRunning(setupName(), systemProcesses()));
        window.onProgressTimeout();
        QVERIFY(!window.isSetupRunning());
        window.findChild<QListWidget *>(QStringLiteral("lswOptions"))->setCurrentRow(QuorvelIns::RowExit);
        QVERIFY(!window.isVisible());
    }
    QVERIFY(boxes.asked.isEmpty());
}

void TestInstallerWindow::setupRunMovesTheBarUntilItEnds()
{
    writeSetup();
    QuorvelIns window;
    window.show();
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("pbarSetup"));
    startWatched(window);
    QVERIFY(window.isSetupRunning());
    QCOMPARE(bar->value(), 0);

    // Started once, from the working directory, with its arguments split and grouped.
    QTRY_COMPARE(logLines().size(), 1);
    QCOMPARE(logLines().first(),
             QStringLiteral("start ") + QDir::currentPath() + QStringLiteral(" [stop installer] [-q]"));

    for (int tick = 1; tick <= 3; ++tick) {
        window.onProgressTimeout();
        QCOMPARE(bar->value(), tick);
        QVERIFY(window.isSetupRunning());
    }

    // A second click while it runs starts nothing and leaves the bar alone.
    window.findChild<QPushButton *>(QStringLiteral("butStartSetup"))->click();
    QTest::qWait(300);
    QCOMPARE(logLines().size(), 1);
    QCOMPARE(bar->value(), 3);

    finishSetup(QStringLiteral("stop installer"));
    QTRY_VERIFY(!isProcessRunning(setupName(), systemProcesses()));
    window.onProgressTimeout();
    QCOMPARE(bar->value(), 4);
    QVERIFY(!window.isSetupRunning());
    window.onProgressTimeout();
    QCOMPARE(bar->value(), 0);

    // After the end a click starts a new run from the bar's minimum.
    QFile::remove(QStringLiteral("stop installer"));
    window.onProgressTimeout();
    startWatched(window);
    QVERIFY(window.isSetupRunning());
    QTRY_COMPARE(logLines().filter(QStringLiteral("start ")).size(), 2);
    window.onProgressTimeout();
    QCOMPARE(bar->value(), 1);
    QVERIFY(window.isSetupRunning());
}

void TestInstallerWindow::barWrapsAtItsMaximum()
{
    writeSetup();
    QuorvelIns window;
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("pbarSetup"));
    startWatched(window);
    QTRY_VERIFY(isProcessRunning(setupName(), systemProcesses()));
    bar->setValue(bar->maximum() - 1);
    window.onProgressTimeout();
    QCOMPARE(bar->value(), bar->maximum());
    window.onProgressTimeout();
    QCOMPARE(bar->value(), bar->minimum());
    window.onProgressTimeout();
    QCOMPARE(bar->value(), bar->minimum() + 1);
    QVERIFY(window.isSetupRunning());
}

void TestInstallerWindow::answeringNoKeepsTheWindowWithExitCurrent()
{
    writeSetup();
    RecordingMessageBoxes boxes(QMessageBox::No);
    QScopedPointer<QuorvelIns> owner(new QuorvelIns);
    QuorvelIns &window = *owner;
    window.setMessageBoxes(&boxes);
    window.show();
    auto *list = window.findChild<QListWidget *>(QStringLiteral("lswOptions"));
    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    list->setCurrentRow(QuorvelIns::RowInstall);
    startWatched(window);
    QTRY_VERIFY(isProcessRunning(setupName(), systemProcesses()));
    window.onProgressTimeout();
    QVERIFY(window.isSetupRunning());

    list->setCurrentRow(QuorvelIns::RowExit);
    QCOMPARE(boxes.asked.size(), 1);
    QCOMPARE(boxes.asked.first().title, QStringLiteral("Quorvel Install"));
    QCOMPARE(boxes.asked.first().text, QString::fromUtf8(kExitQuestion));
    QVERIFY(window.isVisible());
    QCOMPARE(list->currentRow(), int(QuorvelIns::RowExit));
    QCOMPARE(pages->currentIndex(), int(QuorvelIns::RowInstall));

    // Exit again without another entry in between is no change: nothing is asked.
    list->setCurrentRow(QuorvelIns::RowExit);
    QCOMPARE(boxes.asked.size(), 1);

    // Yes leaves the installer; the setup goes on after the window is gone.
    boxes.setAnswer(QMessageBox::Yes);
    list->setCurrentRow(QuorvelIns::RowReadme);
    list->setCurrentRow(QuorvelIns::RowExit);
    QCOMPARE(boxes.asked.size(), 2);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    owner.reset();
    QTest::qWait(200);
    QVERIFY(isProcessRunning(setupName(), systemProcesses()));
    QVERIFY(logLines().filter(QStringLiteral("ended")).isEmpty());
}

void TestInstallerWindow::setupStartedByOtherMeansKeepsTheBarMoving()
{
    writeSetup();
    // A second copy of the setup, started outside the installer and left to run on its own.
    QVERIFY(QProcess::startDetached(QStringLiteral("./") + setupName(), {QStringLiteral("stop other")}));
    QTRY_COMPARE(logLines().size(), 1);

    QuorvelIns window;
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("pbarSetup"));
    startWatched(window);
    QTRY_COMPARE(logLines().size(), 2);

    finishSetup(QStringLiteral("stop installer"));
    for (int tick = 1; tick <= 2; ++tick) {
        QTest::qWait(150);
        window.onProgressTimeout();
        QCOMPARE(bar->value(), tick);
        QVERIFY(window.isSetupRunning());
    }

    finishSetup(QStringLiteral("stop other"));
    QTRY_VERIFY(!isProcessRunning(setupName(), systemProcesses()));
    window.onProgressTimeout();
    QVERIFY(!window.isSetupRunning());
}

void TestInstallerWindow::interpreterSetupIsWatchedByItsScript()
{
    // The setup script handed to a shell: the shell runs under the script's
    // name, and other shells on the system are not the setup, not even one
    // whose command string ends in the setup's path.
    writeSetup();
    writeFile(QStringLiteral("QuorvelIns.ini"),
              "SETUPNAME=\"sh " + setupName().toUtf8() + " \\\"stop installer\\\"\"\nSETUPID=0\n");
    QProcess otherShell;
    otherShell.setWorkingDirectory(QDir::currentPath());
    otherShell.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                           QStringLiteral("while [ ! -e 'stop other' ]; do sleep 0.05; done; echo ")
                                               + QDir::current().filePath(setupName())});
    QVERIFY(otherShell.waitForStarted());

    QuorvelIns window;
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("pbarSetup"));
    startWatched(window);
    QTRY_COMPARE(logLines().size(), 1);
    QCOMPARE(logLines().first(), QStringLiteral("start ") + QDir::currentPath() + QStringLiteral(" [stop installer]"));
    for (int tick = 1; tick <= 2; ++tick) {
        window.onProgressTimeout();
        QCOMPARE(bar->value(), tick);
        QVERIFY(window.isSetupRunning());
    }

    finishSetup(QStringLiteral("stop installer"));
    QTRY_VERIFY(!isProcessRunning(setupName(), systemProcesses()));
    QCOMPARE(otherShell.state(), QProcess::Running);
    window.onProgressTimeout();
    QVERIFY(!window.isSetupRunning());
    window.onProgressTimeout();
    QCOMPARE(bar->value(), 0);

    writeFile(QStringLiteral("stop other"), "");
    QVERIFY(otherShell.waitForFinished());
}

void TestInstallerWindow::pagePicturesComeOnlyFromTheInstallerFolder()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(QStringLiteral("logo.png")));
    QTemporaryDir elsewhere;
    QVERIFY(image.save(elsewhere.filePath(QStringLiteral("fuori.png"))));
    QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("fuori.png")), QStringLiteral("link.png")));
    QVERIFY(::mkfifo("pipe.png", 0600) == 0);
    QFile big(QStringLiteral("grande.png"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(PageDocument::maxResourceBytes + 1));
    big.close();

    // name in the page -> shown
    const QList<QPair<QString, bool>> pictures{{QStringLiteral("logo.png"), true},
                                               {QDir::current().filePath(QStringLiteral("logo.png")), true},
                                               {QStringLiteral("/dev/zero"), false},
                                               {elsewhere.filePath(QStringLiteral("fuori.png")), false},
                                               {QStringLiteral("../") + QDir::current().dirName()
                                                    + QStringLiteral("/link.png"), false},
                                               {QStringLiteral("pipe.png"), false},
                                               {QStringLiteral("grande.png"), false},
                                               {QStringLiteral("http://127.0.0.1/logo.png"), false}};
    QByteArray page;
    for (const auto &picture : pictures)
        page += "<img src=\"" + picture.first.toUtf8() + "\">";
    writeFile(QStringLiteral("Intro.html"), page);

    QuorvelIns window;
    window.show();
    QTextDocument *document = window.findChild<QTextEdit *>(QStringLiteral("edrIntro"))->document();
    for (const auto &picture : pictures) {
        const QImage shown = document->resource(QTextDocument::ImageResource, QUrl(picture.first)).value<QImage>();
        QVERIFY2(shown == (picture.second ? image : PageDocument::missingPicture()), qPrintable(picture.first));
    }
}

void TestInstallerWindow::iniAsPeopleWriteItStartsTheSetup_data()
{
    QTest::addColumn<QByteArray>("setupName");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QString>("error");

    const QByteArray script = setupName().toUtf8();
    // Quotes inside the command line, commas in an argument, a program that is not there.
    QTest::newRow("quoted argument") << QByteArray("SETUPNAME=sh " + script + " \"stop installer\"")
                                     << QStringLiteral(" [stop installer]") << QString();
    QTest::newRow("commas") << QByteArray("SETUPNAME=sh " + script + " stop --parti=base,docs")
                            << QStringLiteral(" [stop] [--parti=base,docs]") << QString();
    QTest::newRow("program missing") << QByteArray("SETUPNAME=\"/nessuno/setup è\" --lingua it") << QString()
                                     << QStringLiteral("\"/nessuno/setup è\" --lingua it");
}

void TestInstallerWindow::iniAsPeopleWriteItStartsTheSetup()
{
    QFETCH(QByteArray, setupName);
    QFETCH(QString, started);
    QFETCH(QString, error);
    writeSetup();
    writeFile(QStringLiteral("QuorvelIns.ini"), setupName + "\n");
    QuorvelIns window;
    RecordingMessageBoxes boxes(QMessageBox::Yes);
    window.setMessageBoxes(&boxes);
    window.findChild<QPushButton *>(QStringLiteral("butStartSetup"))->click();
    if (error.isEmpty()) {
        QTRY_COMPARE(logLines().size(), 1);
        QCOMPARE(logLines().first(), QStringLiteral("start ") + QDir::currentPath() + started);
        QVERIFY(boxes.errors.isEmpty());
        finishSetup(started.section(QLatin1Char(']'), 0, 0).mid(2));
    } else {
        QCOMPARE(boxes.errors.size(), 1);
        QVERIFY2(boxes.errors.first().text.contains(error), qPrintable(boxes.errors.first().text));
        QVERIFY(!window.isSetupRunning());
    }
}

void TestInstallerWindow::textsFollowThePcLanguage()
{
    // English where the installer has no catalogue; the catalogue installed
    // last answers first.
    for (const QString &language : {QStringLiteral("de_DE"), QStringLiteral("it_IT")}) {
        const bool italian = language == QLatin1String("it_IT");
        QLocale::setDefault(QLocale(language));
        installInstallerTexts(qApp);
        QCOMPARE(QuorvelIns::tr("Exit"), italian ? QStringLiteral("Esci") : QStringLiteral("Exit"));
        QCOMPARE(QuorvelIns::tr("QuorvelIns.ini non indica il programma di installazione (SETUPNAME)."),
                 italian ? QStringLiteral("QuorvelIns.ini non indica il programma di installazione (SETUPNAME).")
                         : QStringLiteral("QuorvelIns.ini does not name the setup program (SETUPNAME)."));
        QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), italian ? QStringLiteral("&S\u00ec") : QStringLiteral("&Yes"));
    }
}

QTEST_MAIN(TestInstallerWindow)
#include "tst_installer_window.moc"
