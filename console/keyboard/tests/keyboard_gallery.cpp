// Shows each keypad on screen and saves pictures of it, so that faces and
// placement can be checked by eye: keypad<N>.png at its real size and
// keypad<N>x3.png enlarged three times, into the folder given as argument.

#include "KeyEventFilter.h"
#include "KeyboardDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    CKeyEventFilter keys;

    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        CKeyboardDlg keyboard(KeyboardLayoutAt(layout), &keys);
        keyboard.setWindowTitle(QStringLiteral("192.168.10.%1").arg(21 + layout));
        keyboard.move(40, 40);
        keyboard.show();
        // One latch pressed in, to see the checked look.
        keyboard.LatchButton(0)->setChecked(true);
        QTimer::singleShot(300, &app, &QApplication::quit);
        app.exec();
        const QPixmap shot = keyboard.grab();
        shot.save(out.filePath(QStringLiteral("keypad%1.png").arg(layout)));
        shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .save(out.filePath(QStringLiteral("keypad%1x3.png").arg(layout)));
    }
    return 0;
}
