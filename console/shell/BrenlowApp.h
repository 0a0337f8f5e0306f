#pragma once

#include <QObject>
#include <QPointer>

#include "MainFrame.h"
#include "ScreenViewHost.h"

#include <functional>

class CBrenlowView;
class CChildFrame;
class CKeyboardSet;
class CWaitInputHold;
class CKprotChannel;
class QWidget;

// The console application: starts the program, opens screen windows (by
// address or from a channel list file), and owns the on-screen keyboards
// that type into them. It is the host of every screen window it opens.
class CBrenlowApp : public QObject, public ScreenViewHost
{
    Q_OBJECT
    Q_DISABLE_COPY(CBrenlowApp)

public:
    explicit CBrenlowApp(QObject *parent = nullptr);
    ~CBrenlowApp() override;

    // Program start: socket layer, main frame, then the command line, the
    // whole text after the program name. False when the program must end.
    bool InitInstance(const QString &commandLine);
    CMainFrame *GetMainFrame() const { return m_mainFrame; }

    // Opens one screen window; with an empty preset address the operator is
    // asked for one. Returns the window, or null when it was discarded.
    CChildFrame *OpenScreenWindow(const QString &presetAddress);
    QList<CChildFrame *> ScreenWindows() const;
    void OpenChannelList(const QString &path);

    // Command handlers of the application.
    void OnFileNew();
    void OnFileOpenList();
    void OnAppAbout();

    // The modal statistics window for a controller.
    void OpenStatistics(const QString &host, QWidget *parent);

    // The on-screen keyboards, created and destroyed together.
    void CreateKeyboards();
    bool KeyboardsExist() const;

    // The operator's answers, replaceable so that tests can give them.
    using AddressPrompt = std::function<bool(QString *address)>;
    using FileChooser = std::function<QString(const QString &startFolder)>;
    void SetAddressPrompt(AddressPrompt prompt) { m_askAddress = std::move(prompt); }
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Where to save a panel picture; empty when the operator cancelled.
    using ImagePathChooser = std::function<QString(const QString &suggestedPath)>;
    void SetImagePathChooser(ImagePathChooser chooser) { m_chooseImagePath = std::move(chooser); }
    CKeyboardSet *Keyboards() const { return m_keyboards; }

    // What the screen windows need from the console.
    bool AskAddress(QString *address) override;
    QString AskImagePath(const QString &suggestedPath) override;
    bool IsAddressOpen(const QString &address) const override;
    void ArmRefresh() override;
    void ShowKeypad(int layout, CKprotChannel *channel) override;
    void HideKeypad(int layout, CKprotChannel *channel) override;
    void ToggleKeypads() override;
    void ReleaseKeys(CKprotChannel *channel) override;

private:
    static bool InitSocketLayer();

    CKeyboardSet *m_keyboards;
    CWaitInputHold *m_inputHold;
    QPointer<CMainFrame> m_mainFrame;
    AddressPrompt m_askAddress;
    FileChooser m_chooseFile;
    ImagePathChooser m_chooseImagePath;
};
