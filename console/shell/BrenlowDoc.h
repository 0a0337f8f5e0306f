#pragma once

#include <QString>

class CBrenlowView;

// The document behind a screen window. It holds only the address the
// window must connect to when it was opened from a channel list; it is never
// modified, never saved, and its title is always its controller's host.
class CBrenlowDoc
{
    Q_DISABLE_COPY(CBrenlowDoc)

public:
    CBrenlowDoc() = default;

    void SetPresetAddress(const QString &address) { m_presetAddress = address; }
    // Copies the preset address; reports whether there is one.
    bool GetPresetAddress(QString *address) const;

    void AttachView(CBrenlowView *view) { m_view = view; }
    CBrenlowView *GetFirstView() const { return m_view; }

    // Whatever title is offered, the document's title is its channel's host.
    void SetTitle(const QString &offered);
    QString GetTitle() const { return m_title; }

    // Fails when the view's channel did not open, which discards the window.
    bool OnNewDocument() const;

private:
    QString m_presetAddress;
    QString m_title;
    CBrenlowView *m_view = nullptr;
};
