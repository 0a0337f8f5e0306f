// The one real message box behind every program's message interface: what
// the user sees, and which answer comes back.
#include "ModalMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)
Q_DECLARE_METATYPE(QMessageBox::StandardButtons)

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void boxShowsAndAnswers_data();
    void boxShowsAndAnswers();
    void escapeOnAQuestionAnswersNo();
};

namespace {

// What the user meets once the box is up, taken while it waits.
struct Seen
{
    bool shown = false;
    bool modal = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget *parent = nullptr;
};

// Waits for the modal box, notes what it shows, then lets `act` answer it.
template <typename Act>
void answerWhenShown(Seen *seen, Act act)
{
    QTimer::singleShot(20, [seen, act]() {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            answerWhenShown(seen, act);
            return;
        }
        seen->shown = true;
        seen->modal = box->isModal();
        seen->icon = box->icon();
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->buttons = box->standardButtons();
        seen->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        seen->parent = box->parentWidget();
        act(box);
    });
}

} // namespace

void TestMessageBox::boxShowsAndAnswers_data()
{
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    QTest::addColumn<QMessageBox::StandardButton>("click");
    QTest::addColumn<QMessageBox::StandardButton>("expectedDefault"); // NoButton: Qt's choice, not checked

    // The console's failures and the launcher's record errors: Ok only.
    QTest::newRow("error, Ok") << QMessageBox::Critical << QMessageBox::StandardButtons(QMessageBox::Ok)
                               << QMessageBox::NoButton << QMessageBox::Ok << QMessageBox::NoButton;
    QTest::newRow("plain, Ok") << QMessageBox::NoIcon << QMessageBox::StandardButtons(QMessageBox::Ok)
                               << QMessageBox::NoButton << QMessageBox::Ok << QMessageBox::NoButton;
    // The launcher's player warning: Close only.
    QTest::newRow("warning, Close") << QMessageBox::Warning << QMessageBox::StandardButtons(QMessageBox::Close)
                                    << QMessageBox::NoButton << QMessageBox::Close << QMessageBox::NoButton;
    // The installer's question: No is the default, both answers come back.
    QTest::newRow("question, Yes chosen") << QMessageBox::Warning << (QMessageBox::Yes | QMessageBox::No)
                                          << QMessageBox::No << QMessageBox::Yes << QMessageBox::No;
    QTest::newRow("question, No chosen") << QMessageBox::Warning << (QMessageBox::Yes | QMessageBox::No)
                                         << QMessageBox::No << QMessageBox::No << QMessageBox::No;
}

void TestMessageBox::boxShowsAndAnswers()
{
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    QFETCH(QMessageBox::StandardButton, click);
    QFETCH(QMessageBox::StandardButton, expectedDefault);

    QWidget window;
    window.show();
    Seen seen;
    answerWhenShown(&seen, [click](QMessageBox *box) { box->button(click)->click(); });
    const QMessageBox::StandardButton answer =
        execMessageBox({icon, QStringLiteral("Brenlow"), QStringLiteral("Errore apertura file x"), buttons,
                        defaultButton, &window});

    QVERIFY(seen.shown);
    QVERIFY(seen.modal);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.title, QStringLiteral("Brenlow"));
    QCOMPARE(seen.text, QStringLiteral("Errore apertura file x"));
    QCOMPARE(seen.buttons, buttons);
    if (expectedDefault != QMessageBox::NoButton)
        QCOMPARE(seen.defaultButton, expectedDefault);
    QCOMPARE(seen.parent, &window);
    QCOMPARE(answer, click);
}

void TestMessageBox::escapeOnAQuestionAnswersNo()
{
    Seen seen;
    answerWhenShown(&seen, [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    const QMessageBox::StandardButton answer =
        execMessageBox({QMessageBox::Warning, QStringLiteral("Quorvel Install"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No, nullptr});
    QVERIFY(seen.shown);
    QCOMPARE(seen.parent, nullptr);
    QCOMPARE(answer, QMessageBox::No);
}

QTEST_MAIN(TestMessageBox)
#include "tst_message_box.moc"
